// Opening and closing chains of registry keys, the way every step walks the registry.
#include "keys.h"

int OpenKeyChain(HKEY root, const char *const *names, int count, REGSAM access, HKEY *keys)
{
    int opened;

    for (opened = 0; opened < count; opened++) {
        HKEY parent = opened ? keys[opened - 1] : root;
        if (RegOpenKeyExA(parent, names[opened], 0, access, &keys[opened]) != ERROR_SUCCESS)
            break;
    }
    return opened;
}

void CloseKeys(HKEY *keys, int count)
{
    while (count > 0)
        RegCloseKey(keys[--count]);
}
