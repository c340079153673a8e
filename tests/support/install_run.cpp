// Whole runs clicked through to the installation, and what an installation leaves.
#include "install_run.h"
#include "resources/resource.h"
#include <algorithm>
#include <shlobj.h>

bool ClickThroughPages(const SetupRun &run, const std::string &folder, int shortcut)
{
    HWND directory = WalkToDirectoryPage(run);
    if (!directory)
        return false;
    SetControlText(directory, IDC_INSTALL_DIR, folder);
    // Posted in order: the radio button is checked before Next is handled.
    Click(directory, shortcut);
    Click(directory, IDOK);
    return true;
}

int FinishRun(SetupRun &run)
{
    HWND finish = WaitForPage(run, IDD_FINISH);
    if (!finish) {
        StopSetup(run);
        return -1;
    }
    Click(finish, IDOK);
    return WaitForExit(run);
}

void Answer(const MessageBoxSeen &box, int button)
{
    Click(box.Window, button);
    WaitGone(box.Window);
}

void RecordPreviousInstall(const std::string &pathBytes, bool makerKey)
{
    HKEY key;
    if (makerKey) {
        RegCreateKeyExA(HKEY_LOCAL_MACHINE, MAKER_KEY, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL);
        RegCloseKey(key);
    }
    RegCreateKeyExA(HKEY_LOCAL_MACHINE, APP_PATHS_KEY, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL);
    // A zero right after the bytes would make the registry count it in, as
    // Windows NT does for callers that forgot the terminator.
    std::string guarded = pathBytes + "#";
    RegSetValueExA(key, "Path", 0, REG_SZ, (const BYTE *)guarded.data(), pathBytes.size());
    RegCloseKey(key);
}

std::string WithTerminator(const std::string &folder)
{
    return folder + std::string(1, '\0');
}

const char *const ProductFileNames[10] = {
    "License.txt", "Order.txt", "Tessel.exe", "Tessel.hlp", "Tessel.cnt", "Uninstal.exe",
    "Readme.txt", "Log.txt", "Tessel.gid", "Tessel.fts",
};
const char *const ShippedFileNames[7] = {
    "License.txt", "Order.txt", "Tessel.exe", "Tessel.hlp", "Tessel.cnt", "Uninstal.exe", "Readme.txt",
};

void PutOldProductFiles(const std::string &folder)
{
    for (const char *name : ProductFileNames)
        WriteBytes(folder + "\\" + name, std::string("old ") + name);
}

