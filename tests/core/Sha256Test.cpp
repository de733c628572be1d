#include "Sha256.h"

#include <gtest/gtest.h>

namespace {

struct TDigestRow {
    std::string Text;
    const char* Digest;
};

std::span<const uint8_t> Bytes(const std::string& s) { return {reinterpret_cast<const uint8_t*>(s.data()), s.size()}; }

class Sha256Table : public ::testing::TestWithParam<TDigestRow> {};

// Every chunk size must give the one-feed digest: the sizes about the 56 and
// 64 bytes where padding needs a second block and a block fills.
TEST_P(Sha256Table, GivesTheDigestWhateverTheChunks)
{
    const TDigestRow& row = GetParam();
    EXPECT_EQ(Sha256Hex(Bytes(row.Text)), row.Digest);
    for (size_t chunk : {1, 55, 56, 63, 64, 65}) {
        TSha256 sha;
        for (size_t at = 0; at < row.Text.size(); at += chunk)
            sha.Add(Bytes(row.Text).subspan(at, std::min(chunk, row.Text.size() - at)));
        EXPECT_EQ(HexDigest(sha.Finish()), row.Digest) << row.Text.size() << " bytes in chunks of " << chunk;
    }
}

// FIPS 180-4's examples; the lengths 55, 63 and 64 (from Python's hashlib) end
// just before, inside and on a block.
INSTANTIATE_TEST_SUITE_P(
    Fips180, Sha256Table,
    ::testing::Values(
        TDigestRow{"", "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"},
        TDigestRow{"abc", "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"},
        TDigestRow{"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq",
                   "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1"},
        TDigestRow{std::string(1000000, 'a'), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
        TDigestRow{std::string(55, 'a'), "9f4390f8d30c2dd92ec9f095b65e2b9ae9b0a925a5258e241c9f1e910f734318"},
        TDigestRow{std::string(63, 'a'), "7d3e74a05d7db15bce4ad9ec0658ea98e3f06eeecf16b4c6fff2da457ddc2f34"},
        TDigestRow{std::string(64, 'a'), "ffe054fe7ae0cb6dc65c3af9b61d5209f439851db43d0ba5997337df154668eb"}));

}  // namespace
