// Binds the wide file calls through the table of run-time bindings and builds wide paths from ANSI folders and wide names.
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
