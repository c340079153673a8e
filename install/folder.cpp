// The install folder: the proposed default, and the typed folder checked and created.
#include "install.h"
#include "../common/system.h"
#include "../common/widefiles.h"

typedef DWORD(WINAPI *LongPathCall)(LPCWSTR, LPWSTR, DWORD);

// A folder taken by its short form is recorded by its true name, which
// Windows before 2000 cannot give; one whose true name converts exactly is
// recorded as its ANSI form, as on every Windows.
int TrueInstallFolder(WCHAR *to)
{
    LongPathCall longPath = (LongPathCall)(void *)BoundFunction(CALL_GET_LONG_PATH_NAME_W);
    char exact[WIDE_PATH_CHARS];
    DWORD length;

    if (SetupState.PlatformId != VER_PLATFORM_WIN32_NT || !longPath
        || !MultiByteToWideChar(CP_ACP, 0, SetupState.InstallPath, -1, to, WIDE_PATH_CHARS))
        return 0;
    length = longPath(to, to, WIDE_PATH_CHARS);
    return length != 0 && length < WIDE_PATH_CHARS && !ExactAnsiText(exact, sizeof exact, to) ? (int)length : 0;
}

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
        found = ReadKeyPath(keys[opened - 1], ProgramFilesValue, SetupState.InstallPath,
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
    // A /D= folder whose name the code page lacks shows by its short form;
    // one that does not exist yet has none, and the default is proposed.
    if (SetupState.GivenWideFolder[0]) {
        if (!AnsiPathOf(SetupState.InstallPath, sizeof SetupState.InstallPath, SetupState.GivenWideFolder))
            DefaultInstallDir();
    } else if (SetupState.GivenFolder[0]) {
        CopyText(SetupState.InstallPath, SetupState.GivenFolder);
    } else {
        DefaultInstallDir();
    }
}

BYTE ProposedShortcut(void)
{
    if (SetupState.GivenShortcut)
        return SetupState.GivenShortcut - 1;
    // Shortcuts for all users exist only on the NT family.
    return SetupState.PlatformId == VER_PLATFORM_WIN32_NT ? SHORTCUT_ALL_USERS : SHORTCUT_CURRENT_USER;
}

typedef DWORD(WINAPI *AttributesCall)(LPCWSTR);
typedef BOOL(WINAPI *CreateFolderCall)(LPCWSTR, LPSECURITY_ATTRIBUTES);

static int IsWideBlank(WCHAR c)
{
    return c == L' ' || c == L'\t';
}

// A /D= folder read in wide characters, checked by the rules of a typed
// one and made by its wide name where it is missing, its parent existing;
// then taken by its ANSI form, which a folder that exists has unless its
// volume keeps no short names, and checked by that form as a typed one is
// (a file of that name cannot be entered).
static UINT PrepareGivenWideFolder(void)
{
    AttributesCall attributes = (AttributesCall)(void *)BoundFunction(CALL_GET_FILE_ATTRIBUTES_W);
    CreateFolderCall create = (CreateFolderCall)(void *)BoundFunction(CALL_CREATE_DIRECTORY_W);
    WCHAR *path = SetupState.GivenWideFolder, *end, *last = 0, cut;
    DWORD parent;
    UINT failure;
    int made = 1;

    while (IsWideBlank(*path))
        path++;
    for (end = path; *end; end++)
        ;
    if ((path[0] | 0x20) < L'a' || (path[0] | 0x20) > L'z' || path[1] != L':' || path[2] != L'\\')
        return IDS_BAD_DRIVE;
    if (path[3] != 0) {
        if (end[-1] == L'\\')
            end[-1] = 0;
        for (WCHAR *at = path; *at; at++)
            if (*at == L'\\')
                last = at;
        if (last[-1] == L'\\')
            return IDS_DOUBLE_BACKSLASH;
        cut = last[1];
        last[1] = 0;
        parent = attributes ? attributes(path) : INVALID_FILE_ATTRIBUTES;
        last[1] = cut;
        if (parent == INVALID_FILE_ATTRIBUTES || !(parent & FILE_ATTRIBUTE_DIRECTORY))
            return IDS_NO_PARENT_DIR;
        made = attributes(path) != INVALID_FILE_ATTRIBUTES || GetLastError() != ERROR_FILE_NOT_FOUND
               || (create && (SetupState.FolderMade = (BYTE)create(path, NULL)) != 0);
    }
    if (!made) {
        failure = IDS_NO_CREATE_DIR;
    } else if (AnsiPathOf(SetupState.InstallPath, sizeof SetupState.InstallPath, path)) {
        failure = PrepareInstallDir();
    } else {
        SetupState.StepMessageInsert = SetupState.GivenFolder;
        failure = IDS_NO_ANSI_FORM;
    }
    return failure;
}

UINT TakeProposedChoices(void)
{
    SetupState.ShortcutChoice = ProposedShortcut();
    if (SetupState.GivenWideFolder[0])
        return PrepareGivenWideFolder();
    ProposeInstallDir();
    TrimBlanks(SetupState.InstallPath);
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
    SetupState.FolderMade = 1;
    return 0;
}
