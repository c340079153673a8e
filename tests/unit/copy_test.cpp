// The product file copy in-process: the setup folder is a scratch copy of
// the staged one, which the program finds through its own module path.
#include <gtest/gtest.h>
#include <algorithm>
#include "install/install.h"
#include "support/fault.h"
#include "support/generated.h"
#include "support/installation.h"
#include "support/messages.h"
#include "support/sandbox.h"
#include "support/setupstate.h"

class CopyTest : public ::testing::Test {
protected:
    std::string Scratch, Media, Dest;

    void SetUp() override
    {
        ResetSetupState();
        Scratch = ScratchOnC("copy-tests");
        Media = StageMedia(Scratch + "\\Setup Media");
        Dest = Scratch + "\\Dest";
        CreateDirectoryA(Dest.c_str(), NULL);
    }
    void TearDown() override { RemoveScratchOnC(Scratch); }

    UINT Copy(const std::string &folder)
    {
        lstrcpyA(SetupState.InstallPath, folder.c_str());
        return CopyProductFiles((Media + "\\").c_str());
    }
};

TEST_F(CopyTest, TheSevenFilesArriveByteForByteOverwritingTheirNamesOnly)
{
    const std::string before = CurrentDir();
    // Same names with other contents, and files the copy has nothing to do with.
    WriteBytes(Dest + "\\Tessel.exe", "an older program");
    WriteBytes(Dest + "\\Readme.txt", std::string(100000, 'r'));
    WriteBytes(Dest + "\\Log.txt", "the product's log");
    WriteBytes(Dest + "\\Notes.tsl", "settings");

    ASSERT_EQ(Copy(Dest), 0u);
    for (const char *file : ShippedFiles) {
        std::string shipped = ReadBytes(Media + "\\" + file);
        ASSERT_FALSE(shipped.empty()) << file;
        EXPECT_EQ(ReadBytes(Dest + "\\" + file), shipped) << file;
    }
    EXPECT_EQ(ReadBytes(Dest + "\\Log.txt"), "the product's log");
    EXPECT_EQ(ReadBytes(Dest + "\\Notes.tsl"), "settings");
    EXPECT_EQ(std::string(SetupState.InstallPath), Dest);
    // No folder was made current to name the sources.
    EXPECT_EQ(CurrentDir(), before);
}

// A folder typed with two trailing backslashes keeps one; the file paths
// then hold two in a row, which the file calls take.
TEST_F(CopyTest, AFolderThatKeptItsTrailingBackslashStillTakesTheFiles)
{
    ASSERT_EQ(Copy(Dest + "\\"), 0u);
    for (const char *file : ShippedFiles)
        EXPECT_EQ(ReadBytes(Dest + "\\" + file), ReadBytes(Media + "\\" + file)) << file;
    EXPECT_EQ(std::string(SetupState.InstallPath), Dest + "\\");
}

TEST_F(CopyTest, AMissingReadmeStopsAfterSixFilesWithTheFailedDestinationKept)
{
    DeleteFileA((Media + "\\Readme.txt").c_str());

    EXPECT_EQ(Copy(Dest), (UINT)IDS_COPY_FAILED);
    EXPECT_EQ(std::string(SetupState.InstallPath), Dest);
    for (int i = 0; i < 6; i++)
        EXPECT_EQ(ReadBytes(Dest + "\\" + ShippedFiles[i]), ReadBytes(Media + "\\" + ShippedFiles[i]))
            << ShippedFiles[i];
    EXPECT_FALSE(FileExists(Dest + "\\Readme.txt"));
}

TEST_F(CopyTest, AnInstallFolderThatCannotBeWrittenFailsAtTheFirstFile)
{
    EXPECT_EQ(Copy(Scratch + "\\Missing"), (UINT)IDS_COPY_FAILED);
    EXPECT_EQ(std::string(SetupState.InstallPath), Scratch + "\\Missing");
    EXPECT_FALSE(DirExists(Scratch + "\\Missing"));
}

// Installing into the setup folder itself copies each file onto itself: the
// copy must fail on the first file without emptying it, and the setup
// folder must come through whole.
TEST_F(CopyTest, InstallingIntoTheSetupFolderFailsAndLeavesTheSetupFilesWhole)
{
    std::string before[7];
    for (int i = 0; i < 7; i++)
        before[i] = ReadBytes(Media + "\\" + ShippedFiles[i]);
    std::string upper = Upper(Media);
    const std::string folders[] = { Media, Media + "\\", upper };

    for (const std::string &folder : folders) {
        SCOPED_TRACE(folder);
        EXPECT_EQ(Copy(folder), (UINT)IDS_COPY_FAILED);
        EXPECT_EQ(std::string(SetupState.InstallPath), folder);
        for (int i = 0; i < 7; i++)
            EXPECT_EQ(ReadBytes(Media + "\\" + ShippedFiles[i]), before[i]) << ShippedFiles[i];
    }
}

