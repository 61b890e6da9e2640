#include "platform/crypto/SimpleBlob.h"

namespace platform::simpleblob {
namespace {

void putLittleEndian(std::uint8_t* out, std::uint32_t value, int bytes)
{
    for (int i = 0; i < bytes; ++i)
        out[i] = static_cast<std::uint8_t>(value >> (8 * i));
}

} // namespace

void writeHeader(std::span<std::uint8_t, kHeaderSize> out, CryptAlg keyAlg)
{
    out[0] = kTypeSimpleBlob;
    out[1] = kVersion;
    putLittleEndian(&out[2], 0, 2);
    putLittleEndian(&out[4], static_cast<std::uint32_t>(keyAlg), 4);
    putLittleEndian(&out[8], static_cast<std::uint32_t>(CryptAlg::RsaKeyExchange), 4);
}

bool hasHeader(std::span<const std::uint8_t> blob, CryptAlg keyAlg, std::size_t sealedSize)
{
    if (blob.size() != kHeaderSize + sealedSize)
        return false;
    std::uint8_t expected[kHeaderSize];
    writeHeader(std::span<std::uint8_t, kHeaderSize>(expected), keyAlg);
    for (std::size_t i = 0; i < kHeaderSize; ++i) {
        if (blob[i] != expected[i])
            return false;
    }
    return true;
}

} // namespace platform::simpleblob
