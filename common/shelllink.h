// The shell's link object and the interfaces of it that the setup and the
// uninstaller use (the wide one on Windows NT, for folders the code page lacks), under the numbers the platform publishes for them, and
// the one way both take it, read it or write it, and give it back.
#ifndef COMMON_SHELLLINK_H
#define COMMON_SHELLLINK_H

#include <windows.h>
#include <shlobj.h>
#include "product.h"

inline constexpr GUID ShellLinkClass = { 0x00021401, 0, 0, { 0xC0, 0, 0, 0, 0, 0, 0, 0x46 } };
inline constexpr GUID ShellLinkInterface = { 0x000214EE, 0, 0, { 0xC0, 0, 0, 0, 0, 0, 0, 0x46 } };
inline constexpr GUID WideShellLinkInterface = { 0x000214F9, 0, 0, { 0xC0, 0, 0, 0, 0, 0, 0, 0x46 } };
inline constexpr GUID PersistFileInterface = { 0x0000010B, 0, 0, { 0xC0, 0, 0, 0, 0, 0, 0, 0x46 } };

// The shortcut's path: a Start Menu folder of at most MAX_PATH characters,
// a backslash and the shortcut's name.
#define SHORTCUT_PATH_ROOM (MAX_PATH + 1 + sizeof ShortcutFile)

// What a caller does with the link object, its target and texts read or
// set; 1 when done.
typedef int (*ShellLinkWork)(IShellLinkA *link);
enum ShellLinkUse { LINK_READ, LINK_WRITE };

// Takes the shell's link object with its file interface, on a thread that
// has started the component system, and gives both back on every path. To
// read, loads the shortcut at `path` and then does the work; to write, does
// the work and then saves the shortcut to `path`, a path of at most
// SHORTCUT_PATH_ROOM bytes in the ANSI code page. 1 when every call succeeded.
int WithShellLink(const char *path, ShellLinkUse use, ShellLinkWork work);

#endif
