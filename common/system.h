// System DLLs by full path, a DLL search that never looks beside the program,
// and the shell calls that only some Windows versions offer, bound at run time.
#ifndef COMMON_SYSTEM_H
#define COMMON_SYSTEM_H

#include <windows.h>

// Called first thing in an entry point: no system error boxes for a missing
// DLL, and no DLL that system code loads by name is taken from the program's
// folder, where a downloaded setup program may have company.
void HardenDllSearch(void);

// The path of a shell special folder (CSIDL_*) in a buffer of MAX_PATH bytes.
// Returns 1 when found, 0 on any failure, a system without the shell's
// folder functions included (Windows NT 3.x).
int FindSpecialFolder(HWND owner, int csidl, char *path);

// Tells the shell that file associations changed; nothing when the shell
// cannot be told.
void NotifyAssociationsChanged(void);

#endif
