// The registry keys an installation may change, saved whole before it
// changes any of them, and put back as they were.
#ifndef COMMON_KEYSAVE_H
#define COMMON_KEYSAVE_H

#include <windows.h>

// Writes every such key of that platform to the file: whether it exists,
// and the values (type and data) and subkeys of each. 0 when a key could
// not be read or the file written.
int SaveTouchedKeys(HANDLE file, DWORD platformId, DWORD majorVersion);
// Puts the keys saved in those bytes back as they were: a key that did not
// exist goes, with what was written below it since.
void RestoreKeys(const BYTE *saved, DWORD size);

#endif
