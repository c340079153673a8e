// Opening and closing chains of registry keys, the way every step walks the
// registry, and where the machine's file associations live.
#ifndef COMMON_KEYS_H
#define COMMON_KEYS_H

#include <windows.h>
#include "product.h"

// Opens each name in turn below a root, every key with the same access;
// returns how many opened (all of them when it returns count).
int OpenKeyChain(HKEY root, const char *const *names, int count, REGSAM access, HKEY *keys);
void CloseKeys(HKEY *keys, int count);
// Opens one key into keys[*opened] and counts it: a step that opens its keys
// this way closes all it opened, on every path, with one CloseKeys(keys, *opened).
int OpenKey(HKEY parent, const char *name, REGSAM access, HKEY *keys, int *opened);

// Reads a value of a key, of whatever type it was stored as, into `to` and
// ends it with a terminator of its own after its last byte: a value stored
// without one does not run on, and one stored with it ends there. Returns 1
// when the value had at most room - 1 bytes; 0 when it is missing or longer,
// and `to` then holds no text to read.
int ReadKeyText(HKEY key, const char *value, char *to, DWORD room);
// A value that names a path, in `room` bytes by its ANSI form (AnsiPathOf):
// on Windows NT it is read in wide characters, and may name a folder whose
// characters the code page lacks. 1 when read and it has such a form.
int ReadKeyPath(HKEY key, const char *value, char *to, DWORD room);

// SOFTWARE\Microsoft\Windows\CurrentVersion, below HKEY_LOCAL_MACHINE,
// and below it a key and an entry of that key when given (either may be
// 0); returns to. The key alone takes CURRENT_VERSION_ROOM bytes.
#define CURRENT_VERSION_ROOM 48
char *CurrentVersionPath(char *to, const char *key, const char *entry);

// The root and the path below it of a key of the machine's file
// associations (the extension or the file type) on that platform and major
// version. Windows 2000 and later write through HKEY_CLASSES_ROOT into the
// current user's classes when the user has a key of that name, so there it
// is HKEY_LOCAL_MACHINE and "Software\Classes\<name>"; before, the classes
// root is the machine's own key, and the path is the name alone. `to` holds
// ASSOCIATION_KEY_ROOM bytes.
#define ASSOCIATION_KEY_ROOM (sizeof MachineClassesKey + sizeof ProductName)
HKEY AssociationKey(DWORD platformId, DWORD majorVersion, const char *name, char *to);

#endif
