// Text and path helpers that need no C runtime. Texts are ANSI in the
// platform's code page, which may be double-byte: the second byte of a
// character can be 0x5C, the backslash, so every walk through a text steps
// by characters (CharNextA/CharPrevA), never by bytes.
#ifndef COMMON_TEXT_H
#define COMMON_TEXT_H

#include <windows.h>

// Copies and appends; both return the end of the text.
char *CopyText(char *to, const char *from);
char *AppendText(char *to, const char *from);
// The last backslash of a text, or 0 when it has none.
char *LastBackslash(char *text);
// Removes one backslash from the end of a text, when its last character is one.
void DropTrailingBackslash(char *text);
// Removes leading and trailing spaces and tabs in place.
void TrimBlanks(char *text);
// A folder, a backslash and a name; returns to. The backslash is added
// whatever the folder ends in: a drive root gets two in a row, which the file
// calls read as one, and an empty name leaves the folder's own trailing one.
char *JoinPath(char *to, const char *folder, const char *name);

#endif
