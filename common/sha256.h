// SHA-256 of the setup's own: CryptoAPI offers it only from Windows XP SP3 on.
#ifndef COMMON_SHA256_H
#define COMMON_SHA256_H

#include <windows.h>

#define SHA256_BYTES 32

// A hash in progress. It counts bytes in 32 bits: its inputs stay below 4 GiB.
struct SHA256HASH {
    DWORD State[8];
    DWORD Count;
    BYTE Block[64];
};

void Sha256Begin(SHA256HASH *hash);
void Sha256Add(SHA256HASH *hash, const BYTE *data, DWORD size);
void Sha256End(SHA256HASH *hash, BYTE *digest);

#endif
