// Records the installed product in the registry: version keys, application
// path, uninstall entry, per-user defaults and the file association.
#include "install.h"
#include "../common/system.h"
#include "../common/command.h"
#include "../common/widefiles.h"

// Creates (or opens) a key into keys[*opened] and counts it, as OpenKey
// does: every writer closes what it opened at its one exit.
static int CreateKey(HKEY parent, const char *name, REGSAM access, HKEY *keys, int *opened)
{
    if (RegCreateKeyExA(parent, name, 0, NULL, REG_OPTION_NON_VOLATILE, access, NULL, &keys[*opened], NULL)
        != ERROR_SUCCESS)
        return 0;
    LogLine("Registry key %s", name);
    ++*opened;
    return 1;
}

// Strings are stored with exactly one terminating zero.
static int SetString(HKEY key, const char *name, const char *text)
{
    if (RegSetValueExA(key, name, 0, REG_SZ, (const BYTE *)text, lstrlenA(text) + 1) != ERROR_SUCCESS)
        return 0;
    LogLine("Registry value %s = %s", name ? name : "(default)", text);
    return 1;
}

#define COMMAND_ROOM (INSTALL_PATH_ROOM + 2 + sizeof OpenCommandTail)
typedef LONG(WINAPI *SetValueCall)(HKEY, LPCWSTR, DWORD, DWORD, const BYTE *, DWORD);

// The install folder's true name while the entries are written, when its
// ANSI form is a short one that would outlive a change of short names and
// show the user a name that is not the folder's; empty otherwise.
static WCHAR TrueFolder[WIDE_PATH_CHARS];

// A value that names the install folder: the folder, a file in it, or a
// command that starts with one quoted. With a true name of its own the
// value is written in wide characters with that name in the ANSI form's
// place; the rest of it is the code page's.
static int SetPathString(HKEY key, const char *name, const char *text)
{
    // A value's name and what follows the folder are short ASCII texts of our own.
    WCHAR wideName[32], wide[WIDE_PATH_CHARS + 32];
    SetValueCall setValue = (SetValueCall)(void *)BoundFunction(CALL_REG_SET_VALUE_EX_W);
    int quoted = text[0] == '"';
    WCHAR *end;

    if (!TrueFolder[0])
        return SetString(key, name, text);
    wide[0] = L'"';
    end = CopyAsciiText(CopyWideText(wide + quoted, TrueFolder), text + quoted + lstrlenA(SetupState.InstallPath));
    if (name)
        CopyAsciiText(wideName, name);
    if (!setValue
        || setValue(key, name ? wideName : NULL, 0, REG_SZ, (const BYTE *)wide, (DWORD)((char *)(end + 1) - (char *)wide))
               != ERROR_SUCCESS)
        return 0;
    LogLine("Registry value %s = %s", name ? name : "(default)", text);
    return 1;
}

static int SetDword(HKEY key, const char *name, DWORD value)
{
    if (RegSetValueExA(key, name, 0, REG_DWORD, (const BYTE *)&value, sizeof value) != ERROR_SUCCESS)
        return 0;
    LogLine("Registry value %s = %lu", name, value);
    return 1;
}

// A path with spaces in a command line must be quoted, or the shell may run
// a program named by its first words instead: a file of the install folder,
// quoted, and a tail.
static_assert(sizeof QuietUninstallTail <= sizeof OpenCommandTail, "the quiet uninstall command fits");
static const char *InstalledCommand(char *to, const char *name, const char *tail)
{
    char path[INSTALL_PATH_ROOM];

    return QuotedCommand(to, InstallFolderPath(path, name), tail);
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
    // The maker, the product as created, the product opened to remove older
    // versions, then the version.
    HKEY versionChain[4];
    int opened = 0, written;

    written = CreateKey(software, MakerName, KEY_CREATE_SUB_KEY | KEY_ENUMERATE_SUB_KEYS, versionChain, &opened)
              && CreateKey(versionChain[0], ProductName, KEY_READ, versionChain, &opened)
              && OpenKey(versionChain[0], ProductName,
                         DELETE | READ_CONTROL | KEY_NOTIFY | KEY_ENUMERATE_SUB_KEYS | KEY_SET_VALUE | KEY_QUERY_VALUE,
                         versionChain, &opened);
    if (written) {
        RemoveVersionKeys(versionChain[2]);
        written = CreateKey(versionChain[2], VersionName, KEY_CREATE_SUB_KEY, versionChain, &opened);
    }
    CloseKeys(versionChain, opened);
    return written;
}

static int WriteAppPath(HKEY currentVersion)
{
    char program[INSTALL_PATH_ROOM];
    HKEY appPath[2];   // App Paths, the program's entry
    int opened = 0, written;

    written = OpenKey(currentVersion, AppPathsKey, KEY_CREATE_SUB_KEY, appPath, &opened)
              && CreateKey(appPath[0], ProgramFile, KEY_SET_VALUE, appPath, &opened)
              && SetPathString(appPath[1], AppPathValue, SetupState.InstallPath)
              && SetPathString(appPath[1], NULL, InstallFolderPath(program, ProgramFile));
    CloseKeys(appPath, opened);
    return written;
}

