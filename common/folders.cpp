// Where the running program lies, what lies beside it, and whether two folders are one.
#include "folders.h"
#include "text.h"
#include "system.h"
#include "widefiles.h"

typedef DWORD(WINAPI *ModuleNameCall)(HMODULE, LPWSTR, DWORD);

DWORD ProgramPath(char *to, DWORD room)
{
    ModuleNameCall wideName = (ModuleNameCall)(void *)BoundFunction(CALL_GET_MODULE_FILE_NAME_W);
    WCHAR wide[WIDE_PATH_CHARS];
    DWORD length;

    // Windows 95 has the wide call as a stand-in that fails.
    if (wideName && (length = wideName(NULL, wide, WIDE_PATH_CHARS)) != 0)
        return length < WIDE_PATH_CHARS && AnsiPathOf(to, room, wide) ? lstrlenA(to) : 0;
    length = GetModuleFileNameA(NULL, to, room);
    return length < room ? length : 0;
}

int ProgramFolder(char *to, DWORD room)
{
    return ProgramPath(to, room) && FolderOf(to, to, FOLDER_AND_BACKSLASH);
}

const char *LocalRedirection(char *to)
{
    DWORD room = LOCAL_REDIRECT_ROOM - (sizeof LocalRedirectSuffix - 1);
    DWORD length = ProgramPath(to, room);
    char *cut;

    if (length == 0 || !(cut = LastBackslash(to)))
        return 0;
    CopyText(to + length, LocalRedirectSuffix);
    return GetFileAttributesA(to) != INVALID_FILE_ATTRIBUTES ? cut + 1 : 0;
}

int HasDrivePrefix(const char *text)
{
    char letter = text[0] | 0x20;
    return letter >= 'a' && letter <= 'z' && text[1] == ':' && text[2] == '\\';
}

// Folders are compared by their full short form, and as written when that
// cannot be had.
static void ComparableFolder(const char *folder, char *to, DWORD room)
{
    char full[2 * MAX_PATH];
    DWORD length = GetFullPathNameA(folder, sizeof full, full, NULL);

    if (length == 0 || length >= sizeof full)
        CopyText(full, folder);
    length = GetShortPathNameA(full, to, room);
    if (length == 0 || length >= room)
        CopyText(to, full);
    DropTrailingBackslash(to);
}

int SameFolder(const char *a, const char *b)
{
    char first[2 * MAX_PATH], second[2 * MAX_PATH];

    ComparableFolder(a, first, sizeof first);
    ComparableFolder(b, second, sizeof second);
    return lstrcmpiA(first, second) == 0;
}
