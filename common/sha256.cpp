// SHA-256 (FIPS 180-4), byte by byte: small rather than fast, and no C runtime.
#include "sha256.h"

static const DWORD InitialState[8] = {
    0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a, 0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19,
};

static const DWORD RoundConstants[64] = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2,
};

static DWORD Rotate(DWORD x, int bits)
{
    return (x >> bits) | (x << (32 - bits));
}

static void HashBlock(SHA256HASH *hash)
{
    DWORD w[64], v[8];

    for (int i = 0; i < 16; i++)
        w[i] = (DWORD)hash->Block[4 * i] << 24 | (DWORD)hash->Block[4 * i + 1] << 16
               | (DWORD)hash->Block[4 * i + 2] << 8 | hash->Block[4 * i + 3];
    for (int i = 16; i < 64; i++)
        w[i] = w[i - 16] + (Rotate(w[i - 15], 7) ^ Rotate(w[i - 15], 18) ^ (w[i - 15] >> 3)) + w[i - 7]
               + (Rotate(w[i - 2], 17) ^ Rotate(w[i - 2], 19) ^ (w[i - 2] >> 10));
    for (int i = 0; i < 8; i++)
        v[i] = hash->State[i];
    for (int i = 0; i < 64; i++) {
        DWORD a = v[0], e = v[4];
        DWORD t1 = v[7] + (Rotate(e, 6) ^ Rotate(e, 11) ^ Rotate(e, 25)) + ((e & v[5]) ^ (~e & v[6]))
                   + RoundConstants[i] + w[i];
        DWORD t2 = (Rotate(a, 2) ^ Rotate(a, 13) ^ Rotate(a, 22)) + ((a & v[1]) ^ (a & v[2]) ^ (v[1] & v[2]));
        for (int j = 7; j > 0; j--)
            v[j] = v[j - 1];
        v[4] += t1;
        v[0] = t1 + t2;
    }
    for (int i = 0; i < 8; i++)
        hash->State[i] += v[i];
}

void Sha256Begin(SHA256HASH *hash)
{
    for (int i = 0; i < 8; i++)
        hash->State[i] = InitialState[i];
    hash->Count = 0;
}

void Sha256Add(SHA256HASH *hash, const BYTE *data, DWORD size)
{
    for (; size; size--) {
        hash->Block[hash->Count++ % 64] = *data++;
        if (hash->Count % 64 == 0)
            HashBlock(hash);
    }
}

// Pads with 0x80, zeros and the length in bits, big-endian, to a whole block.
void Sha256End(SHA256HASH *hash, BYTE *digest)
{
    DWORD bitsHigh = hash->Count >> 29, bitsLow = hash->Count << 3;
    BYTE pad = 0x80;
    BYTE length[8];

    Sha256Add(hash, &pad, 1);
    pad = 0;
    while (hash->Count % 64 != 56)
        Sha256Add(hash, &pad, 1);
    for (int i = 0; i < 4; i++) {
        length[i] = (BYTE)(bitsHigh >> (24 - 8 * i));
        length[4 + i] = (BYTE)(bitsLow >> (24 - 8 * i));
    }
    Sha256Add(hash, length, 8);
    for (int i = 0; i < SHA256_BYTES; i++)
        digest[i] = (BYTE)(hash->State[i / 4] >> (24 - 8 * (i % 4)));
}
