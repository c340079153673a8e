// Product files that another program holds open, seen before anything is
// changed, and the program that holds one, where Windows can name it.
#ifndef COMMON_INUSE_H
#define COMMON_INUSE_H

#include <windows.h>

// The second line of the message that a product file is in use, naming the
// program that holds it; the message's %s takes it, or nothing.
inline constexpr char InUseByLine[] = "\nIn use by: ";
// The line and a program's name, as the Restart Manager gives it (at most
// 255 wide characters, two bytes each in a double-byte code page).
#define IN_USE_LINE_ROOM (sizeof InUseByLine + 2 * 255)

// Looks at the first `count` product files (ProductFiles) in the folder,
// `except` (a name, or 0) left out. When one exists and another process has
// it open or mapped, so that it cannot be opened for writing alone, logs its
// path, fills `line` (IN_USE_LINE_ROOM bytes) with the line that names its
// holder (empty when Windows cannot name one) and returns 1. A read-only
// file is not in use: the programs clear that attribute themselves.
int FileInUse(const char *folder, int count, const char *except, char *line);

#endif
