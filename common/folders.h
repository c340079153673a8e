// Where the running program lies, what lies beside it, and whether two folders are one.
#ifndef COMMON_FOLDERS_H
#define COMMON_FOLDERS_H

#include <windows.h>

// The running program's path in `room` bytes, by its ANSI form (AnsiPathOf)
// on Windows NT. Returns its length, or 0 when it cannot be had whole or has
// no ANSI form.
DWORD ProgramPath(char *to, DWORD room);

// The folder of the running program with its trailing backslash, so that a
// program in a drive root gives "C:\" and never "C:" (which would name the
// drive's current folder). Returns 0 when the path cannot be had whole.
int ProgramFolder(char *to, DWORD room);

// Windows 2000 and later load DLLs from "<program path>.local", a file or a
// folder beside the program, in place of those the program names, even by
// full path: whoever can write there chooses the program's system DLLs.
// Fills `to` (LOCAL_REDIRECT_ROOM bytes) with that path and returns where
// its file name starts when it exists; 0 when it does not, or when the
// program's path cannot be had whole.
inline constexpr char LocalRedirectSuffix[] = ".local";
#define LOCAL_REDIRECT_ROOM (2 * MAX_PATH + sizeof LocalRedirectSuffix)
const char *LocalRedirection(char *to);

// A drive letter, a colon and a backslash: the form of every folder the
// setup accepts. Anything else would be read against the current folder.
int HasDrivePrefix(const char *text);

// A folder written another way (other case, "..", "/", doubled or trailing
// backslashes, short names) is still the same folder. Returns 1 when a and b
// name one folder.
int SameFolder(const char *a, const char *b);

#endif
