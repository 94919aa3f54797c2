// The byte codings the game's files are written in: LEB128 varints (seven bits a byte, low bits
// first), zigzag for signed numbers (0, -1, 1, -2, ... become 0, 1, 2, 3, ...), four-byte
// numbers low byte first, the FNV-1a digest and the CRC-32 checksum. The replay file and its
// question log both read and write through these, so the two can never code a number apart.
#pragma once

#include <zlib.h>

#include <cstdint>
#include <string>
#include <string_view>

inline uint64_t ZigZag(int64_t value) {
    return (static_cast<uint64_t>(value) << 1) ^ static_cast<uint64_t>(value >> 63);
}

inline int64_t UnZigZag(uint64_t value) {
    return static_cast<int64_t>(value >> 1) ^ -static_cast<int64_t>(value & 1);
}

inline void AppendVarint(std::string& out, uint64_t value) {
    while (value >= 0x80) {
        out.push_back(static_cast<char>(0x80 | (value & 0x7F)));
        value >>= 7;
    }
    out.push_back(static_cast<char>(value));
}

inline void AppendFixed32(std::string& out, uint32_t value) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>(value >> (8 * i)));
}

enum class VarintRead {
    Read,      // value holds the number
    CutShort,  // the bytes ended inside it
    TooLong,   // it runs past 64 bits
};

// Reads one varint, taking its bytes from next (a bool(uint8_t&) that is false once the bytes
// have run out).
template <typename NextByte>
VarintRead ReadVarint(NextByte&& next, uint64_t& value) {
    value = 0;
    for (int shift = 0; shift < 64; shift += 7) {
        uint8_t byte = 0;
        if (!next(byte)) return VarintRead::CutShort;
        if (shift == 63 && byte > 1) break;
        value |= static_cast<uint64_t>(byte & 0x7F) << shift;
        if ((byte & 0x80) == 0) return VarintRead::Read;
    }
    return VarintRead::TooLong;
}

// The same for a zigzagged signed number.
template <typename NextByte>
VarintRead ReadSigned(NextByte&& next, int64_t& value) {
    uint64_t raw = 0;
    const VarintRead read = ReadVarint(next, raw);
    value = UnZigZag(raw);
    return read;
}

// An order-sensitive 32-bit digest: FNV-1a over the bytes given, numbers low byte first.
class Fnv1a {
  public:
    void AddByte(uint8_t byte) { Value = (Value ^ byte) * 16777619u; }
    void Add(uint64_t value, int bytes = 4) {
        for (int i = 0; i < bytes; ++i) AddByte(static_cast<uint8_t>(value >> (8 * i)));
    }
    // The length first, so that two texts in a row cannot run into each other.
    void AddText(std::string_view text) {
        Add(text.size());
        for (char c : text) AddByte(static_cast<uint8_t>(c));
    }
    uint32_t Value = 2166136261u;
};

inline uint32_t Crc32(std::string_view bytes) {
    uLong crc = crc32(0L, Z_NULL, 0);
    // crc32 takes at most 4 GiB a call; nothing the game checks comes near.
    crc = crc32(crc, reinterpret_cast<const Bytef*>(bytes.data()), static_cast<uInt>(bytes.size()));
    return static_cast<uint32_t>(crc);
}
