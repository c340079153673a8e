// The shell's link object and the two of its interfaces that the setup and
// the uninstaller use, under the numbers the platform publishes for them.
#ifndef COMMON_SHELLLINK_H
#define COMMON_SHELLLINK_H

#include <windows.h>

inline constexpr GUID ShellLinkClass = { 0x00021401, 0, 0, { 0xC0, 0, 0, 0, 0, 0, 0, 0x46 } };
inline constexpr GUID ShellLinkInterface = { 0x000214EE, 0, 0, { 0xC0, 0, 0, 0, 0, 0, 0, 0x46 } };
inline constexpr GUID PersistFileInterface = { 0x0000010B, 0, 0, { 0xC0, 0, 0, 0, 0, 0, 0, 0x46 } };

#endif
