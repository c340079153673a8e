// Installations for the uninstaller to remove, its runs and boxes, and the lists of the next restart.
#include "uninstall_run.h"
#include "gui.h"
#include "fault.h"
#include "installation.h"
#include "setupstate.h"
#include "child_process.h"
#include "sandbox.h"
#include "install/install.h"
#include "common/product.h"
#include <algorithm>
#include <shlobj.h>
#include <tlhelp32.h>

bool InstallInProcess(const std::string &folder, DWORD platformId, DWORD majorVersion, BYTE shortcutChoice,
                      const std::string &media)
{
    std::string saved = CurrentDir();
    bool installed;

    CreateDirectoryA(folder.c_str(), NULL);
    PrepareInstallState(folder, platformId, majorVersion, shortcutChoice);
    installed = !CopyProductFiles((media + "\\").c_str()) && !WriteRegistryEntries() && !CreateStartMenuShortcut(NULL);
    SetCurrentDirectoryA(saved.c_str());
    return installed;
}

static std::string TempFolder()
{
    char temp[MAX_PATH];
    DWORD length = GetTempPathA(sizeof temp, temp);
    return std::string(temp, length);
}

SetupRun StartUninstall(const std::string &folder, const std::string &arguments)
{
    return StartProgram("\"" + folder + "\\Uninstal.exe\"" + (arguments.empty() ? "" : " " + arguments));
}

MessageBoxSeen WaitForUninstallBox(DWORD timeout)
{
    HWND box = NULL;
    if (!WaitFor([&] { return (box = FindTitled("Brindlecast 1.26 Uninstall", "#32770")) != NULL; }, timeout, 50))
        return { NULL, "", "", NULL };
    // The text is set before the box is shown; it can be read at once.
    return { box, WindowText(box), ControlText(box, 0xFFFF), GetWindow(box, GW_OWNER) };
}

std::vector<int> ButtonsOf(HWND box)
{
    std::vector<int> ids;
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (lstrcmpiA(ClassOf(child).c_str(), "Button") == 0 && IsWindowVisible(child))
            ids.push_back(GetDlgCtrlID(child));
    }
    return ids;
}

void Press(const MessageBoxSeen &box, int button)
{
    Answer(box, button);
}

bool WaitForTempCopies(DWORD timeout)
{
    DWORD start = GetTickCount();
    bool ended = true;
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
        HANDLE process = lstrcmpiA(entry.szExeFile, TempCopyFile) == 0
                             ? OpenProcess(SYNCHRONIZE, FALSE, entry.th32ProcessID)
                             : NULL;
        if (!process)
            continue;
        DWORD elapsed = GetTickCount() - start;
        if (WaitForSingleObject(process, elapsed < timeout ? timeout - elapsed : 0) != WAIT_OBJECT_0)
            ended = false;
        CloseHandle(process);
    }
    CloseHandle(snapshot);
    return ended;
}

std::vector<std::string> TempCopyFolders()
{
    std::vector<std::string> folders;
    std::string temp = TempFolder();
    for (const std::string &name : FilesIn(temp.substr(0, temp.size() - 1)))
        if (CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, name.c_str(), lstrlenA(TempCopyPrefix), TempCopyPrefix,
                           lstrlenA(TempCopyPrefix)) == CSTR_EQUAL
            && DirExists(temp + name))
            folders.push_back(temp + name);
    return folders;
}

std::vector<std::string> TempCopies()
{
    std::vector<std::string> copies;
    for (const std::string &folder : TempCopyFolders())
        if (FileExists(folder + "\\" + TempCopyFile))
            copies.push_back(folder + "\\" + TempCopyFile);
    return copies;
}

void RemoveTempCopies()
{
    for (const std::string &copy : TempCopies()) {
        std::string folder = copy.substr(0, copy.rfind('\\'));
        SetFileAttributesA(copy.c_str(), FILE_ATTRIBUTE_NORMAL);
        DeleteFileA(copy.c_str());
        DeleteFileA((folder + "\\" + TempCopyRecord).c_str());
        RemoveDirectoryA(folder.c_str());
    }
}

static const char SessionManager[] = "System\\CurrentControlSet\\Control\\Session Manager";

std::vector<std::string> PendingDeletions()
{
    std::vector<std::string> texts, deletions;
    RegValue pending = ReadRegValue(HKEY_LOCAL_MACHINE, SessionManager, "PendingFileRenameOperations");
    for (size_t at = 0; at <= pending.Data.size();) {
        size_t end = pending.Data.find('\0', at);
        if (end == std::string::npos)
            end = pending.Data.size();
        texts.push_back(pending.Data.substr(at, end - at));
        at = end + 1;
    }
    // Pairs of a file and where it goes; nowhere, an empty text, is a deletion.
    for (size_t i = 0; i + 1 < texts.size() && !texts[i].empty(); i += 2)
        if (texts[i + 1].empty())
            deletions.push_back(texts[i].compare(0, 4, "\\??\\") == 0 ? texts[i].substr(4) : texts[i]);
    return deletions;
}

