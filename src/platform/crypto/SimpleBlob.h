#pragma once

// The SIMPLEBLOB layout of CryptoAPI. Internal to src/platform/crypto.
#include "platform/crypto/CryptoProvider.h"

#include <cstddef>
#include <cstdint>
#include <span>

namespace platform::simpleblob {

// BLOBHEADER (bType, bVersion, reserved, aiKeyAlg) + the exchange ALG_ID.
inline constexpr std::size_t kHeaderSize = 12;
inline constexpr std::uint8_t kTypeSimpleBlob = 1;
inline constexpr std::uint8_t kVersion = 2;

// Writes the 12 header bytes for a key of keyAlg sealed with the RSA
// key-exchange algorithm.
void writeHeader(std::span<std::uint8_t, kHeaderSize> out, CryptAlg keyAlg);

// True when blob starts with the header writeHeader gives for keyAlg and
// holds exactly sealedSize bytes after it.
bool hasHeader(std::span<const std::uint8_t> blob, CryptAlg keyAlg, std::size_t sealedSize);

} // namespace platform::simpleblob
