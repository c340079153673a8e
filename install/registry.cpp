// Records the installed product in the registry, then places the Start Menu shortcut.
#include "install.h"
#include <shlobj.h>

static int CreateKey(HKEY parent, const char *name, REGSAM access, HKEY *key)
{
    return RegCreateKeyExA(parent, name, 0, NULL, REG_OPTION_NON_VOLATILE, access, NULL, key, NULL)
           == ERROR_SUCCESS;
}

// Strings are stored with exactly one terminating zero.
static int SetString(HKEY key, const char *name, const char *text)
{
    return RegSetValueExA(key, name, 0, REG_SZ, (const BYTE *)text, lstrlenA(text) + 1) == ERROR_SUCCESS;
}

// A path with spaces in a command line must be quoted, or the shell may run
// a program named by its first words instead.
static const char *Quoted(char *to, const char *path, const char *tail)
{
    char *end = CopyText(to, "\"");
    end = CopyText(end, path);
    end = CopyText(end, "\"");
    CopyText(end, tail);
    return to;
}

// Deletes version keys of earlier installations: the name buffer holds four
// characters, so longer names such as "Backup" are never returned and stay.
static void RemoveVersionKeys(HKEY product)
{
    DWORD index = 0;

    for (;;) {
        char name[5];
        DWORD size = sizeof name;
        LONG result = RegEnumKeyExA(product, index, name, &size, NULL, NULL, NULL, NULL);

        if (result == ERROR_SUCCESS && RegDeleteKeyA(product, name) == ERROR_SUCCESS)
            index = 0;
        else if (result == ERROR_SUCCESS || result == ERROR_MORE_DATA)
            index++;
        else
            return;   // no more keys, or an enumeration that cannot go on
    }
}

static int WriteVersionKeys(HKEY software)
{
    HKEY maker, product, version;

    if (!CreateKey(software, MakerName, KEY_CREATE_SUB_KEY | KEY_ENUMERATE_SUB_KEYS, &maker)
        || !CreateKey(maker, ProductName, KEY_READ, &product))
        return 0;
    RegCloseKey(product);
    if (RegOpenKeyExA(maker, ProductName, 0,
                      DELETE | READ_CONTROL | KEY_NOTIFY | KEY_ENUMERATE_SUB_KEYS | KEY_SET_VALUE | KEY_QUERY_VALUE,
                      &product) != ERROR_SUCCESS)
        return 0;
    RemoveVersionKeys(product);
    if (!CreateKey(product, VersionName, KEY_CREATE_SUB_KEY, &version))
        return 0;
    RegCloseKey(version);
    RegCloseKey(product);
    RegCloseKey(maker);
    return 1;
}

// Leaves the program path in InstallPath; the later stages take it from there.
static int WriteAppPath(HKEY currentVersion, char *name)
{
    HKEY appPaths, program;

    if (RegOpenKeyExA(currentVersion, "App Paths", 0, KEY_CREATE_SUB_KEY, &appPaths) != ERROR_SUCCESS
        || !CreateKey(appPaths, ProgramFile, KEY_SET_VALUE, &program)
        || !SetString(program, "Path", SetupState.InstallPath))
        return 0;
    name[-1] = '\\';
    CopyText(name, ProgramFile);
    if (!SetString(program, NULL, SetupState.InstallPath))
        return 0;
    RegCloseKey(program);
    RegCloseKey(appPaths);
    return 1;
}

static int WriteUninstallEntry(HKEY currentVersion, char *name)
{
    char command[INSTALL_PATH_ROOM + 2];
    HKEY uninstall, product;

    if (!CreateKey(currentVersion, "Uninstall", KEY_CREATE_SUB_KEY, &uninstall)
        || !CreateKey(uninstall, ProductName, KEY_SET_VALUE, &product)
        || !SetString(product, "DisplayName", ProductName))
        return 0;
    CopyText(name, UninstallerFile);
    Quoted(command, SetupState.InstallPath, "");
    CopyText(name, ProgramFile);
    if (!SetString(product, "UninstallString", command))
        return 0;
    RegCloseKey(product);
    RegCloseKey(uninstall);
    return 1;
}

