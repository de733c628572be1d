#pragma once
// SHA-256 (FIPS 180-4), for the record a complete save writes: fed in chunks
// of any size.
#include <array>
#include <cstdint>
#include <span>
#include <string>

class TSha256 {
public:
    TSha256();
    void Add(std::span<const uint8_t> bytes);
    // The digest; the object is spent afterwards.
    std::array<uint8_t, 32> Finish();

private:
    void Block(const uint8_t* block);

    uint32_t state_[8];
    uint8_t buffer_[64];
    size_t buffered_ = 0;
    uint64_t length_ = 0;  // bytes added
};

// Lower-case hex of a digest.
std::string HexDigest(const std::array<uint8_t, 32>& digest);
std::string Sha256Hex(std::span<const uint8_t> bytes);
