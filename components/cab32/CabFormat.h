#pragma once

#include <cstddef>
#include <cstdint>
#include <ctime>

// The parts of the Microsoft Cabinet format the writer needs.
namespace cab32::format {

inline constexpr size_t kHeaderSize = 36;        // CFHEADER without reserve
inline constexpr size_t kFolderEntrySize = 8;    // CFFOLDER without reserve
inline constexpr size_t kFileEntryFixed = 16;    // CFFILE before its name
inline constexpr size_t kDataHeaderSize = 8;     // CFDATA before its data
inline constexpr size_t kBlockSize = 32768;      // uncompressed bytes per CFDATA
inline constexpr uint32_t kMaxBlocksPerFolder = 65535;
inline constexpr size_t kMaxFiles = 65535;
inline constexpr size_t kMaxNameBytes = 255;     // without the terminating NUL

inline constexpr uint16_t kCompressNone = 0;
inline constexpr uint16_t kCompressMszip = 1;

inline constexpr uint16_t kAttrReadOnly = 0x01;
inline constexpr uint16_t kAttrArchive = 0x20;
inline constexpr uint16_t kAttrUtf8Name = 0x80;

// The CFDATA checksum of the Cabinet format: 32-bit little-endian words
// XORed together, a short tail folded in with its first byte highest.
uint32_t checksum(const uint8_t* data, size_t size, uint32_t seed);

// Checksum of one CFDATA block: its data, then its cbData and cbUncomp.
uint32_t blockChecksum(const uint8_t* data, uint16_t compressedSize, uint16_t plainSize);

struct DosDateTime {
    uint16_t date = 0;
    uint16_t time = 0;
};

// Local time of t in MS-DOS form; times outside 1980..2107 are clamped.
DosDateTime toDosDateTime(std::time_t t);

inline void putLe16(uint8_t* p, uint16_t v)
{
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
}

inline void putLe32(uint8_t* p, uint32_t v)
{
    putLe16(p, static_cast<uint16_t>(v));
    putLe16(p + 2, static_cast<uint16_t>(v >> 16));
}

} // namespace cab32::format