// The file calls take paths of up to 259 characters (MAX_PATH with its
// terminator): a folder of 246 takes the longest name, Uninstal.exe, and
// installs whole. The longest folder the page can hand on is 519
// characters; the paths in it are past what the calls take, so the copy
// fails at the first file, but the paths must still stay inside their
// buffer.
TEST_F(CopyTest, TheLongestFoldersFitTheBuffersAndUpTo259CharactersInstall)
{
    StateGuard guard;   // nothing written past the install folder
    guard.Allow(SetupState.InstallPath, sizeof SetupState.InstallPath);
    std::string longest = MakeDeepFolder(Scratch + "\\Deep", 246);
    ASSERT_EQ((longest + "\\Uninstal.exe").size(), 259u);
    ASSERT_EQ(Copy(longest), 0u);
    for (const char *file : ShippedFiles)
        EXPECT_EQ(ReadDeepBytes(longest + "\\" + file), ReadBytes(Media + "\\" + file)) << file;
    EXPECT_EQ(std::string(SetupState.InstallPath), longest);

    std::string folder = MakeDeepFolder(Scratch + "\\Deeper", 519);
    ASSERT_EQ(folder.size(), 519u);
    EXPECT_EQ(Copy(folder), (UINT)IDS_COPY_FAILED);
    EXPECT_FALSE(DeepFileExists(folder + "\\License.txt"));
    EXPECT_EQ(std::string(SetupState.InstallPath), folder);
    EXPECT_EQ(guard.Damage(), "");
}

// A file of the setup folder changed in two bytes, one up and one down, so
// that its size and its byte sum stay: the copy stops at that file with the
// message naming it, leaves no copy of it (not even the earlier
// installation's file of that name), and the files before it are copied.
TEST_F(CopyTest, AChangedFileStopsTheCopyAtThatFileNamingItAndLeavesNoCopyOfIt)
{
    for (int changed = 0; changed < 7; changed++) {
        const char *file = ShippedFiles[changed];
        SCOPED_TRACE(file);
        Media = StageMedia(Scratch + "\\Changed " + file);
        std::string bytes = ReadBytes(Media + "\\" + file);
        ASSERT_GE(bytes.size(), 2u);
        bytes[bytes.size() / 2]++;
        bytes[bytes.size() / 2 + 1]--;
        WriteBytes(Media + "\\" + file, bytes);
        std::string dest = Scratch + "\\Into " + file;
        CreateDirectoryA(dest.c_str(), NULL);
        WriteBytes(dest + "\\" + file, "the earlier installation's file");

        EXPECT_EQ(Copy(dest), (UINT)IDS_DAMAGED_FILE);
        BoxCapture boxes;
        ReportFailure(NULL, IDS_DAMAGED_FILE);
        ASSERT_EQ(boxes.Boxes.size(), 1u);
        EXPECT_EQ(boxes.Boxes[0].Text, ExpectedReport(IDS_DAMAGED_FILE, file));
        std::vector<std::string> before(ShippedFiles, ShippedFiles + changed);
        std::sort(before.begin(), before.end());
        EXPECT_EQ(FilesIn(dest), before);
        for (const std::string &copied : before)
            EXPECT_EQ(ReadBytes(dest + "\\" + copied), ReadBytes(Media + "\\" + copied)) << copied;
        EXPECT_TRUE(DeleteFileA((Media + "\\" + file).c_str())) << "the source was left open";
    }
}

// Every byte of the recorded digest is compared: a record that differs from
// the file's digest in its first, a middle or its last byte refuses the
// file, though the file itself is the shipped one.
TEST_F(CopyTest, EveryByteOfTheRecordedDigestCounts)
{
    const SHIPPEDDIGEST *record = NULL;
    for (const SHIPPEDDIGEST &shipped : ShippedDigests)
        if (shipped.File && lstrcmpiA(shipped.File, "Order.txt") == 0)
            record = &shipped;
    ASSERT_NE(record, (const SHIPPEDDIGEST *)NULL);
    BYTE *digest = (BYTE *)record->Digest;
    DWORD protection;
    ASSERT_TRUE(VirtualProtect(digest, SHA256_BYTES, PAGE_READWRITE, &protection));
    for (int byte : { 0, SHA256_BYTES / 2, SHA256_BYTES - 1 }) {
        SCOPED_TRACE(byte);
        std::string dest = Scratch + "\\Record " + std::to_string(byte);
        CreateDirectoryA(dest.c_str(), NULL);
        digest[byte] ^= 1;
        EXPECT_EQ(Copy(dest), (UINT)IDS_DAMAGED_FILE);
        digest[byte] ^= 1;
        EXPECT_STREQ(SetupState.StepMessageInsert, "Order.txt");
        EXPECT_EQ(FilesIn(dest), std::vector<std::string>{ "License.txt" });
    }
    VirtualProtect(digest, SHA256_BYTES, protection, &protection);
}

