// The product files, the setup folder, an earlier installation and the
// layout an installation is expected to leave.
#include "installation.h"
#include "sandbox.h"
#include "fault.h"
#include "install/install.h"
#include <gtest/gtest.h>
#include <algorithm>
#include <shlobj.h>
#include <sddl.h>

const char *const ProductFileNames[10] = {
    "License.txt", "Order.txt", "Tessel.exe", "Tessel.hlp", "Tessel.cnt", "Uninstal.exe",
    "Readme.txt", "Log.txt", "Tessel.gid", "Tessel.fts",
};
const char *const ShippedFiles[7] = {
    "License.txt", "Order.txt", "Tessel.exe", "Tessel.hlp", "Tessel.cnt", "Uninstal.exe", "Readme.txt",
};

static void StageFile(const std::string &folder, const char *file)
{
    CopyFileW(DeepPath(std::string(SETUP_MEDIA_DIR) + "\\" + file).c_str(), DeepPath(folder + "\\" + file).c_str(),
              FALSE);
}

std::string StageMedia(const std::string &folder)
{
    CreateDeepFolder(folder);
    for (const char *file : ShippedFiles)
        StageFile(folder, file);
    return folder;
}

std::string StageSetupFolder(const std::string &name)
{
    std::string folder = StageMedia(MakeScratchDir(name));
    StageFile(folder, "Setup.exe");
    return folder;
}

std::string StageDeepSetupFolder(const std::string &name, size_t length)
{
    std::string folder = StageMedia(MakeDeepFolder(MakeScratchDir(name), length));
    StageFile(folder, "Setup.exe");
    return folder;
}

std::string ShippedLicense()
{
    return ReadBytes(std::string(SETUP_MEDIA_DIR) + "\\License.txt");
}

DWORD ByteSum(const std::string &bytes)
{
    DWORD sum = 0;
    for (unsigned char byte : bytes)
        sum += byte;
    return sum;
}

void ExpectShippedFiles(const std::string &folder, std::vector<std::string> extra)
{
    std::vector<std::string> expected(extra);
    for (const char *name : ShippedFiles) {
        expected.push_back(name);
        // Compared as a whole: a byte dump of a program helps nobody.
        EXPECT_TRUE(ReadBytes(folder + "\\" + name) == ReadBytes(std::string(SETUP_MEDIA_DIR) + "\\" + name))
            << name << " in " << folder << " differs from the shipped file";
    }
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(FilesIn(folder), expected) << folder;
}

const char MakerKey[] = "SOFTWARE\\Tarnwicke";
const char ProductKey[] = "SOFTWARE\\Tarnwicke\\Brindlecast";
const char VersionKey[] = "SOFTWARE\\Tarnwicke\\Brindlecast\\1.26";
const char CurrentVersionKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
const char AppPathsEntryKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Tessel.exe";
const char UninstallEntryKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Brindlecast";
const char UserMakerKey[] = "Software\\Tarnwicke";
const char UserSettingsKey[] = "Software\\Tarnwicke\\Brindlecast\\Settings";
// The machine's file associations, which HKEY_CLASSES_ROOT shows merged
// with the current user's.
#define MACHINE_CLASSES "Software\\Classes\\"
const char FileTypeKey[] = "Brindlecast";
const char OpenCommandKey[] = "Brindlecast\\shell\\open\\command";

