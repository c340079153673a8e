// The uninstaller's temporary copy: a new folder of its own each run, under
// a name nobody foresees, closed on Windows NT to all but SYSTEM and the
// administrators; a copy nobody can swap before it runs; names that are
// already taken left as they are. Whole removals run in a child copy of
// this test program, so that the copy can wait for it to end.
#include <gtest/gtest.h>
#include <map>
#include "uninstall/uninstall.h"
#include "setup/state.h"
#include <sddl.h>
#include "support/binding_fault.h"
#include "support/child_process.h"
#include "support/fault.h"
#include "support/installation.h"
#include "support/sandbox.h"
#include "support/setupstate.h"
#include "support/uninstall_run.h"

static const char ChildVariable[] = "BRINDLECAST_TEST_TEMPCOPY_CHILD";
static const char FolderVariable[] = "BRINDLECAST_TEST_TEMPCOPY_FOLDER";
static const char ReportVariable[] = "BRINDLECAST_TEST_TEMPCOPY_REPORT";

static std::string Media(const char *file)
{
    return std::string(SETUP_MEDIA_DIR) + "\\" + file;
}

static std::string TempFolder()
{
    char temp[MAX_PATH];
    DWORD length = GetTempPathA(sizeof temp, temp);
    return std::string(temp, length);
}

static std::string FolderOf(const std::string &path)
{
    return path.substr(0, path.rfind('\\'));
}

// A random source that answers the n-th call (from 0) with the bytes 0xn0,
// 0xn1, ...: the names the uninstaller will try are known beforehand.
static int RandomCalls;

static BOOLEAN WINAPI FixedRandom(PVOID buffer, ULONG length)
{
    for (ULONG i = 0; i < length; i++)
        ((BYTE *)buffer)[i] = (BYTE)(RandomCalls * 16 + i);
    RandomCalls++;
    return TRUE;
}

// The folder name the uninstaller makes of the n-th answer: its prefix and
// the bytes in hexadecimal.
static std::string FixedName(int call)
{
    std::string name = "Bcu";
    for (int i = 0; i < 8; i++) {
        char digits[3];
        wsprintfA(digits, "%02x", call * 16 + i);
        name += digits;
    }
    return TempFolder() + name;
}

// Someone else's things under the names the uninstaller could get: files,
// and folders with files in them, even ones named as the copy and its
// record; and the names the uninstaller once took (Bcu*.tmp).
struct TakenNames {
    std::vector<std::string> Files, Folders;
    std::map<std::string, std::string> Contents;

    void Take(int count)
    {
        for (int call = 0; call < count; call++) {
            std::string name = FixedName(call);
            if (call % 2 == 0) {
                Keep(name, "someone else's file");
            } else {
                ASSERT_TRUE(CreateDirectoryA(name.c_str(), NULL)) << name;
                Folders.push_back(name);
                Keep(name + "\\" + (call % 4 == 1 ? TempCopyFile : "notes.txt"), "someone else's program");
                Keep(name + "\\" + TempCopyRecord, "C:\\Other\\Uninstal.exe");
            }
        }
        for (int i = 0; i < 5; i++) {
            char old[MAX_PATH];
            ASSERT_TRUE(GetTempFileNameA(TempFolder().c_str(), "Bcu", 0, old));
            Keep(old, "an earlier helper's name");
        }
    }

    void Keep(const std::string &file, const std::string &content)
    {
        WriteBytes(file, content);
        Files.push_back(file);
        Contents[file] = content;
    }

    void ExpectUntouched()
    {
        for (const std::string &folder : Folders)
            EXPECT_EQ(FilesIn(folder).size(), 2u) << folder;
        for (const std::string &file : Files)
            EXPECT_EQ(ReadBytes(file), Contents[file]) << file;
    }

    ~TakenNames()
    {
        for (const std::string &file : Files)
            DeleteFileA(file.c_str());
        for (const std::string &folder : Folders)
            DeleteTree(folder);
    }
};

// In the child: the copy is attacked between its writing and its start,
// and what came of each attempt is written to the report.
static char ReportPath[MAX_PATH];
static void *RealCreateProcess;

static BOOL WINAPI SwapThenStart(LPCSTR application, LPSTR command, LPSECURITY_ATTRIBUTES process,
                                 LPSECURITY_ATTRIBUTES thread, BOOL inherit, DWORD flags, LPVOID environment,
                                 LPCSTR folder, LPSTARTUPINFOA startup, LPPROCESS_INFORMATION started)
{
    std::string report;
    HANDLE file = CreateFileA(application, GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              NULL, OPEN_EXISTING, 0, NULL);
    report += std::string("written over: ") + (file != INVALID_HANDLE_VALUE ? "yes" : "no") + "\n";
    if (file != INVALID_HANDLE_VALUE) {
        DWORD written;
        WriteFile(file, "MZ swapped", 10, &written, NULL);
        CloseHandle(file);
    }
    report += std::string("deleted: ") + (DeleteFileA(application) ? "yes" : "no") + "\n";
    report += std::string("renamed: ") + (MoveFileA(application, (std::string(application) + ".old").c_str()) ? "yes" : "no")
              + "\n";
    BOOL result = ((decltype(&CreateProcessA))RealCreateProcess)(application, command, process, thread, inherit, flags,
                                                                 environment, folder, startup, started);
    report += std::string("started: ") + (result ? "yes" : "no") + "\n";
    WriteBytes(ReportPath, report);
    return result;
}