static const char *const CurrentVersionChain[] = { "Microsoft", "Windows", "CurrentVersion" };

static int WriteMachineEntries(void)
{
    HKEY software, keys[3];
    char *name;

    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SOFTWARE", 0, KEY_CREATE_SUB_KEY, &software) != ERROR_SUCCESS
        || !WriteVersionKeys(software)
        || OpenKeyChain(software, CurrentVersionChain, 2, KEY_ENUMERATE_SUB_KEYS, keys) != 2
        || OpenKeyChain(keys[1], CurrentVersionChain + 2, 1, KEY_ENUMERATE_SUB_KEYS | KEY_CREATE_SUB_KEY, keys + 2) != 1)
        return 0;
    // The folder, then the program path: the name goes after a backslash
    // that is only put in place once "Path" has been written.
    name = SetupState.InstallPath + lstrlenA(SetupState.InstallPath) + 1;
    if (!WriteAppPath(keys[2], name))
        return 0;
    // NT before 4.0 has no list of programs to uninstall.
    if (!(SetupState.PlatformId == VER_PLATFORM_WIN32_NT && SetupState.MajorVersion < 4)
        && !WriteUninstallEntry(keys[2], name))
        return 0;
    CloseKeys(keys, 3);
    RegCloseKey(software);
    return 1;
}

// A user's own window position survives a reinstallation; a pair that is
// not whole is reset as a whole.
static int WriteUserDefaults(void)
{
    static const char *const names[] = { "WindowLeft", "WindowTop" };
    static const DWORD zero = 0;
    HKEY keys[4];
    DWORD type;
    int whole = 1;

    if (RegOpenKeyExA(HKEY_CURRENT_USER, "Software", 0, KEY_CREATE_SUB_KEY, &keys[0]) != ERROR_SUCCESS
        || !CreateKey(keys[0], MakerName, KEY_CREATE_SUB_KEY, &keys[1])
        || !CreateKey(keys[1], ProductName, KEY_CREATE_SUB_KEY, &keys[2])
        || !CreateKey(keys[2], "Settings", KEY_QUERY_VALUE | KEY_SET_VALUE, &keys[3]))
        return 0;
    for (int i = 0; i < 2; i++)
        if (RegQueryValueExA(keys[3], names[i], NULL, &type, NULL, NULL) != ERROR_SUCCESS || type != REG_DWORD)
            whole = 0;
    if (!whole)
        for (int i = 0; i < 2; i++)
            RegSetValueExA(keys[3], names[i], 0, REG_DWORD, (const BYTE *)&zero, sizeof zero);
    CloseKeys(keys, 4);
    return 1;
}

static int WriteAssociation(void)
{
    char command[INSTALL_PATH_ROOM + 8];
    HKEY extension, type, icon, keys[3];

    if (!CreateKey(HKEY_CLASSES_ROOT, ".tsl", KEY_WRITE, &extension))
        return 0;
    SetString(extension, NULL, ProductName);
    RegCloseKey(extension);

    if (!CreateKey(HKEY_CLASSES_ROOT, ProductName, KEY_WRITE, &type))
        return 0;
    SetString(type, NULL, "Brindlecast File");
    if (!CreateKey(type, "DefaultIcon", KEY_WRITE, &icon))
        return 0;
    SetString(icon, NULL, SetupState.InstallPath);
    RegCloseKey(icon);

    if (!CreateKey(type, "shell", KEY_CREATE_SUB_KEY, &keys[0])
        || !CreateKey(keys[0], "open", KEY_CREATE_SUB_KEY, &keys[1])
        || !CreateKey(keys[1], "command", KEY_WRITE, &keys[2]))
        return 0;
    SetString(keys[2], NULL, Quoted(command, SetupState.InstallPath, " %1"));
    CloseKeys(keys, 3);
    RegCloseKey(type);
    // Let the shell show the new association without a restart.
    SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, NULL, NULL);
    return 1;
}

int WriteRegistryEntries(HWND owner)
{
    if (!WriteMachineEntries() || !WriteUserDefaults() || !WriteAssociation())
        return 0;
    return CreateStartMenuShortcut(owner);
}