std::vector<InstalledValue> InstalledValues(const std::string &folder)
{
    // The two command lines are quoted: a folder with spaces must not make
    // Windows start a program named by its first word.
    const std::string program = folder + "\\Tessel.exe", uninstaller = "\"" + folder + "\\Uninstal.exe\"";
    return {
        { HKEY_LOCAL_MACHINE, AppPathsEntryKey, "Path", REG_SZ, folder, 0 },
        { HKEY_LOCAL_MACHINE, AppPathsEntryKey, NULL, REG_SZ, program, 0 },
        { HKEY_LOCAL_MACHINE, UninstallEntryKey, "DisplayName", REG_SZ, "Brindlecast", 0 },
        { HKEY_LOCAL_MACHINE, UninstallEntryKey, "UninstallString", REG_SZ, uninstaller, 0 },
        { HKEY_LOCAL_MACHINE, UninstallEntryKey, "DisplayVersion", REG_SZ, "1.26", 0 },
        { HKEY_LOCAL_MACHINE, UninstallEntryKey, "Publisher", REG_SZ, "Tarnwicke", 0 },
        { HKEY_LOCAL_MACHINE, UninstallEntryKey, "DisplayIcon", REG_SZ, program, 0 },
        { HKEY_LOCAL_MACHINE, UninstallEntryKey, "InstallLocation", REG_SZ, folder, 0 },
        { HKEY_LOCAL_MACHINE, UninstallEntryKey, "QuietUninstallString", REG_SZ, uninstaller + " /S", 0 },
        { HKEY_LOCAL_MACHINE, UninstallEntryKey, "NoModify", REG_DWORD, "", 1 },
        { HKEY_LOCAL_MACHINE, UninstallEntryKey, "NoRepair", REG_DWORD, "", 1 },
        { HKEY_CURRENT_USER, UserSettingsKey, "WindowLeft", REG_DWORD, "", 0 },
        { HKEY_CURRENT_USER, UserSettingsKey, "WindowTop", REG_DWORD, "", 0 },
        { HKEY_LOCAL_MACHINE, MACHINE_CLASSES ".tsl", NULL, REG_SZ, "Brindlecast", 0 },
        { HKEY_LOCAL_MACHINE, MACHINE_CLASSES "Brindlecast", NULL, REG_SZ, "Brindlecast File", 0 },
        { HKEY_LOCAL_MACHINE, MACHINE_CLASSES "Brindlecast\\DefaultIcon", NULL, REG_SZ, program, 0 },
        { HKEY_LOCAL_MACHINE, MACHINE_CLASSES "Brindlecast\\shell\\open\\command", NULL, REG_SZ,
          "\"" + program + "\" %1", 0 },
    };
}

const InstalledKey InstalledKeys[14] = {
    { HKEY_LOCAL_MACHINE, MakerKey, 1, 0 },
    { HKEY_LOCAL_MACHINE, ProductKey, 1, 0 },
    { HKEY_LOCAL_MACHINE, VersionKey, 0, 0 },
    { HKEY_LOCAL_MACHINE, AppPathsEntryKey, 0, 2 },
    { HKEY_LOCAL_MACHINE, UninstallEntryKey, 0, 9 },
    { HKEY_CURRENT_USER, UserMakerKey, 1, 0 },
    { HKEY_CURRENT_USER, "Software\\Tarnwicke\\Brindlecast", 1, 0 },
    { HKEY_CURRENT_USER, UserSettingsKey, 0, 2 },
    { HKEY_LOCAL_MACHINE, MACHINE_CLASSES ".tsl", 0, 1 },
    { HKEY_LOCAL_MACHINE, MACHINE_CLASSES "Brindlecast", 2, 1 },
    { HKEY_LOCAL_MACHINE, MACHINE_CLASSES "Brindlecast\\DefaultIcon", 0, 1 },
    { HKEY_LOCAL_MACHINE, MACHINE_CLASSES "Brindlecast\\shell", 1, 0 },
    { HKEY_LOCAL_MACHINE, MACHINE_CLASSES "Brindlecast\\shell\\open", 1, 0 },
    { HKEY_LOCAL_MACHINE, MACHINE_CLASSES "Brindlecast\\shell\\open\\command", 0, 1 },
};

void ExpectStoredString(HKEY root, const std::string &key, const char *value, const std::string &text)
{
    SCOPED_TRACE(key + " : " + (value ? value : "(default)"));
    RegValue found = ReadRegValue(root, key, value);
    ASSERT_TRUE(found.Found);
    EXPECT_EQ(found.Type, (DWORD)REG_SZ);
    EXPECT_EQ(found.Size, text.size() + 1);
    EXPECT_EQ(found.Data, text + '\0');
}