// The whole quiet removal of the installation in the folder given, as
// Uninstal.exe in that folder; the process ends with its exit code.
static int RemoveIfChild()
{
    char mode[16], folder[MAX_PATH];
    if (!GetEnvironmentVariableA(ChildVariable, mode, sizeof mode))
        return 0;
    GetEnvironmentVariableA(FolderVariable, folder, sizeof folder);
    GetEnvironmentVariableA(ReportVariable, ReportPath, sizeof ReportPath);
    UninstallState.PlatformId = VER_PLATFORM_WIN32_NT;
    UninstallState.Quiet = 1;
    new ModulePathSwap(std::string(folder) + "\\Uninstal.exe");
    if (lstrcmpA(mode, "swap") == 0)
        RealCreateProcess = (new ImportSwap("kernel32.dll", "CreateProcessA", (void *)SwapThenStart))->Original;
    else
        new ProcedureSwap("SystemFunction036", (void *)FixedRandom);
    ExitProcess(Uninstall());
}
static int ChildMode = RemoveIfChild();

class UninstallTempCopy : public ::testing::Test {
protected:
    std::string Scratch, Folder;
    std::unique_ptr<RestartListsKept> Restart;

    void SetUp() override
    {
        ResetMachine();
        ZeroMemory(&UninstallState, sizeof UninstallState);
        UninstallState.PlatformId = VER_PLATFORM_WIN32_NT;
        lstrcpyA(UninstallState.Program, Media("Uninstal.exe").c_str());
        Restart.reset(new RestartListsKept);
        Scratch = MakeScratchDir(::testing::UnitTest::GetInstance()->current_test_info()->name());
        Folder = Scratch + "\\Brindle Apps";
        RandomCalls = 0;
    }

    void TearDown() override
    {
        Restart.reset();
        ResetMachine();
        DeleteTree(Scratch);
    }

    // The removal of an installation in Folder by a child of this program.
    int RemoveInChild(const char *mode, const std::string &report = "")
    {
        SetEnvironmentVariableA(FolderVariable, Folder.c_str());
        SetEnvironmentVariableA(ReportVariable, report.c_str());
        int code = RunSelf(ChildVariable, mode);
        SetEnvironmentVariableA(FolderVariable, NULL);
        SetEnvironmentVariableA(ReportVariable, NULL);
        EXPECT_TRUE(WaitForTempCopies()) << "the temporary copy did not end";
        return code;
    }

    // The genuine copy ran from its folder and removed the uninstaller.
    void ExpectRemovedByCopyIn(const std::string &folder)
    {
        EXPECT_FALSE(DirExists(Folder)) << Folder;
        EXPECT_EQ(FilesIn(folder), std::vector<std::string>{ TempCopyFile }) << folder;
        EXPECT_EQ(ReadBytes(folder + "\\" + TempCopyFile), ReadBytes(Media("Uninstal.exe")));
    }
};

// Every way to change the file fails while the uninstaller holds it; the
// copy that runs is the one it wrote, and it finishes the removal.
TEST_F(UninstallTempCopy, CopyCannotBeSwappedBeforeItRuns)
{
    ASSERT_TRUE(InstallInProcess(Folder, VER_PLATFORM_WIN32_NT, 6, SHORTCUT_NONE));
    std::string report = Scratch + "\\attempts.txt";

    EXPECT_EQ(RemoveInChild("swap", report), 0);
    EXPECT_EQ(ReadBytes(report), "written over: no\ndeleted: no\nrenamed: no\nstarted: yes\n");
    std::vector<std::string> copies = TempCopies();
    ASSERT_EQ(copies.size(), 1u);
    ExpectRemovedByCopyIn(FolderOf(copies[0]));
}

// Names taken by files or folders, as another user of the temporary folder
// may take them, are skipped and nothing in them is touched.
TEST_F(UninstallTempCopy, NamesAlreadyTakenAreLeftAlone)
{
    ASSERT_TRUE(InstallInProcess(Folder, VER_PLATFORM_WIN32_NT, 6, SHORTCUT_NONE));
    TakenNames taken;
    ASSERT_NO_FATAL_FAILURE(taken.Take(3));

    EXPECT_EQ(RemoveInChild("taken"), 0);
    taken.ExpectUntouched();
    ExpectRemovedByCopyIn(FixedName(3));
}

