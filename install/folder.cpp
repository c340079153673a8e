// The install folder: the proposed default, and the typed folder checked and created.
#include "install.h"

void DefaultInstallDir(void)
{
    // SOFTWARE, Microsoft and Windows, then CurrentVersion.
    HKEY keys[1 + CURRENT_VERSION_DEPTH];
    int opened = 0, found = 0;

    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, MachineSoftwareKey, 0, KEY_ENUMERATE_SUB_KEYS, &keys[0]) == ERROR_SUCCESS)
        opened = 1 + OpenKeyChain(keys[0], CurrentVersionChain, CURRENT_VERSION_DEPTH - 1, KEY_ENUMERATE_SUB_KEYS,
                                  keys + 1);
    if (opened == CURRENT_VERSION_DEPTH
        && RegOpenKeyExA(keys[opened - 1], CurrentVersionChain[CURRENT_VERSION_DEPTH - 1], 0, KEY_QUERY_VALUE,
                         &keys[opened]) == ERROR_SUCCESS) {
        opened++;
        // Leaves room for the product folder's name.
        found = ReadKeyText(keys[opened - 1], ProgramFilesValue, SetupState.InstallPath,
                            sizeof SetupState.InstallPath + 1 - sizeof ProductFolder);
    }
    CloseKeys(keys, opened);
    if (found)
        AppendText(SetupState.InstallPath, ProductFolder);
    else
        CopyText(SetupState.InstallPath, FallbackInstallDir);
}

void ProposeInstallDir(void)
{
    if (SetupState.GivenFolder[0])
        CopyText(SetupState.InstallPath, SetupState.GivenFolder);
    else
        DefaultInstallDir();
}

BYTE ProposedShortcut(void)
{
    if (SetupState.GivenShortcut)
        return SetupState.GivenShortcut - 1;
    // Shortcuts for all users exist only on the NT family.
    return SetupState.PlatformId == VER_PLATFORM_WIN32_NT ? SHORTCUT_ALL_USERS : SHORTCUT_CURRENT_USER;
}

UINT TakeProposedChoices(void)
{
    ProposeInstallDir();
    TrimBlanks(SetupState.InstallPath);
    SetupState.ShortcutChoice = ProposedShortcut();
    return PrepareInstallDir();
}

// Makes the parent current: the path up to and including its last backslash.
static BOOL EnterParent(void)
{
    char parent[sizeof SetupState.InstallPath];

    FolderOf(parent, SetupState.InstallPath, FOLDER_AND_BACKSLASH);
    return SetCurrentDirectoryA(parent);
}

UINT PrepareInstallDir(void)
{
    char *path = SetupState.InstallPath;
    char *last;

    if (!HasDrivePrefix(path))
        return IDS_BAD_DRIVE;
    if (path[3] == 0)
        return 0;   // a drive root is taken as it is
    DropTrailingBackslash(path);

    // Both tests step by characters: the trail byte of a double-byte
    // character may be 0x5C and is no backslash.
    last = LastBackslash(path);
    if (*CharPrevA(path, last) == '\\')
        return IDS_DOUBLE_BACKSLASH;

    if (!EnterParent())
        return IDS_NO_PARENT_DIR;
    if (SetCurrentDirectoryA(path))
        return 0;
    if (GetLastError() != ERROR_FILE_NOT_FOUND)
        return IDS_NO_ACCESS_DIR;
    if (!EnterParent())
        return IDS_NO_PARENT_DIR;
    // Made by the whole path, the very text every later step uses: by its
    // name alone, a name such as "/Tool" (the platform takes "/" for a
    // separator too) would be made in the drive's root instead.
    if (!CreateDirectoryA(path, NULL))
        return IDS_NO_CREATE_DIR;
    return 0;
}