void ExpectInstalledRegistry(const std::string &folder)
{
    for (const InstalledValue &expected : InstalledValues(folder)) {
        if (expected.Type == REG_SZ) {
            ExpectStoredString(expected.Root, expected.Key, expected.Name, expected.Text);
            continue;
        }
        SCOPED_TRACE(expected.Key + " : " + expected.Name);
        RegValue found = ReadRegValue(expected.Root, expected.Key, expected.Name);
        EXPECT_EQ(found.Type, expected.Type);
        ASSERT_EQ(found.Size, 4u);
        if (expected.Key != UserSettingsKey) {
            EXPECT_EQ(*(const DWORD *)found.Data.data(), expected.Number);
        }
    }
    for (const InstalledKey &key : InstalledKeys) {
        SCOPED_TRACE(key.Key);
        HKEY opened;
        DWORD subkeys = 0, values = 0;
        ASSERT_EQ(RegOpenKeyExA(key.Root, key.Key, 0, KEY_READ, &opened), ERROR_SUCCESS);
        EXPECT_EQ(RegQueryInfoKeyA(opened, NULL, NULL, NULL, &subkeys, NULL, NULL, &values, NULL, NULL, NULL, NULL),
                  ERROR_SUCCESS);
        RegCloseKey(opened);
        EXPECT_EQ(subkeys, key.Subkeys);
        EXPECT_EQ(values, key.Values);
    }
    // The association is all users', none of it the current user's alone.
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "Software\\Classes\\.tsl"));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, "Software\\Classes\\Brindlecast"));
}

void ExpectWideInstalledRegistry(const std::wstring &folder)
{
    static const char Marker[] = "\x01";
    for (const InstalledValue &expected : InstalledValues(Marker)) {
        size_t at = expected.Text.find(Marker);
        if (expected.Type != REG_SZ || at == std::string::npos)
            continue;
        SCOPED_TRACE(expected.Key + " : " + (expected.Name ? expected.Name : "(default)"));
        std::wstring text = WideText(expected.Text.substr(0, at)) + folder + WideText(expected.Text.substr(at + 1));
        HKEY key;
        WCHAR data[2048] = L"";
        DWORD type = REG_NONE, size = sizeof data;
        ASSERT_EQ(RegOpenKeyExW(expected.Root, WideText(expected.Key).c_str(), 0, KEY_QUERY_VALUE, &key),
                  ERROR_SUCCESS);
        LONG read = RegQueryValueExW(key, expected.Name ? WideText(expected.Name).c_str() : NULL, NULL, &type,
                                     (BYTE *)data, &size);
        RegCloseKey(key);
        ASSERT_EQ(read, ERROR_SUCCESS);
        EXPECT_EQ(type, (DWORD)REG_SZ);
        EXPECT_EQ(size, (text.size() + 1) * sizeof(WCHAR));
        EXPECT_EQ(std::wstring(data), text);
    }
}

void ExpectNoRegistry()
{
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, MakerKey));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, AppPathsEntryKey));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, UninstallEntryKey));
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, UserMakerKey));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, ".tsl"));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, FileTypeKey));
}

std::string DefaultInstallFolder()
{
    RegValue programs = ReadRegValue(HKEY_LOCAL_MACHINE, CurrentVersionKey, "ProgramFilesDir");
    return std::string(programs.Data.c_str()) + "\\Brindlecast";
}

void RecordPreviousInstall(const std::string &pathBytes, bool makerKey)
{
    HKEY key;
    if (makerKey) {
        RegCreateKeyExA(HKEY_LOCAL_MACHINE, MakerKey, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL);
        RegCloseKey(key);
    }
    RegCreateKeyExA(HKEY_LOCAL_MACHINE, AppPathsEntryKey, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL);
    // A zero right after the bytes would make the registry count it in, as
    // Windows NT does for callers that forgot the terminator.
    std::string guarded = pathBytes + "#";
    RegSetValueExA(key, "Path", 0, REG_SZ, (const BYTE *)guarded.data(), pathBytes.size());
    RegCloseKey(key);
}

