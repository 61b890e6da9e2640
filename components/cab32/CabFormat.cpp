#include "CabFormat.h"

#include "SystemFiles.h"

namespace cab32::format {

uint32_t checksum(const uint8_t* data, size_t size, uint32_t seed)
{
    uint32_t sum = seed;
    size_t words = size / 4;
    for (size_t i = 0; i < words; ++i, data += 4) {
        sum ^= static_cast<uint32_t>(data[0]) | (static_cast<uint32_t>(data[1]) << 8)
             | (static_cast<uint32_t>(data[2]) << 16) | (static_cast<uint32_t>(data[3]) << 24);
    }
    uint32_t tail = 0;
    switch (size % 4) {
    case 3: tail |= static_cast<uint32_t>(*data++) << 16; [[fallthrough]];
    case 2: tail |= static_cast<uint32_t>(*data++) << 8; [[fallthrough]];
    case 1: tail |= *data; break;
    default: break;
    }
    return sum ^ tail;
}

uint32_t blockChecksum(const uint8_t* data, uint16_t compressedSize, uint16_t plainSize)
{
    uint8_t sizes[4];
    putLe16(sizes, compressedSize);
    putLe16(sizes + 2, plainSize);
    return checksum(sizes, 4, checksum(data, compressedSize, 0));
}

DosDateTime toDosDateTime(std::time_t t)
{
    std::tm local{};
    if (!sys::toLocalTime(t, local) || local.tm_year < 80)
        return {static_cast<uint16_t>((1 << 5) | 1), 0};
    if (local.tm_year > 207)
        return {static_cast<uint16_t>((127 << 9) | (12 << 5) | 31),
                static_cast<uint16_t>((23 << 11) | (59 << 5) | 29)};
    DosDateTime dos;
    dos.date = static_cast<uint16_t>(((local.tm_year - 80) << 9) | ((local.tm_mon + 1) << 5)
                                     | local.tm_mday);
    dos.time = static_cast<uint16_t>((local.tm_hour << 11) | (local.tm_min << 5)
                                     | (local.tm_sec / 2));
    return dos;
}

} // namespace cab32::format