// With every name it tries taken, the uninstaller removes nothing and says
// so; it does not try for ever.
TEST_F(UninstallTempCopy, EveryNameTakenRemovesNothing)
{
    ASSERT_TRUE(InstallInProcess(Folder, VER_PLATFORM_WIN32_NT, 6, SHORTCUT_NONE));
    const int Taken = 16;
    TakenNames taken;
    ASSERT_NO_FATAL_FAILURE(taken.Take(Taken));
    HMODULE texts = LoadLibraryExA(Media("Uninstal.exe").c_str(), NULL, LOAD_LIBRARY_AS_DATAFILE);
    UninstallState.Instance = texts;
    {
        ModulePathSwap program(Folder + "\\Uninstal.exe");
        ProcedureSwap random("SystemFunction036", (void *)FixedRandom);
        BoxCapture boxes(IDYES);
        EXPECT_EQ(Uninstall(), 1u);
        ASSERT_EQ(boxes.Boxes.size(), 2u);
        EXPECT_EQ(boxes.Boxes[1].Text, "Uninstall cannot place its helper in the temporary folder. Nothing was removed.");
        EXPECT_EQ(boxes.Boxes[1].Type, (UINT)MB_ICONERROR);
    }
    FreeLibrary(texts);
    EXPECT_GE(RandomCalls, 1);
    EXPECT_LE(RandomCalls, Taken);
    taken.ExpectUntouched();
    ExpectShippedFiles(Folder);
    ExpectInstalledRegistry(Folder);
}

// The SIDs of an access list, in order; with fullAccess, every entry must
// give full access to the folder and what is made in it.
static std::vector<std::string> SidsOf(const ACL *list, bool fullAccess)
{
    std::vector<std::string> sids;
    for (WORD i = 0; list && i < list->AceCount; i++) {
        ACCESS_ALLOWED_ACE *ace;
        char *text = NULL;
        if (!GetAce((PACL)list, i, (void **)&ace))
            return { "(unreadable)" };
        if (fullAccess) {
            EXPECT_EQ(ace->Header.AceType, ACCESS_ALLOWED_ACE_TYPE);
            EXPECT_EQ(ace->Header.AceFlags, OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE);
            EXPECT_EQ(ace->Mask, (DWORD)FILE_ALL_ACCESS);
        }
        ConvertSidToStringSidA(&ace->SidStart, &text);
        sids.push_back(text ? text : "(no SID)");
        LocalFree(text);
    }
    return sids;
}

static std::string OwnUserSid()
{
    HANDLE token;
    static DWORD user[256];
    DWORD size;
    char *text = NULL;
    OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token);
    GetTokenInformation(token, TokenUser, user, sizeof user, &size);
    CloseHandle(token);
    ConvertSidToStringSidA(((TOKEN_USER *)user)->User.Sid, &text);
    std::string sid = text ? text : "";
    LocalFree(text);
    return sid;
}

// The process's groups as a token shows them: Everyone, and Administrators
// enabled (elevated) or for denying only (Windows Vista and later before
// elevation).
static DWORD AdministratorsAttributes;

static BOOL WINAPI GroupsOfToken(HANDLE token, TOKEN_INFORMATION_CLASS kind, LPVOID to, DWORD room, PDWORD size)
{
    static const DWORD Everyone[] = { 0x00000101, 0x01000000, 0 };
    static const DWORD Administrators[] = { 0x00000201, 0x05000000, 32, 544 };
    struct {
        DWORD Count;
        SID_AND_ATTRIBUTES Groups[2];
    } groups = { 2, { { (PSID)Everyone, SE_GROUP_ENABLED | SE_GROUP_MANDATORY },
                      { (PSID)Administrators, AdministratorsAttributes } } };
    if (kind != TokenGroups)
        return GetTokenInformation(token, kind, to, room, size);
    *size = sizeof groups;
    if (room < sizeof groups) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    CopyMemory(to, &groups, sizeof groups);
    return TRUE;
}

// The security the folder was asked for, copied where it is created.
static struct {
    void *Original;
    bool Given;
    std::string Descriptor;
} Asked;

static BOOL WINAPI CreateFolderSeen(LPCSTR path, LPSECURITY_ATTRIBUTES security)
{
    Asked.Given = security != NULL;
    if (security) {
        SECURITY_DESCRIPTOR_RELATIVE *header = (SECURITY_DESCRIPTOR_RELATIVE *)security->lpSecurityDescriptor;
        ACL *list = header->Dacl ? (ACL *)((BYTE *)header + header->Dacl) : NULL;
        Asked.Descriptor.assign((const char *)header, header->Dacl + (list ? list->AclSize : 0));
    }
    return ((decltype(&CreateDirectoryA))Asked.Original)(path, security);
}