void LockMakerKey()
{
    HKEY key;
    PSECURITY_DESCRIPTOR security;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, MakerKey, 0, NULL, 0, KEY_ALL_ACCESS, NULL, &key, NULL),
              ERROR_SUCCESS);
    // Denied: KEY_CREATE_SUB_KEY to everyone; everything else allowed, deleting the key too.
    ASSERT_TRUE(ConvertStringSecurityDescriptorToSecurityDescriptorA("D:(D;;0x4;;;WD)(A;;KA;;;WD)", SDDL_REVISION_1,
                                                                     &security, NULL));
    EXPECT_EQ(RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, security), ERROR_SUCCESS);
    LocalFree(security);
    RegCloseKey(key);
}

std::string WithTerminator(const std::string &folder)
{
    return folder + std::string(1, '\0');
}

void PutOldProductFiles(const std::string &folder)
{
    for (const char *name : ProductFileNames)
        WriteBytes(folder + "\\" + name, std::string("old ") + name);
}

static const char SettingsBytes[] = "the user's settings", VictimBytes[] = "another program's settings";

SettingsRemoval RemoveWithSettingsFile(const std::string &top, const std::wstring &name, DWORD platformId)
{
    std::string old = top + "\\Home\\Old", install = top + "\\Apps\\Tarn\\New";
    for (const char *folder : { "", "\\Home", "\\Home\\Old", "\\Apps", "\\Apps\\Tarn", "\\Apps\\Tarn\\New" })
        CreateDirectoryA((top + folder).c_str(), NULL);
    PutOldProductFiles(old);
    WriteWideBytes(WideText(old) + L"\\" + name, SettingsBytes);
    WriteBytes(top + "\\Victim.tsl", VictimBytes);
    RecordPreviousInstall(WithTerminator(old));
    lstrcpyA(SetupState.InstallPath, install.c_str());
    SetupState.PlatformId = platformId;

    SettingsRemoval removal;
    {
        BoxCapture boxes(IDYES);
        RemovePreviousInstall(GetDesktopWindow());
        for (const RecordedBox &box : boxes.Boxes)
            removal.Boxes.push_back(box.Text);
    }
    removal.After = WideTree(WideText(top));
    return removal;
}

std::map<std::wstring, std::string> SettingsFileMovedByName(const std::wstring &name)
{
    return {
        { L"\\Apps", "folder" },
        { L"\\Apps\\Tarn", "folder" },
        { L"\\Apps\\Tarn\\New", "folder" },
        { L"\\Apps\\Tarn\\New\\" + name, SettingsBytes },
        { L"\\Home", "folder" },
        { L"\\Victim.tsl", VictimBytes },
    };
}

static const UINT ShellNotice = WM_APP + 1;
static LONG NoticedEvents;

static LRESULT CALLBACK NoticeWindow(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == ShellNotice)
        NoticedEvents |= (LONG)lParam;
    return DefWindowProcA(window, message, wParam, lParam);
}

bool ShellHearsOfAssociations(const std::function<void()> &action)
{
    WNDCLASSA kind = {};
    kind.lpfnWndProc = NoticeWindow;
    kind.hInstance = GetModuleHandleA(NULL);
    kind.lpszClassName = "AssociationListener";
    RegisterClassA(&kind);
    HWND listener = CreateWindowA("AssociationListener", "", 0, 0, 0, 0, 0, HWND_MESSAGE, NULL, kind.hInstance, NULL);
    SHChangeNotifyEntry everything = { NULL, TRUE };
    ULONG registration = listener ? SHChangeNotifyRegister(listener, SHCNRF_ShellLevel | SHCNRF_InterruptLevel,
                                                           SHCNE_ASSOCCHANGED, ShellNotice, 1, &everything)
                                  : 0;
    if (!registration) {
        if (listener)
            DestroyWindow(listener);
        return false;
    }
    NoticedEvents = 0;
    action();
    MSG message;
    for (int waited = 0; !(NoticedEvents & SHCNE_ASSOCCHANGED) && waited < 2000; waited += 20) {
        while (PeekMessageA(&message, NULL, 0, 0, PM_REMOVE))
            DispatchMessageA(&message);
        Sleep(20);
    }
    SHChangeNotifyDeregister(registration);
    DestroyWindow(listener);
    return (NoticedEvents & SHCNE_ASSOCCHANGED) != 0;
}

