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
// The forms of a folder that FolderOf gives: ready for a name to follow,
// or ending at its own last part.
enum FolderForm { FOLDER_ALONE, FOLDER_AND_BACKSLASH };
// Copies into `to` the folder that holds a path's last part: the path up to
// its last backslash (found by characters), "C:\a\b.exe" gives "C:\a", or
// "C:\a\" with FOLDER_AND_BACKSLASH. `to` may be the path itself, cut in
// place. A backslash third in the path, a drive root's, stays in either form
// ("C:\b.exe" gives "C:\"): "C:" alone names the drive's current folder.
// Returns the folder's end, its terminator; 0, with the path copied whole,
// when the path has no backslash.
char *FolderOf(char *to, const char *path, FolderForm form);
// Removes one backslash from the end of a text, when its last character is one.
void DropTrailingBackslash(char *text);
// Removes leading and trailing spaces and tabs in place.
void TrimBlanks(char *text);
// A folder, a backslash and a name; returns to. The backslash is added
// whatever the folder ends in: a drive root gets two in a row, which the file
// calls read as one, and an empty name leaves the folder's own trailing one.
char *JoinPath(char *to, const char *folder, const char *name);

#endif