// Full access for SYSTEM and Administrators and, when the process cannot
// write as an administrator, for its user; nobody else. Wine keeps only
// part of a folder's access list and not its protection mark, so the whole
// is read where the folder is created, and the folder's own is read back
// for anyone else; the Windows 95 family has no access lists at all.
TEST_F(UninstallTempCopy, FolderIsClosedToAllButSystemAndAdministrators)
{
    const std::string System = "S-1-5-18", Administrators = "S-1-5-32-544";
    const struct {
        const char *Name;
        DWORD PlatformId, AdministratorsAttributes;
        bool User;
    } cases[] = {
        { "elevated", VER_PLATFORM_WIN32_NT, SE_GROUP_ENABLED | SE_GROUP_ENABLED_BY_DEFAULT | SE_GROUP_MANDATORY,
          false },
        { "not elevated", VER_PLATFORM_WIN32_NT, SE_GROUP_USE_FOR_DENY_ONLY, true },
        { "Windows 95", VER_PLATFORM_WIN32_WINDOWS, 0, false },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Name);
        UninstallState.PlatformId = c.PlatformId;
        AdministratorsAttributes = c.AdministratorsAttributes;
        Asked = {};
        ImportSwap folderSeen("kernel32.dll", "CreateDirectoryA", (void *)CreateFolderSeen);
        Asked.Original = folderSeen.Original;
        ProcedureSwap groups("GetTokenInformation", (void *)GroupsOfToken);
        ASSERT_EQ(MakeTempCopy(), 1);
        std::string folder = FolderOf(UninstallState.Copy);
        EXPECT_EQ(FolderOf(folder) + "\\", TempFolder());

        std::vector<std::string> expected = { System, Administrators };
        if (c.User)
            expected.push_back(OwnUserSid());
        if (c.PlatformId != VER_PLATFORM_WIN32_NT) {
            EXPECT_FALSE(Asked.Given);
        } else {
            ASSERT_TRUE(Asked.Given);
            SECURITY_DESCRIPTOR_RELATIVE *header = (SECURITY_DESCRIPTOR_RELATIVE *)&Asked.Descriptor[0];
            EXPECT_EQ(header->Control & (SE_DACL_PRESENT | SE_DACL_PROTECTED), SE_DACL_PRESENT | SE_DACL_PROTECTED);
            EXPECT_EQ(SidsOf((ACL *)((BYTE *)header + header->Dacl), true), expected);

            // Read back from the folder. Wine keeps of the list what Unix
            // permissions carry: SYSTEM and the owner, the user it runs as,
            // an administrator there. Nobody else may be in it: not Everyone,
            // not Users; and a folder without a list is open to all.
            static DWORD read[1024];
            DWORD size;
            BOOL present = FALSE, defaulted;
            ACL *list = NULL;
            ASSERT_TRUE(GetFileSecurityA(folder.c_str(), DACL_SECURITY_INFORMATION, read, sizeof read, &size));
            ASSERT_TRUE(GetSecurityDescriptorDacl(read, &present, &list, &defaulted));
            ASSERT_TRUE(present && list);
            for (const std::string &sid : SidsOf(list, false))
                EXPECT_TRUE(sid == System || sid == Administrators || sid == OwnUserSid()) << sid;
        }
        DropTempCopy();
        EXPECT_FALSE(DirExists(folder)) << folder;
    }
}

// Where the system names the account's own temporary folder (GetTempPath2W:
// SYSTEM's is not the one every user may write to), the copy goes there.
static std::wstring AccountTemp;

static DWORD WINAPI AccountTempPath(DWORD room, LPWSTR path)
{
    if (AccountTemp.size() + 1 > room)
        return AccountTemp.size() + 1;
    lstrcpyW(path, AccountTemp.c_str());
    return AccountTemp.size();
}

TEST_F(UninstallTempCopy, TempFolderIsTheAccountsWhereTheSystemNamesIt)
{
    std::string account = Scratch + "\\System Temp\\";
    AccountTemp = WideText(account);
    CreateDirectoryA(account.c_str(), NULL);
    const struct {
        const char *Name;
        void *StandIn;
        std::string Parent;
    } cases[] = {
        { "with GetTempPath2W", (void *)AccountTempPath, account },
        { "without", NULL, TempFolder() },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.Name);
        ProcedureSwap tempPath("GetTempPath2W", c.StandIn);
        ASSERT_EQ(MakeTempCopy(), 1);
        EXPECT_EQ(FolderOf(FolderOf(UninstallState.Copy)) + "\\", c.Parent);
        EXPECT_EQ(ReadBytes(UninstallState.Copy), ReadBytes(Media("Uninstal.exe")));
        DropTempCopy();
    }
}