std::string StartMenuFolder(int csidl)
{
    char path[MAX_PATH] = "";
    SHGetFolderPathA(NULL, csidl, NULL, 0, path);
    return path;
}

std::string ShortcutPath(int csidl)
{
    return StartMenuFolder(csidl) + "\\Brindlecast.lnk";
}

// Loads a shortcut file into the shell's link object through its ANSI or
// wide interface and shows it to `read`; false when it cannot be loaded.
template <typename Link, typename Read>
static bool ReadLoadedShortcut(const WCHAR *path, REFIID linkInterface, Read read)
{
    Link *link = NULL;
    IPersistFile *file = NULL;
    HRESULT initialised = CoInitialize(NULL);
    bool loaded = SUCCEEDED(CoCreateInstance(CLSID_ShellLink, NULL, CLSCTX_INPROC_SERVER, linkInterface, (void **)&link))
                  && SUCCEEDED(link->QueryInterface(IID_IPersistFile, (void **)&file))
                  && SUCCEEDED(file->Load(path, STGM_READ));
    if (loaded)
        read(link);
    if (file)
        file->Release();
    if (link)
        link->Release();
    if (SUCCEEDED(initialised))
        CoUninitialize();
    return loaded;
}

WideShortcutInfo ReadWideShortcut(int csidl)
{
    WideShortcutInfo info = { false, L"", L"" };
    WCHAR path[MAX_PATH * 2] = L"";

    SHGetFolderPathW(NULL, csidl, NULL, 0, path);
    std::wstring shortcut = std::wstring(path) + L"\\Brindlecast.lnk";
    info.Found = ReadLoadedShortcut<IShellLinkW>(shortcut.c_str(), IID_IShellLinkW, [&](IShellLinkW *link) {
        LPITEMIDLIST target = NULL;
        path[0] = 0;
        if (SUCCEEDED(link->GetIDList(&target)) && target) {
            SHGetPathFromIDListW(target, path);
            CoTaskMemFree(target);
        }
        info.Target = path;
        path[0] = 0;
        link->GetWorkingDirectory(path, MAX_PATH * 2);
        info.WorkingDir = path;
    });
    return info;
}

ShortcutInfo ReadShortcut(int csidl)
{
    ShortcutInfo info = { false, "", "", "", "", "", 0 };
    WCHAR wide[MAX_PATH * 2];

    MultiByteToWideChar(CP_ACP, 0, ShortcutPath(csidl).c_str(), -1, wide, MAX_PATH * 2);
    info.Found = ReadLoadedShortcut<IShellLinkA>(wide, IID_IShellLinkA, [&](IShellLinkA *link) {
        char text[MAX_PATH * 2];
        int icon = 0;
        text[0] = 0;
        link->GetPath(text, sizeof text, NULL, SLGP_RAWPATH);
        info.Target = text;
        text[0] = 0;
        link->GetWorkingDirectory(text, sizeof text);
        info.WorkingDir = text;
        text[0] = 0;
        link->GetDescription(text, sizeof text);
        info.Description = text;
        text[0] = 0;
        link->GetArguments(text, sizeof text);
        info.Arguments = text;
        text[0] = 0;
        link->GetIconLocation(text, sizeof text, &icon);
        info.IconPath = text;
        link->GetHotkey(&info.Hotkey);
    });
    return info;
}

static const char UserShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
static const char ShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";

static void SaveValue(const char *key, bool &found, DWORD &type, std::string &data)
{
    HKEY opened;
    char bytes[2048];
    DWORD size = sizeof bytes;
    found = RegOpenKeyExA(HKEY_CURRENT_USER, key, 0, KEY_QUERY_VALUE, &opened) == ERROR_SUCCESS;
    if (!found)
        return;
    found = RegQueryValueExA(opened, "Start Menu", NULL, &type, (BYTE *)bytes, &size) == ERROR_SUCCESS;
    if (found)
        data.assign(bytes, size);
    RegCloseKey(opened);
}

