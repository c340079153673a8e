// Where the running program lies, and whether two folders are one.
#ifndef COMMON_FOLDERS_H
#define COMMON_FOLDERS_H

#include <windows.h>

// The folder of the running program with its trailing backslash, so that a
// program in a drive root gives "C:\" and never "C:" (which would name the
// drive's current folder). Returns 0 when the path cannot be had whole.
int ProgramFolder(char *to, DWORD room);

// A drive letter, a colon and a backslash: the form of every folder the
// setup accepts. Anything else would be read against the current folder.
int HasDrivePrefix(const char *text);

// A folder written another way (other case, "..", "/", doubled or trailing
// backslashes, short names) is still the same folder. Returns 1 when a and b
// name one folder.
int SameFolder(const char *a, const char *b);

#endif
