// Binds the wide file calls, builds wide paths from ANSI folders and wide names, and finds the ANSI form of a wide path.
#include "widefiles.h"
#include "system.h"

int BindWideFileCalls(WIDEFILECALLS *calls)
{
    calls->FindFirst = (HANDLE(WINAPI *)(LPCWSTR, LPWIN32_FIND_DATAW))(void *)BoundFunction(CALL_FIND_FIRST_FILE_W);
    calls->FindNext = (BOOL(WINAPI *)(HANDLE, LPWIN32_FIND_DATAW))(void *)BoundFunction(CALL_FIND_NEXT_FILE_W);
    calls->Move = (BOOL(WINAPI *)(LPCWSTR, LPCWSTR))(void *)BoundFunction(CALL_MOVE_FILE_W);
    return calls->FindFirst && calls->FindNext && calls->Move;
}

WCHAR *WideFolder(WCHAR *to, int room, const char *folder)
{
    // The count includes the terminator, whose place the backslash takes.
    int length = MultiByteToWideChar(CP_ACP, MB_ERR_INVALID_CHARS, folder, -1, to, room - MAX_PATH);

    if (length == 0)
        return 0;
    to[length - 1] = L'\\';
    return to + length;
}

WCHAR *CopyWideText(WCHAR *to, const WCHAR *from)
{
    while ((*to = *from++) != 0)
        to++;
    return to;
}

WCHAR *CopyAsciiText(WCHAR *to, const char *from)
{
    while ((*to = (BYTE)*from++) != 0)
        to++;
    return to;
}

// Checked by converting back, which every version of Windows can do: the
// flag that refuses look-alikes is unknown before Windows 2000.
int ExactAnsiText(char *to, int room, const WCHAR *text)
{
    WCHAR back[WIDE_PATH_CHARS];
    int length = WideCharToMultiByte(CP_ACP, 0, text, -1, to, room, NULL, NULL), i;

    if (length == 0 || MultiByteToWideChar(CP_ACP, 0, to, -1, back, WIDE_PATH_CHARS) == 0)
        return 0;
    for (i = 0; back[i] == text[i]; i++)
        if (text[i] == 0)
            return 1;
    return 0;
}

typedef DWORD(WINAPI *ShortPathCall)(LPCWSTR, LPWSTR, DWORD);

int AnsiPathOf(char *to, int room, const WCHAR *path)
{
    ShortPathCall shortPath = (ShortPathCall)(void *)BoundFunction(CALL_GET_SHORT_PATH_NAME_W);
    WCHAR shortForm[WIDE_PATH_CHARS];
    DWORD length;

    if (ExactAnsiText(to, room, path))
        return 1;
    if (!shortPath)
        return 0;
    length = shortPath(path, shortForm, WIDE_PATH_CHARS);
    return length != 0 && length < WIDE_PATH_CHARS && ExactAnsiText(to, room, shortForm);
}
