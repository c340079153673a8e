// Text and path helpers that need no C runtime.
#ifndef COMMON_TEXT_H
#define COMMON_TEXT_H

#include <windows.h>

// Copies and appends; both return the end of the text.
char *CopyText(char *to, const char *from);
char *AppendText(char *to, const char *from);
// The last backslash of a text, or 0 when it has none.
char *LastBackslash(char *text);
// A folder, a backslash and a name, whatever the folder ends in; returns to.
char *JoinPath(char *to, const char *folder, const char *name);

#endif
