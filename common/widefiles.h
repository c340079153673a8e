// Names of files as Windows NT's file systems hold them, in wide characters,
// the file calls that take them, bound at run time, and their ANSI forms.
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
// The same of a text of ASCII characters, which every code page has alike
// (a name of the program's own).
WCHAR *CopyAsciiText(WCHAR *to, const char *from);

// The program works in ANSI characters, and on Windows NT a path the system
// gives in wide characters may hold characters the ANSI code page lacks (a
// Cyrillic user name on a Western Windows), or ones that convert only to a
// look-alike (the yen sign to '\' in code page 932). Such a path is used by
// its short form, whose characters are the code page's own. Fills `to`
// (`room` bytes) with the path when every character converts and converts
// back unchanged, else with its short form when that does; 0 when neither
// can be had (a volume without short names, or a path that does not exist).
// A path of at most WIDE_PATH_CHARS characters, its terminator included.
#define WIDE_PATH_CHARS 1024
int AnsiPathOf(char *to, int room, const WCHAR *path);
// Only the exact conversion: 0 when a character does not come back unchanged
// or the text does not fit.
int ExactAnsiText(char *to, int room, const WCHAR *text);

#endif
