// Removes an earlier installation that the registry points to, offering to keep its settings files.
#include "install.h"
#include "../common/widefiles.h"
#include "../common/journal.h"

static const char MoveQuestion[] =
    "Settings files were found while removing a previous installation of " PRODUCT_NAME ". "
    "Do you want Setup to move them to the new installation folder?";
static const char MoveFailed[] =
    "Setup could not move one or more settings files to the new " PRODUCT_NAME " installation folder! "
    "Setup will continue.";
// The old folder is read from the registry into MAX_PATH + 1 bytes; a path
// inside it has room for a backslash and the longest name the platform allows.
#define OLD_PATH_ROOM (MAX_PATH + 1 + 1 + MAX_PATH)
static_assert(OLD_PATH_ROOM <= JOURNAL_TEXT_ROOM && INSTALL_PATH_ROOM <= JOURNAL_TEXT_ROOM,
              "the journal takes every path a settings file moves by");

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

// A search of the old folder's settings files, with the paths a file found
// moves by: in ANSI characters on the Windows 95 family, in wide ones on
// Windows NT, where the ANSI name of a file may be a look-alike of its own
// (widefiles.h) and so name another file, even one in another folder.
struct ANSISETTINGS {
    WIN32_FIND_DATAA Found;
    char Source[OLD_PATH_ROOM], Target[INSTALL_PATH_ROOM];
};
struct WIDESETTINGS {
    WIN32_FIND_DATAW Found;
    WCHAR Source[OLD_PATH_ROOM], Target[INSTALL_PATH_ROOM];
    WCHAR *SourceName, *TargetName;   // where the name goes after each folder
};
struct SETTINGSSEARCH {
    HANDLE Handle;
    WIDEFILECALLS Calls;   // bound on Windows NT alone: Calls.FindFirst is 0 elsewhere
    union {
        ANSISETTINGS Ansi;
        WIDESETTINGS Wide;
    };
};

// Returns 0 when the old folder holds no settings file, or on Windows NT
// when it cannot be searched by wide names: its settings files then stay
// with it, and its removal says so.
static int FindSettingsFiles(SETTINGSSEARCH *search, const char *oldPath)
{
    WIDESETTINGS *wide = &search->Wide;

    search->Calls.FindFirst = 0;
    if (SetupState.PlatformId != VER_PLATFORM_WIN32_NT) {
        ANSISETTINGS *ansi = &search->Ansi;
        search->Handle = FindFirstFileA(JoinPath(ansi->Source, oldPath, SettingsPattern), &ansi->Found);
    } else {
        wide->SourceName = WideFolder(wide->Source, ARRAY_LENGTH(wide->Source), oldPath);
        wide->TargetName = WideFolder(wide->Target, ARRAY_LENGTH(wide->Target), SetupState.InstallPath);
        if (!BindWideFileCalls(&search->Calls) || !wide->SourceName || !wide->TargetName)
            return 0;
        MultiByteToWideChar(CP_ACP, 0, SettingsPattern, -1, wide->SourceName, MAX_PATH);
        search->Handle = search->Calls.FindFirst(wide->Source, &wide->Found);
    }
    return search->Handle != INVALID_HANDLE_VALUE;
}

static int FindNextSettingsFile(SETTINGSSEARCH *search)
{
    if (!search->Calls.FindFirst)
        return FindNextFileA(search->Handle, &search->Ansi.Found);
    return search->Calls.FindNext(search->Handle, &search->Wide.Found);
}

// Moves the file found into the install folder under the name it has.
static int MoveSettingsFile(SETTINGSSEARCH *search, const char *oldPath)
{
    WIDESETTINGS *wide = &search->Wide;
    ANSISETTINGS *ansi = &search->Ansi;
    int moved;

    if (!search->Calls.FindFirst) {
        SettingsSource(ansi->Source, oldPath, &ansi->Found);
        InstallFolderPath(ansi->Target, ansi->Found.cFileName);
        moved = NoteMoved(ansi->Source, ansi->Target) && MoveFileA(ansi->Source, ansi->Target);
        if (moved)
            LogLine("Moved %s to %s", ansi->Source, ansi->Target);
        return moved;
    }
    // As SettingsSource: a path past MAX_PATH by the short name.
    if (CopyWideText(wide->SourceName, wide->Found.cFileName) - wide->Source >= MAX_PATH
        && wide->Found.cAlternateFileName[0])
        CopyWideText(wide->SourceName, wide->Found.cAlternateFileName);
    CopyWideText(wide->TargetName, wide->Found.cFileName);
    moved = NoteMovedWide(wide->Source, wide->Target) && search->Calls.Move(wide->Source, wide->Target);
    if (moved)
        LogLine("Moved %ls to %ls", wide->Source, wide->Target);
    return moved;
}

