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
        // Leave room for the product folder's name and its terminator.
        DWORD size = INSTALL_DIR_CHARS - sizeof ProductFolder;
        found = RegQueryValueExA(keys[opened - 1], ProgramFilesValue, NULL, NULL,
                                 (BYTE *)SetupState.InstallPath, &size) == ERROR_SUCCESS;
        // A value stored without its terminator must not run on into the rest of the buffer.
        if (found)
            SetupState.InstallPath[size] = 0;
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
static BOOL EnterParent(char *lastBackslash)
{
    char kept = lastBackslash[1];
    BOOL entered;

    lastBackslash[1] = 0;
    entered = SetCurrentDirectoryA(SetupState.InstallPath);
    lastBackslash[1] = kept;
    return entered;
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

    if (!EnterParent(last))
        return IDS_NO_PARENT_DIR;
    if (SetCurrentDirectoryA(path))
        return 0;
    if (GetLastError() != ERROR_FILE_NOT_FOUND)
        return IDS_NO_ACCESS_DIR;
    if (!EnterParent(last))
        return IDS_NO_PARENT_DIR;
    // Made by the whole path, the very text every later step uses: by its
    // name alone, a name such as "/Tool" (the platform takes "/" for a
    // separator too) would be made in the drive's root instead.
    if (!CreateDirectoryA(path, NULL))
        return IDS_NO_CREATE_DIR;
    return 0;
}