static std::string WininitPath()
{
    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, sizeof windows);
    return std::string(windows) + "\\wininit.ini";
}

std::vector<std::string> RestartLines()
{
    std::vector<std::string> lines;
    char section[8192];
    DWORD length = GetPrivateProfileSectionA("rename", section, sizeof section, WininitPath().c_str());
    for (DWORD at = 0; at < length; at += lstrlenA(section + at) + 1)
        lines.push_back(section + at);
    return lines;
}

RestartListsKept::RestartListsKept()
{
    RegValue pending = ReadRegValue(HKEY_LOCAL_MACHINE, SessionManager, "PendingFileRenameOperations");
    PendingFound = pending.Found;
    Pending = pending.Data;
    Wininit = FileExists(WininitPath()) ? ReadBytes(WininitPath()) : "";
}

RestartListsKept::~RestartListsKept()
{
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, SessionManager, 0, KEY_SET_VALUE, &key) == ERROR_SUCCESS) {
        if (PendingFound)
            RegSetValueExA(key, "PendingFileRenameOperations", 0, REG_MULTI_SZ, (const BYTE *)Pending.data(),
                           Pending.size());
        else
            RegDeleteValueA(key, "PendingFileRenameOperations");
        RegCloseKey(key);
    }
    if (Wininit.empty())
        DeleteFileA(WininitPath().c_str());
    else
        WriteBytes(WininitPath(), Wininit);
    WaitForTempCopies();
    RemoveTempCopies();
}

void UninstallGuiTest::SetUp()
{
    GuiTest::SetUp();
    Restart = new RestartListsKept;
    PendingBefore = PendingDeletions();
    RestartLinesBefore = RestartLines();
    Scratch = MakeScratchDir(::testing::UnitTest::GetInstance()->current_test_info()->name());
    Folder = Scratch + "\\Brindle Apps";
}

void UninstallGuiTest::TearDown()
{
    GuiTest::TearDown();
    ReportUninstallerVersion("");
    delete Restart;
    ResetMachine();
    DeleteTree(Scratch);
}

void UninstallGuiTest::ReportUninstallerVersion(const std::string &version)
{
    SetReportedVersion(version, UninstallerFile);
    SetReportedVersion(version, TempCopyFile);
}

int UninstallGuiTest::Finish(SetupRun &run)
{
    int code = WaitForExit(run);
    EXPECT_TRUE(WaitForTempCopies()) << "the temporary copy did not end";
    return code;
}

void UninstallGuiTest::ExpectProductGone()
{
    EXPECT_FALSE(DirExists(Folder)) << Folder;
    ExpectNoRegistry();
    EXPECT_FALSE(ReadShortcut(CSIDL_STARTMENU).Found);
    EXPECT_FALSE(ReadShortcut(CSIDL_COMMON_STARTMENU).Found);
}

static std::vector<std::string> Added(const std::vector<std::string> &before, const std::vector<std::string> &after)
{
    std::vector<std::string> added;
    for (const std::string &text : after)
        if (std::find(before.begin(), before.end(), text) == before.end())
            added.push_back(text);
    return added;
}

void UninstallGuiTest::ExpectCopyScheduled(bool windows95)
{
    std::vector<std::string> copies = TempCopies();
    ASSERT_EQ(copies.size(), 1u) << "one copy in the temporary folder, kept until the restart";
    std::string folder = copies[0].substr(0, copies[0].rfind('\\'));
    EXPECT_EQ(TempCopyFolders(), std::vector<std::string>{ folder });
    EXPECT_EQ(FilesIn(folder), std::vector<std::string>{ TempCopyFile }) << "the record goes with the run";
    char shortPath[MAX_PATH] = "";
    GetShortPathNameA(copies[0].c_str(), shortPath, sizeof shortPath);
    std::vector<std::string> pending = Added(PendingBefore, PendingDeletions());
    std::vector<std::string> lines = Added(RestartLinesBefore, RestartLines());
    if (windows95) {
        EXPECT_EQ(lines, std::vector<std::string>{ "NUL=" + std::string(shortPath) });
        EXPECT_EQ(pending, std::vector<std::string>());
    } else {
        // The file first: the folder can only go once it is empty.
        ASSERT_EQ(pending.size(), 2u);
        EXPECT_EQ(lstrcmpiA(pending[0].c_str(), copies[0].c_str()), 0) << pending[0] << " " << copies[0];
        EXPECT_EQ(lstrcmpiA(pending[1].c_str(), folder.c_str()), 0) << pending[1] << " " << folder;
        EXPECT_EQ(lines, std::vector<std::string>());
    }
}