std::vector<std::string> FilesIn(const std::string &folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return names;
    do {
        std::string name = found.cFileName;
        if (name != "." && name != "..")
            names.push_back(name);
    } while (FindNextFileA(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

void ExpectShippedFiles(const std::string &folder, std::vector<std::string> extra)
{
    std::vector<std::string> expected(extra);
    for (const char *name : ShippedFileNames) {
        expected.push_back(name);
        // Compared as a whole: a byte dump of a program helps nobody.
        EXPECT_TRUE(ReadBytes(folder + "\\" + name) == ReadBytes(std::string(SETUP_MEDIA_DIR) + "\\" + name))
            << name << " in " << folder << " differs from the shipped file";
    }
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(FilesIn(folder), expected) << folder;
}

std::string DefaultInstallFolder()
{
    RegValue programs = ReadRegValue(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion",
                                     "ProgramFilesDir");
    return std::string(programs.Data.c_str()) + "\\Brindlecast";
}

static void ExpectString(HKEY root, const std::string &key, const char *value, const std::string &text)
{
    RegValue found = ReadRegValue(root, key, value);
    EXPECT_TRUE(found.Found) << key << " " << (value ? value : "(default)");
    EXPECT_EQ(found.Type, (DWORD)REG_SZ) << key;
    // Exactly one terminator.
    EXPECT_EQ(found.Data, text + std::string(1, '\0')) << key << " " << (value ? value : "(default)");
}

void ExpectInstalledRegistry(const std::string &folder)
{
    std::string program = folder + "\\Tessel.exe";
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\Tarnwicke\\Brindlecast\\1.26"));
    ExpectString(HKEY_LOCAL_MACHINE, APP_PATHS_KEY, "Path", folder);
    ExpectString(HKEY_LOCAL_MACHINE, APP_PATHS_KEY, NULL, program);
    std::string uninstall = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Brindlecast";
    ExpectString(HKEY_LOCAL_MACHINE, uninstall, "DisplayName", "Brindlecast");
    ExpectString(HKEY_LOCAL_MACHINE, uninstall, "UninstallString", "\"" + folder + "\\Uninstal.exe\"");
    ExpectString(HKEY_LOCAL_MACHINE, uninstall, "DisplayVersion", "1.26");
    ExpectString(HKEY_LOCAL_MACHINE, uninstall, "Publisher", "Tarnwicke");
    ExpectString(HKEY_LOCAL_MACHINE, uninstall, "DisplayIcon", program);
    ExpectString(HKEY_LOCAL_MACHINE, uninstall, "InstallLocation", folder);
    ExpectString(HKEY_LOCAL_MACHINE, uninstall, "QuietUninstallString", "\"" + folder + "\\Uninstal.exe\" /S");
    for (const char *flag : { "NoModify", "NoRepair" }) {
        RegValue set = ReadRegValue(HKEY_LOCAL_MACHINE, uninstall, flag);
        EXPECT_EQ(set.Type, (DWORD)REG_DWORD) << flag;
        EXPECT_EQ(set.Data, std::string("\1\0\0\0", 4)) << flag;
    }
    std::string settings = "Software\\Tarnwicke\\Brindlecast\\Settings";
    EXPECT_EQ(ReadRegValue(HKEY_CURRENT_USER, settings, "WindowLeft").Type, (DWORD)REG_DWORD);
    EXPECT_EQ(ReadRegValue(HKEY_CURRENT_USER, settings, "WindowTop").Type, (DWORD)REG_DWORD);
    ExpectString(HKEY_CLASSES_ROOT, ".tsl", NULL, "Brindlecast");
    ExpectString(HKEY_CLASSES_ROOT, "Brindlecast", NULL, "Brindlecast File");
    ExpectString(HKEY_CLASSES_ROOT, "Brindlecast\\DefaultIcon", NULL, program);
    ExpectString(HKEY_CLASSES_ROOT, "Brindlecast\\shell\\open\\command", NULL, "\"" + program + "\" %1");
}

void ExpectNoRegistry()
{
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, MAKER_KEY));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, APP_PATHS_KEY));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Brindlecast"));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "Software\\Tarnwicke"));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, ".tsl"));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "Brindlecast"));
}

ShortcutSeen ReadShortcut(int folder)
{
    ShortcutSeen seen = { false, "", "", "", "" };
    char menu[MAX_PATH];
    if (SHGetFolderPathA(NULL, folder, NULL, 0, menu) != S_OK)
        return seen;
    std::string path = std::string(menu) + "\\Brindlecast.lnk";
    if (!FileExists(path))
        return seen;
    seen.Found = true;
    HRESULT started = CoInitialize(NULL);
    IShellLinkA *link = NULL;
    IPersistFile *file = NULL;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, IID_IShellLinkA, (void **)&link))) {
        if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, (void **)&file))) {
            WCHAR wide[MAX_PATH];
            MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
            if (SUCCEEDED(file->Load(wide, STGM_READ))) {
                char text[1024];
                if (SUCCEEDED(link->GetPath(text, sizeof text, NULL, SLGP_RAWPATH)))
                    seen.Target = text;
                if (SUCCEEDED(link->GetWorkingDirectory(text, sizeof text)))
                    seen.WorkingDir = text;
                if (SUCCEEDED(link->GetDescription(text, sizeof text)))
                    seen.Description = text;
                if (SUCCEEDED(link->GetArguments(text, sizeof text)))
                    seen.Arguments = text;
            }
            file->Release();
        }
        link->Release();
    }
    if (SUCCEEDED(started))
        CoUninitialize();
    return seen;
}
