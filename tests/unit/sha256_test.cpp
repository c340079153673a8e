// The setup's own SHA-256 against the NIST test vectors, whole and in the
// pieces a copy hands it.
#include <gtest/gtest.h>
#include <string>
#include "common/sha256.h"

static std::string Sha256Hex(const std::string &text, size_t piece)
{
    SHA256HASH hash;
    BYTE digest[SHA256_BYTES];
    Sha256Begin(&hash);
    for (size_t at = 0; at < text.size(); at += piece)
        Sha256Add(&hash, (const BYTE *)text.data() + at, (DWORD)std::min(piece, text.size() - at));
    Sha256End(&hash, digest);
    std::string hex;
    for (BYTE byte : digest) {
        hex += "0123456789abcdef"[byte >> 4];
        hex += "0123456789abcdef"[byte & 15];
    }
    return hex;
}

TEST(Sha256, NistVectorsWholeAndInPieces)
{
    const struct {
        std::string Text;
        const char *Digest;
    } vectors[] = {
        { "", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855" },
        { "abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad" },
        { "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
          "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1" },
        { std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0" },
    };
    // Pieces across and along block edges, and the copy's own block.
    const size_t pieces[] = { 1000000, 1, 55, 56, 63, 64, 65, 8192 };
    for (const auto &vector : vectors)
        for (size_t piece : pieces)
            EXPECT_EQ(Sha256Hex(vector.Text, piece), vector.Digest)
                << vector.Text.size() << " bytes in pieces of " << piece;
}
