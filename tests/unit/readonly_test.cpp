// Files from read-only media: an installed copy never keeps the read-only
// attribute, and the product files of an earlier installation are deleted
// even when they carry it. Attributes are read back directly: Wine, run as
// root, lets through some writes that Windows refuses on read-only files.
#include <gtest/gtest.h>
#include "install/install.h"
#include "support/gui.h"
#include "support/fault.h"
#include "support/sandbox.h"
#include "support/setupstate.h"

static const DWORD Readonly = FILE_ATTRIBUTE_READONLY;
static const DWORD Hidden = FILE_ATTRIBUTE_HIDDEN;
static const DWORD System = FILE_ATTRIBUTE_SYSTEM;

// The attributes a user can see and set; Wine reports every file as to be
// archived, so that one is left out.
static DWORD Attributes(const std::string &path)
{
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes == INVALID_FILE_ATTRIBUTES ? attributes
                                                  : attributes & (Readonly | Hidden | System | FILE_ATTRIBUTE_DIRECTORY);
}

static void SetAttributes(const std::string &path, DWORD attributes)
{
    ASSERT_TRUE(SetFileAttributesA(path.c_str(), attributes ? attributes : FILE_ATTRIBUTE_NORMAL)) << path;
    ASSERT_EQ(Attributes(path), attributes) << path;
}

class ReadonlyTest : public ::testing::Test {
protected:
    std::string Scratch;

    void SetUp() override
    {
        ResetSetupState();
        Scratch = ScratchOnC("readonly");
    }
    // Read-only files too: the removal clears every file's attributes.
    void TearDown() override { RemoveScratchOnC(Scratch); }
};

// All ten product files go, whatever their attributes; the user's files
// beside them keep theirs, read-only included.
TEST_F(ReadonlyTest, ProductFilesGoWhateverTheirAttributesAndOtherFilesKeepTheirs)
{
    std::string folder = Scratch + "\\Folder";
    CreateDirectoryA(folder.c_str(), NULL);
    PutOldProductFiles(folder);
    static const DWORD kinds[] = { Readonly, Readonly | Hidden, Readonly | System, System, 0 };
    for (size_t i = 0; i < 10; i++)
        SetAttributes(folder + "\\" + ProductFileNames[i], kinds[i % 5]);
    WriteBytes(folder + "\\Mine.tsl", "settings");
    WriteBytes(folder + "\\Notes.txt", "notes");
    SetAttributes(folder + "\\Mine.tsl", Readonly | Hidden);
    SetAttributes(folder + "\\Notes.txt", Readonly);

    DeleteProductFiles(folder.c_str());
    EXPECT_EQ(FilesIn(folder), (std::vector<std::string>{ "Mine.tsl", "Notes.txt" }));
    EXPECT_EQ(Attributes(folder + "\\Mine.tsl"), Readonly | Hidden);
    EXPECT_EQ(Attributes(folder + "\\Notes.txt"), Readonly);
}

// A product file that cannot be deleted (another program holds it open)
// is left as it was but for the read-only attribute; a folder under a
// product file's name stays.
TEST_F(ReadonlyTest, AFileThatStaysKeepsItsOtherAttributes)
{
    std::string folder = Scratch + "\\Folder";
    CreateDirectoryA(folder.c_str(), NULL);
    WriteBytes(folder + "\\Tessel.exe", "held open");
    SetAttributes(folder + "\\Tessel.exe", Readonly | Hidden | System);
    CreateDirectoryA((folder + "\\Readme.txt").c_str(), NULL);
    HANDLE held = CreateFileA((folder + "\\Tessel.exe").c_str(), GENERIC_READ, FILE_SHARE_READ, NULL,
                              OPEN_EXISTING, 0, NULL);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);

    DeleteProductFiles(folder.c_str());
    CloseHandle(held);
    EXPECT_EQ(Attributes(folder + "\\Tessel.exe"), Hidden | System);
    EXPECT_EQ(Attributes(folder + "\\Readme.txt"), (DWORD)FILE_ATTRIBUTE_DIRECTORY);
    RemoveDirectoryA((folder + "\\Readme.txt").c_str());
}

// CreateFileA as Windows answers it: an existing read-only file is not
// opened for writing. Wine, run as root, opens it.
static ImportSwap *CreateSwap;
static HANDLE WINAPI CreateRefusingReadonly(LPCSTR name, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES security,
                                            DWORD disposition, DWORD flags, HANDLE pattern)
{
    DWORD attributes = GetFileAttributesA(name);
    if ((access & GENERIC_WRITE) && attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
        SetLastError(ERROR_ACCESS_DENIED);
        return INVALID_HANDLE_VALUE;
    }
    return ((decltype(&CreateFileA))CreateSwap->Original)(name, access, share, security, disposition, flags, pattern);
}

static FILETIME LastWritten(const std::string &path)
{
    FILETIME written = {};
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, NULL, OPEN_EXISTING, 0, NULL);
    GetFileTime(file, NULL, NULL, &written);
    CloseHandle(file);
    return written;
}

// Media whose files are all read-only (some hidden too) and old, installed
// again into the folder that an earlier installation from the same media
// left: the earlier installation's read-only files are removed, every file
// is replaced and keeps the media's time and attributes but read-only, and
// the media stay as they were.
TEST_F(ReadonlyTest, ReinstallFromReadonlyMediaReplacesReadonlyFilesAndLeavesNoneReadonly)
{
    std::string media = StageMedia(Scratch + "\\Disc");
    std::string folder = Scratch + "\\Folder";
    CreateDirectoryA(folder.c_str(), NULL);
    PutOldProductFiles(folder);
    for (const char *file : ProductFileNames)
        SetAttributes(folder + "\\" + file, Readonly);
    const SYSTEMTIME pressed = { 2001, 2, 0, 3, 4, 5, 6, 0 };
    FILETIME old;
    SystemTimeToFileTime(&pressed, &old);
    for (const char *file : ShippedFiles) {
        HANDLE staged = CreateFileA((media + "\\" + file).c_str(), GENERIC_WRITE, 0, NULL, OPEN_EXISTING, 0, NULL);
        ASSERT_TRUE(SetFileTime(staged, NULL, NULL, &old)) << file;
        CloseHandle(staged);
        SetAttributes(media + "\\" + file, Readonly | (file[0] == 'T' ? Hidden : 0));
    }
    RecordPreviousInstall(WithTerminator(folder));
    lstrcpyA(SetupState.InstallPath, folder.c_str());

    ModulePathSwap setupFolder(std::string(media) + "\\Setup.exe");
    BoxCapture boxes;
    {
        ImportSwap swap("kernel32.dll", "CreateFileA", (void *)CreateRefusingReadonly);
        CreateSwap = &swap;
        RemovePreviousInstall(GetDesktopWindow());
        ASSERT_EQ(CopyProductFiles((media + "\\").c_str()), 0u);
    }
    ResetMachine();
    EXPECT_EQ(boxes.Boxes.size(), 0u);
    EXPECT_EQ(FilesIn(folder).size(), 7u);
    for (const char *file : ShippedFiles) {
        SCOPED_TRACE(file);
        EXPECT_EQ(ReadBytes(folder + "\\" + file), ReadBytes(media + "\\" + file));
        EXPECT_EQ(Attributes(folder + "\\" + file), file[0] == 'T' ? Hidden : 0);
        FILETIME written = LastWritten(folder + "\\" + file);
        EXPECT_EQ(CompareFileTime(&written, &old), 0);
        EXPECT_EQ(Attributes(media + "\\" + file), Readonly | (file[0] == 'T' ? Hidden : 0));
    }
}