static void RestoreValue(const char *key, bool found, DWORD type, const std::string &data)
{
    HKEY opened;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, key, 0, NULL, 0, KEY_SET_VALUE, NULL, &opened, NULL) != ERROR_SUCCESS)
        return;
    if (found)
        RegSetValueExA(opened, "Start Menu", 0, type, (const BYTE *)data.data(), data.size());
    else
        RegDeleteValueA(opened, "Start Menu");
    RegCloseKey(opened);
}

LostStartMenu::LostStartMenu()
{
    SaveValue(UserShellFolders, UserShellFolder.Found, UserShellFolder.Type, UserShellFolder.Data);
    SaveValue(ShellFolders, ShellFolder.Found, ShellFolder.Type, ShellFolder.Data);
    Parent = MakeScratchDir("no-start-menu");
    RestoreValue(UserShellFolders, true, REG_EXPAND_SZ, Parent + "\\Start Menu" + '\0');
}

LostStartMenu::~LostStartMenu()
{
    RestoreValue(UserShellFolders, UserShellFolder.Found, UserShellFolder.Type, UserShellFolder.Data);
    RestoreValue(ShellFolders, ShellFolder.Found, ShellFolder.Type, ShellFolder.Data);
    DeleteTree(Parent);
}

MovedStartMenu::MovedStartMenu(const std::wstring &folder)
{
    HKEY opened;
    SaveValue(UserShellFolders, UserShellFolder.Found, UserShellFolder.Type, UserShellFolder.Data);
    SaveValue(ShellFolders, ShellFolder.Found, ShellFolder.Type, ShellFolder.Data);
    CreateDirectoryW(folder.c_str(), NULL);
    if (RegCreateKeyExA(HKEY_CURRENT_USER, UserShellFolders, 0, NULL, 0, KEY_SET_VALUE, NULL, &opened, NULL)
        == ERROR_SUCCESS) {
        RegSetValueExW(opened, L"Start Menu", 0, REG_EXPAND_SZ, (const BYTE *)folder.c_str(),
                       (folder.size() + 1) * sizeof(WCHAR));
        RegCloseKey(opened);
    }
}

MovedStartMenu::~MovedStartMenu()
{
    RestoreValue(UserShellFolders, UserShellFolder.Found, UserShellFolder.Type, UserShellFolder.Data);
    RestoreValue(ShellFolders, ShellFolder.Found, ShellFolder.Type, ShellFolder.Data);
}

std::wstring ReadWideRegString(HKEY root, const std::string &key, const char *value)
{
    HKEY opened;
    WCHAR text[2048] = L"";
    DWORD size = sizeof text - sizeof *text;
    std::wstring name = value ? WideText(value) : L"";
    if (RegOpenKeyExA(root, key.c_str(), 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS)
        return L"";
    if (RegQueryValueExW(opened, value ? name.c_str() : NULL, NULL, NULL, (BYTE *)text, &size) != ERROR_SUCCESS)
        size = 0;
    RegCloseKey(opened);
    return std::wstring(text, size / sizeof *text).c_str();
}

bool RecordTrueFolder(const std::string &folder, const std::wstring &trueFolder)
{
    for (const InstalledValue &value : InstalledValues(folder)) {
        size_t at = value.Text.find(folder);
        HKEY opened;
        if (value.Type != REG_SZ || at == std::string::npos)
            continue;
        std::wstring text = WideText(value.Text.substr(0, at)) + trueFolder + WideText(value.Text.substr(at + folder.size()));
        std::wstring name = value.Name ? WideText(value.Name) : L"";
        if (RegOpenKeyExA(value.Root, value.Key.c_str(), 0, KEY_SET_VALUE, &opened) != ERROR_SUCCESS)
            return false;
        LONG written = RegSetValueExW(opened, value.Name ? name.c_str() : NULL, 0, REG_SZ, (const BYTE *)text.c_str(),
                                      (text.size() + 1) * sizeof(WCHAR));
        RegCloseKey(opened);
        if (written != ERROR_SUCCESS)
            return false;
    }
    return true;
}
