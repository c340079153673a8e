// Removes an earlier installation that the registry points to, offering to keep its settings files.
#include "install.h"

static const char MoveQuestion[] =
    "Settings files were found while removing a previous installation of " PRODUCT_NAME ". "
    "Do you want Setup to move them to the new installation folder?";
static const char MoveFailed[] =
    "Setup could not move one or more settings files to the new " PRODUCT_NAME " installation folder! "
    "Setup will continue.";
// The old folder is read from the registry into MAX_PATH + 1 bytes; a path
// inside it has room for a backslash and the longest name the platform allows.
#define OLD_PATH_ROOM (MAX_PATH + 1 + 1 + MAX_PATH)

static const char RemoveFailed[] =
    "Setup could not remove a previous version's folder, possibly because it is not empty! "
    "Setup will continue.";

// A settings file in the old folder by its full path. The file calls take
// MAX_PATH bytes for the file they act on (more only for a destination): a
// path past that names the file by its short name, when it has one.
static const char *SettingsSource(char *to, const char *oldPath, const WIN32_FIND_DATAA *found)
{
    JoinPath(to, oldPath, found->cFileName);
    if (lstrlenA(to) >= MAX_PATH && found->cAlternateFileName[0])
        JoinPath(to, oldPath, found->cAlternateFileName);
    return to;
}

// The settings files of the old folder go to the new one, each by its full path.
static void MoveSettingsFiles(HWND owner, const char *oldPath)
{
    WIN32_FIND_DATAA found;
    char source[OLD_PATH_ROOM], target[INSTALL_PATH_ROOM];
    HANDLE search = FindFirstFileA(JoinPath(source, oldPath, SettingsPattern), &found);
    int moved = 1;

    if (search == INVALID_HANDLE_VALUE)
        return;
    if (AskOrTell(owner, MoveQuestion, MB_YESNO | MB_ICONQUESTION) == IDYES) {
        do {
            moved = MoveFileA(SettingsSource(source, oldPath, &found), InstallFolderPath(target, found.cFileName));
            if (moved)
                LogLine("Moved %s to %s", source, target);
        } while (moved && FindNextFileA(search, &found));
        if (!moved || GetLastError() != ERROR_NO_MORE_FILES)
            AskOrTell(owner, MoveFailed, MB_ICONERROR);
    }
    FindClose(search);
}

// Tells whether a folder is the one this setup program runs from: its
// product files are then the setup's own and must not be deleted.
static int IsSetupFolder(const char *folder)
{
    char own[2 * MAX_PATH];

    return ProgramFolder(own, sizeof own) && SameFolder(own, folder);
}

static void RemoveOldFolder(HWND owner, const char *oldPath)
{
    // The install folder itself, however the registry writes it (without
    // its terminator, in other case, by its short name): its settings files
    // stay where they are and the folder is never removed.
    int same = SameFolder(oldPath, SetupState.InstallPath);
    DWORD attributes = GetFileAttributesA(oldPath);

    if (!same) {
        if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY))
            return;   // gone already, or no folder: nothing to remove
        MoveSettingsFiles(owner, oldPath);
    }
    if (!IsSetupFolder(oldPath))
        DeleteProductFiles(oldPath);
    if (!same) {
        // No folder can be removed while it is a process's current folder,
        // this one's included, wherever the setup was started from.
        SetCurrentDirectoryA(SetupState.InstallPath);
        if (RemoveDirectoryA(oldPath))
            LogLine("Removed the folder %s", oldPath);
        else
            AskOrTell(owner, RemoveFailed, MB_ICONERROR);
    }
}

void RemovePreviousInstall(HWND owner)
{
    // SOFTWARE and the maker, then Microsoft, Windows, CurrentVersion, App
    // Paths and the program's entry.
    HKEY keys[2 + CURRENT_VERSION_DEPTH + 2];
    char oldPath[MAX_PATH + 1];
    int opened = 0;

    // Only the maker key's existence counts.
    if (OpenKey(HKEY_LOCAL_MACHINE, MachineSoftwareKey, KEY_CREATE_SUB_KEY, keys, &opened)
        && OpenKey(keys[0], MakerName, KEY_ENUMERATE_SUB_KEYS, keys, &opened))
        opened += OpenKeyChain(keys[0], CurrentVersionChain, CURRENT_VERSION_DEPTH, KEY_ENUMERATE_SUB_KEYS, keys + 2);
    if (opened == 2 + CURRENT_VERSION_DEPTH
        && OpenKey(keys[opened - 1], AppPathsKey, KEY_ENUMERATE_SUB_KEYS, keys, &opened)
        && OpenKey(keys[opened - 1], ProgramFile, KEY_QUERY_VALUE, keys, &opened)
        && ReadKeyText(keys[opened - 1], AppPathValue, oldPath, sizeof oldPath)) {
        // Only a folder given from its drive's root is an installation of
        // this setup: a relative one, or a drive letter and colon alone,
        // would be read against whatever folder happens to be current.
        if (HasDrivePrefix(oldPath)) {
            LogLine("Earlier installation: %s", oldPath);
            RemoveOldFolder(owner, oldPath);
        }
    }
    CloseKeys(keys, opened);
}