// The settings files of the old folder go to the new one, each by its full
// path. The search's wide paths would take most of a stack frame, which
// must stay within a page: they are kept with the program's data.
static void MoveSettingsFiles(HWND owner, const char *oldPath)
{
    static SETTINGSSEARCH search;
    int moved = 1;

    if (!FindSettingsFiles(&search, oldPath))
        return;
    if (AskOrTell(owner, MoveQuestion, MB_YESNO | MB_ICONQUESTION) == IDYES) {
        do
            moved = MoveSettingsFile(&search, oldPath);
        while (moved && FindNextSettingsFile(&search));
        if (!moved || GetLastError() != ERROR_NO_MORE_FILES)
            AskOrTell(owner, MoveFailed, MB_ICONERROR);
    }
    FindClose(search.Handle);
}

int IsSetupFolder(const char *folder)
{
    char own[2 * MAX_PATH];

    return ProgramFolder(own, sizeof own) && SameFolder(own, folder);
}

static void RemoveOldFolder(HWND owner, const char *oldPath)
{
    char path[OLD_PATH_ROOM];
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
    // Aside, not deleted: until the new installation is complete, a
    // failure brings them back. One that cannot go aside stays, and so
    // does its folder.
    if (!IsSetupFolder(oldPath))
        for (const char *file : ProductFiles)
            SetAside(JoinPath(path, oldPath, file));
    if (!same) {
        // No folder can be removed while it is a process's current folder,
        // this one's included, wherever the setup was started from.
        SetCurrentDirectoryA(SetupState.InstallPath);
        if (!LeaveFolder(oldPath))
            AskOrTell(owner, RemoveFailed, MB_ICONERROR);
    }
}

void CommitInstallation(HWND owner)
{
    if (!CommitJournal())
        AskOrTell(owner, RemoveFailed, MB_ICONERROR);
}

int FindPreviousInstall(char *oldPath)
{
    // SOFTWARE and the maker, then Microsoft, Windows, CurrentVersion, App
    // Paths and the program's entry.
    HKEY keys[2 + CURRENT_VERSION_DEPTH + 2];
    int opened = 0, found = 0;

    // Only the maker key's existence counts.
    if (OpenKey(HKEY_LOCAL_MACHINE, MachineSoftwareKey, KEY_CREATE_SUB_KEY, keys, &opened)
        && OpenKey(keys[0], MakerName, KEY_ENUMERATE_SUB_KEYS, keys, &opened))
        opened += OpenKeyChain(keys[0], CurrentVersionChain, CURRENT_VERSION_DEPTH, KEY_ENUMERATE_SUB_KEYS, keys + 2);
    if (opened == 2 + CURRENT_VERSION_DEPTH
        && OpenKey(keys[opened - 1], AppPathsKey, KEY_ENUMERATE_SUB_KEYS, keys, &opened)
        && OpenKey(keys[opened - 1], ProgramFile, KEY_QUERY_VALUE, keys, &opened)
        && ReadKeyPath(keys[opened - 1], AppPathValue, oldPath, PREVIOUS_PATH_ROOM)) {
        // Only a folder given from its drive's root is an installation of
        // this setup: a relative one, or a drive letter and colon alone,
        // would be read against whatever folder happens to be current.
        found = HasDrivePrefix(oldPath);
    }
    CloseKeys(keys, opened);
    return found;
}

void RemovePreviousInstall(HWND owner)
{
    char oldPath[PREVIOUS_PATH_ROOM];

    if (FindPreviousInstall(oldPath)) {
        LogLine("Earlier installation: %s", oldPath);
        RemoveOldFolder(owner, oldPath);
    }
}
