// Opening and closing chains of registry keys, the way every step walks the registry.
#ifndef COMMON_KEYS_H
#define COMMON_KEYS_H

#include <windows.h>

// Opens each name in turn below a root, every key with the same access;
// returns how many opened (all of them when it returns count).
int OpenKeyChain(HKEY root, const char *const *names, int count, REGSAM access, HKEY *keys);
void CloseKeys(HKEY *keys, int count);

#endif