static int WriteUninstallEntry(HKEY currentVersion)
{
    char command[COMMAND_ROOM], program[INSTALL_PATH_ROOM];
    HKEY entry[2];   // Uninstall, the product's entry
    int opened = 0, written;

    written = CreateKey(currentVersion, UninstallKey, KEY_CREATE_SUB_KEY, entry, &opened)
              && CreateKey(entry[0], ProductName, KEY_SET_VALUE, entry, &opened)
              && SetString(entry[1], DisplayNameValue, ProductName)
              && SetPathString(entry[1], UninstallStringValue, InstalledCommand(command, UninstallerFile, ""));
    if (written) {
        // What the list of installed programs and package tools read besides.
        // The entry works without them, so a failed write does not stop the setup.
        SetString(entry[1], DisplayVersionValue, VersionName);
        SetString(entry[1], PublisherValue, MakerName);
        SetPathString(entry[1], DisplayIconValue, InstallFolderPath(program, ProgramFile));
        SetPathString(entry[1], InstallLocationValue, SetupState.InstallPath);
        for (const char *name : NoChangeValues)
            SetDword(entry[1], name, 1);
        SetPathString(entry[1], QuietUninstallStringValue, InstalledCommand(command, UninstallerFile, QuietUninstallTail));
    }
    CloseKeys(entry, opened);
    return written;
}

static int WriteMachineEntries(void)
{
    // SOFTWARE, then Microsoft, Windows and CurrentVersion.
    HKEY machine[1 + CURRENT_VERSION_DEPTH];
    int opened = 0, written;

    if (OpenKey(HKEY_LOCAL_MACHINE, MachineSoftwareKey, KEY_CREATE_SUB_KEY, machine, &opened)
        && WriteVersionKeys(machine[0]))
        opened += OpenKeyChain(machine[0], CurrentVersionChain, CURRENT_VERSION_DEPTH - 1, KEY_ENUMERATE_SUB_KEYS,
                               machine + 1);
    written = opened == CURRENT_VERSION_DEPTH
              && OpenKey(machine[opened - 1], CurrentVersionChain[CURRENT_VERSION_DEPTH - 1],
                         KEY_ENUMERATE_SUB_KEYS | KEY_CREATE_SUB_KEY, machine, &opened)
              && WriteAppPath(machine[CURRENT_VERSION_DEPTH])
              // NT before 4.0 has no list of programs to uninstall.
              && ((SetupState.PlatformId == VER_PLATFORM_WIN32_NT && SetupState.MajorVersion < 4)
                  || WriteUninstallEntry(machine[CURRENT_VERSION_DEPTH]));
    CloseKeys(machine, opened);
    return written;
}

// A user's own window position survives a reinstallation; a pair that is
// not whole is reset as a whole.
static int WriteUserDefaults(void)
{
    HKEY settings[4];   // Software, the maker, the product, Settings
    DWORD type;
    int opened = 0, whole = 1, written;

    written = OpenKey(HKEY_CURRENT_USER, UserSoftwareKey, KEY_CREATE_SUB_KEY, settings, &opened)
              && CreateKey(settings[0], MakerName, KEY_CREATE_SUB_KEY, settings, &opened)
              && CreateKey(settings[1], ProductName, KEY_CREATE_SUB_KEY, settings, &opened)
              && CreateKey(settings[2], SettingsKey, KEY_QUERY_VALUE | KEY_SET_VALUE, settings, &opened);
    if (written) {
        for (const char *name : WindowPositionValues)
            if (RegQueryValueExA(settings[3], name, NULL, &type, NULL, NULL) != ERROR_SUCCESS || type != REG_DWORD)
                whole = 0;
        if (!whole)
            for (const char *name : WindowPositionValues)
                SetDword(settings[3], name, 0);
    }
    CloseKeys(settings, opened);
    return written;
}

// The extension names the file type; the type's description, icon and open
// command are written below it. Only the keys' creation can fail the stage.
static int WriteAssociation(void)
{
    char program[INSTALL_PATH_ROOM], command[COMMAND_ROOM], path[ASSOCIATION_KEY_ROOM];
    // The extension, the file type, its icon, then shell, open and command below the type.
    HKEY association[3 + OPEN_COMMAND_DEPTH];
    HKEY root = AssociationKey(SetupState.PlatformId, SetupState.MajorVersion, SettingsExtension, path);
    int opened = 0, written;

    if (CreateKey(root, path, KEY_WRITE, association, &opened)) {
        SetString(association[0], NULL, ProductName);
        AssociationKey(SetupState.PlatformId, SetupState.MajorVersion, ProductName, path);
        if (CreateKey(root, path, KEY_WRITE, association, &opened)) {
            SetString(association[1], NULL, FileTypeDescription);
            if (CreateKey(association[1], DefaultIconKey, KEY_WRITE, association, &opened))
                SetPathString(association[2], NULL, InstallFolderPath(program, ProgramFile));
        }
    }
    written = opened == 3
              && CreateKey(association[1], OpenCommandChain[0], KEY_CREATE_SUB_KEY, association, &opened)
              && CreateKey(association[3], OpenCommandChain[1], KEY_CREATE_SUB_KEY, association, &opened)
              && CreateKey(association[4], OpenCommandChain[2], KEY_WRITE, association, &opened);
    if (written)
        SetPathString(association[5], NULL, InstalledCommand(command, ProgramFile, OpenCommandTail));
    CloseKeys(association, opened);
    // Let the shell show the new association without a restart.
    if (written)
        NotifyAssociationsChanged();
    return written;
}

UINT WriteRegistryEntries(void)
{
    if (!TrueInstallFolder(TrueFolder))
        TrueFolder[0] = 0;
    if (!WriteMachineEntries() || !WriteUserDefaults() || !WriteAssociation())
        return IDS_REGISTRY_FAILED;
    return 0;
}