// A failed read or write is a failed copy, not a damaged file, and leaves
// no part of the file behind.
static ImportSwap *FailingSwap;
static BOOL WINAPI FailingReadWrite(HANDLE, LPVOID, DWORD, LPDWORD done, LPOVERLAPPED)
{
    *done = 0;
    SetLastError(ERROR_DISK_FULL);
    return FALSE;
}
static BOOL WINAPI HalfWrite(HANDLE file, LPCVOID data, DWORD size, LPDWORD done, LPOVERLAPPED overlapped)
{
    return ((decltype(&WriteFile))FailingSwap->Original)(file, data, size / 2, done, overlapped);
}

TEST_F(CopyTest, AFailedReadOrWriteIsAFailedCopyAndLeavesNoPartOfTheFile)
{
    const struct {
        const char *Call;
        void *StandIn;
    } faults[] = {
        { "ReadFile", (void *)FailingReadWrite },
        { "WriteFile", (void *)FailingReadWrite },
        { "WriteFile", (void *)HalfWrite },
    };
    for (const auto &fault : faults) {
        SCOPED_TRACE(fault.Call);
        Media = StageMedia(Scratch + "\\Media " + std::to_string(&fault - faults));
        UINT copied;
        {
            ImportSwap swap("kernel32.dll", fault.Call, fault.StandIn);
            FailingSwap = &swap;
            copied = Copy(Dest);
        }
        EXPECT_EQ(copied, (UINT)IDS_COPY_FAILED);
        EXPECT_EQ(FilesIn(Dest), std::vector<std::string>{});
        EXPECT_TRUE(DeleteFileA((Media + "\\License.txt").c_str())) << "the source was left open";
    }
}

// Windows marks a downloaded file with a Zone.Identifier stream, and
// CopyFileA takes a file's streams along; a file overwritten in place keeps
// the streams it had. Wine keeps a stream as a file of its own and copies
// none, so these stand-ins put the mark on every file made in the install
// folder, as Windows would carry it over from a downloaded setup folder.
static const char ZoneMark[] = "[ZoneTransfer]\r\nZoneId=3\r\n";
static struct {
    std::string Folder;
    int Marked;
    ImportSwap *Copy, *Create;
} Zone;

static void PutMark(const std::string &target)
{
    if (lstrcmpiA(target.substr(0, Zone.Folder.size() + 1).c_str(), (Zone.Folder + "\\").c_str()) != 0)
        return;
    HANDLE stream = ((decltype(&CreateFileA))Zone.Create->Original)((target + ":Zone.Identifier").c_str(),
                                                                   GENERIC_WRITE, 0, NULL, CREATE_ALWAYS, 0, NULL);
    DWORD written = 0;
    if (stream != INVALID_HANDLE_VALUE && WriteFile(stream, ZoneMark, sizeof ZoneMark - 1, &written, NULL))
        Zone.Marked++;
    CloseHandle(stream);
}

static BOOL WINAPI CopyKeepingTheMark(LPCSTR from, LPCSTR to, BOOL failIfExists)
{
    BOOL copied = ((decltype(&CopyFileA))Zone.Copy->Original)(from, to, failIfExists);
    if (copied)
        PutMark(to);
    return copied;
}

static HANDLE WINAPI CreateKeepingTheMark(LPCSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                                          DWORD disposition, DWORD flags, HANDLE pattern)
{
    HANDLE file = ((decltype(&CreateFileA))Zone.Create->Original)(name, access, share, security, disposition, flags,
                                                                  pattern);
    if (file != INVALID_HANDLE_VALUE && (access & GENERIC_WRITE) && disposition != OPEN_EXISTING)
        PutMark(name);
    return file;
}

TEST_F(CopyTest, OnWindowsNTTheInstalledFilesCarryNoDownloadMark)
{
    SetupState.PlatformId = VER_PLATFORM_WIN32_NT;
    Zone.Folder = Dest;
    Zone.Marked = 0;
    ImportSwap copy("kernel32.dll", "CopyFileA", (void *)CopyKeepingTheMark);
    ImportSwap create("kernel32.dll", "CreateFileA", (void *)CreateKeepingTheMark);
    Zone.Copy = &copy;
    Zone.Create = &create;

    ASSERT_EQ(Copy(Dest), 0u);
    EXPECT_EQ(Zone.Marked, 7) << "every file made in the install folder was marked";
    for (const char *file : ShippedFiles) {
        EXPECT_EQ(ReadBytes(Dest + "\\" + file), ReadBytes(Media + "\\" + file)) << file;
        EXPECT_EQ(GetFileAttributesA((Dest + "\\" + file + ":Zone.Identifier").c_str()), INVALID_FILE_ATTRIBUTES)
            << file << " keeps the mark";
    }
}
