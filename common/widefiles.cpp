// Binds the wide file calls at run time and builds wide paths from ANSI folders and wide names.
#include "widefiles.h"

int BindWideFileCalls(WIDEFILECALLS *calls)
{
    HMODULE kernel = GetModuleHandleA("kernel32.dll");

    calls->FindFirst = (HANDLE(WINAPI *)(LPCWSTR, LPWIN32_FIND_DATAW))(void *)GetProcAddress(kernel, "FindFirstFileW");
    calls->FindNext = (BOOL(WINAPI *)(HANDLE, LPWIN32_FIND_DATAW))(void *)GetProcAddress(kernel, "FindNextFileW");
    calls->Move = (BOOL(WINAPI *)(LPCWSTR, LPCWSTR))(void *)GetProcAddress(kernel, "MoveFileW");
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
