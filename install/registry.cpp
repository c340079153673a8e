// Records the installed product in the registry: version keys, application
// path, uninstall entry, per-user defaults and the file association.
#include "install.h"
#include "../common/system.h"

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

static int SetDword(HKEY key, const char *name, DWORD value)
{
    return RegSetValueExA(key, name, 0, REG_DWORD, (const BYTE *)&value, sizeof value) == ERROR_SUCCESS;
}

// A path with spaces in a command line must be quoted, or the shell may run
// a program named by its first words instead. The command is the path of a
// file in the install folder, quoted, and a tail.
#define COMMAND_ROOM (INSTALL_PATH_ROOM + 2 + sizeof OpenCommandTail)
static_assert(sizeof QuietUninstallTail <= sizeof OpenCommandTail, "the quiet uninstall command fits");
static const char *QuotedCommand(char *to, const char *name, const char *tail)
{
    char *end = CopyText(to, "\"");
    InstallFolderPath(end, name);
    CopyText(AppendText(end, "\""), tail);
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

static int WriteAppPath(HKEY currentVersion)
{
    char program[INSTALL_PATH_ROOM];
    HKEY appPaths, entry;

    if (RegOpenKeyExA(currentVersion, AppPathsKey, 0, KEY_CREATE_SUB_KEY, &appPaths) != ERROR_SUCCESS
        || !CreateKey(appPaths, ProgramFile, KEY_SET_VALUE, &entry)
        || !SetString(entry, AppPathValue, SetupState.InstallPath)
        || !SetString(entry, NULL, InstallFolderPath(program, ProgramFile)))
        return 0;
    RegCloseKey(entry);
    RegCloseKey(appPaths);
    return 1;
}

static int WriteUninstallEntry(HKEY currentVersion)
{
    char command[COMMAND_ROOM], program[INSTALL_PATH_ROOM];
    HKEY uninstall, entry;

    if (!CreateKey(currentVersion, UninstallKey, KEY_CREATE_SUB_KEY, &uninstall)
        || !CreateKey(uninstall, ProductName, KEY_SET_VALUE, &entry)
        || !SetString(entry, DisplayNameValue, ProductName)
        || !SetString(entry, UninstallStringValue, QuotedCommand(command, UninstallerFile, "")))
        return 0;
    // What the list of installed programs and package tools read besides.
    // The entry works without them, so a failed write does not stop the setup.
    SetString(entry, DisplayVersionValue, VersionName);
    SetString(entry, PublisherValue, MakerName);
    SetString(entry, DisplayIconValue, InstallFolderPath(program, ProgramFile));
    SetString(entry, InstallLocationValue, SetupState.InstallPath);
    for (const char *name : NoChangeValues)
        SetDword(entry, name, 1);
    SetString(entry, QuietUninstallStringValue, QuotedCommand(command, UninstallerFile, QuietUninstallTail));
    RegCloseKey(entry);
    RegCloseKey(uninstall);
    return 1;
}

static int WriteMachineEntries(void)
{
    HKEY software, keys[CURRENT_VERSION_DEPTH];

    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, MachineSoftwareKey, 0, KEY_CREATE_SUB_KEY, &software) != ERROR_SUCCESS
        || !WriteVersionKeys(software)
        || OpenKeyChain(software, CurrentVersionChain, CURRENT_VERSION_DEPTH - 1, KEY_ENUMERATE_SUB_KEYS, keys)
               != CURRENT_VERSION_DEPTH - 1
        || OpenKeyChain(keys[CURRENT_VERSION_DEPTH - 2], CurrentVersionChain + CURRENT_VERSION_DEPTH - 1, 1,
                        KEY_ENUMERATE_SUB_KEYS | KEY_CREATE_SUB_KEY, keys + CURRENT_VERSION_DEPTH - 1) != 1
        || !WriteAppPath(keys[CURRENT_VERSION_DEPTH - 1]))
        return 0;
    // NT before 4.0 has no list of programs to uninstall.
    if (!(SetupState.PlatformId == VER_PLATFORM_WIN32_NT && SetupState.MajorVersion < 4)
        && !WriteUninstallEntry(keys[CURRENT_VERSION_DEPTH - 1]))
        return 0;
    CloseKeys(keys, CURRENT_VERSION_DEPTH);
    RegCloseKey(software);
    return 1;
}

// A user's own window position survives a reinstallation; a pair that is
// not whole is reset as a whole.
static int WriteUserDefaults(void)
{
    HKEY keys[4];
    DWORD type;
    int whole = 1;

    if (RegOpenKeyExA(HKEY_CURRENT_USER, UserSoftwareKey, 0, KEY_CREATE_SUB_KEY, &keys[0]) != ERROR_SUCCESS
        || !CreateKey(keys[0], MakerName, KEY_CREATE_SUB_KEY, &keys[1])
        || !CreateKey(keys[1], ProductName, KEY_CREATE_SUB_KEY, &keys[2])
        || !CreateKey(keys[2], SettingsKey, KEY_QUERY_VALUE | KEY_SET_VALUE, &keys[3]))
        return 0;
    for (const char *name : WindowPositionValues)
        if (RegQueryValueExA(keys[3], name, NULL, &type, NULL, NULL) != ERROR_SUCCESS || type != REG_DWORD)
            whole = 0;
    if (!whole)
        for (const char *name : WindowPositionValues)
            SetDword(keys[3], name, 0);
    CloseKeys(keys, 4);
    return 1;
}

static int WriteAssociation(void)
{
    char program[INSTALL_PATH_ROOM], command[COMMAND_ROOM], path[ASSOCIATION_KEY_ROOM];
    HKEY extension, type, icon, keys[OPEN_COMMAND_DEPTH];
    HKEY root = AssociationKey(SetupState.PlatformId, SetupState.MajorVersion, SettingsExtension, path);

    if (!CreateKey(root, path, KEY_WRITE, &extension))
        return 0;
    SetString(extension, NULL, ProductName);
    RegCloseKey(extension);

    AssociationKey(SetupState.PlatformId, SetupState.MajorVersion, ProductName, path);
    if (!CreateKey(root, path, KEY_WRITE, &type))
        return 0;
    SetString(type, NULL, FileTypeDescription);
    if (!CreateKey(type, DefaultIconKey, KEY_WRITE, &icon))
        return 0;
    SetString(icon, NULL, InstallFolderPath(program, ProgramFile));
    RegCloseKey(icon);

    if (!CreateKey(type, OpenCommandChain[0], KEY_CREATE_SUB_KEY, &keys[0])
        || !CreateKey(keys[0], OpenCommandChain[1], KEY_CREATE_SUB_KEY, &keys[1])
        || !CreateKey(keys[1], OpenCommandChain[2], KEY_WRITE, &keys[2]))
        return 0;
    SetString(keys[2], NULL, QuotedCommand(command, ProgramFile, OpenCommandTail));
    CloseKeys(keys, OPEN_COMMAND_DEPTH);
    RegCloseKey(type);
    // Let the shell show the new association without a restart.
    NotifyAssociationsChanged();
    return 1;
}

UINT WriteRegistryEntries(void)
{
    if (!WriteMachineEntries() || !WriteUserDefaults() || !WriteAssociation())
        return IDS_REGISTRY_FAILED;
    return 0;
}
