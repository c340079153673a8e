// Names of files as Windows NT's file systems hold them, in wide characters,
// and the file calls that take them, bound at run time.
#ifndef COMMON_WIDEFILES_H
#define COMMON_WIDEFILES_H

#include <windows.h>

// A search's ANSI name is the wide name converted, and a character the code
// page lacks comes back as a look-alike ("best fit"), some of them path
// characters (a full-width backslash as '\', a division slash as '/'), or
// as '?'. So on Windows NT a name found in a folder is read and acted on in
// wide characters only. Windows 95 has these calls at most as stand-ins
// that fail, and the import table names only what both families export:
// they are looked up at run time.
struct WIDEFILECALLS {
    HANDLE(WINAPI *FindFirst)(LPCWSTR pattern, LPWIN32_FIND_DATAW found);
    BOOL(WINAPI *FindNext)(HANDLE search, LPWIN32_FIND_DATAW found);
    BOOL(WINAPI *Move)(LPCWSTR from, LPCWSTR to);
};

// 1 when every one of them was found.
int BindWideFileCalls(WIDEFILECALLS *calls);

// An ANSI folder in wide characters, converted exactly (a byte that is no
// character of the code page fails it), and a backslash, in a buffer of
// `room` wide characters. Returns where a name goes, with room left for
// MAX_PATH wide characters, its terminator included; 0 when the folder is
// no text of the code page or too long for that.
WCHAR *WideFolder(WCHAR *to, int room, const char *folder);
// Returns the end of the copy, its terminator.
WCHAR *CopyWideText(WCHAR *to, const WCHAR *from);

#endif
