#pragma once

#include "platform/crypto/CryptoProvider.h"
#include "platform/crypto/FileAccess.h"

#include <QString>

#include <cstdint>
#include <functional>

// Mode 0 of clsCryptFile: one encryption or decryption of a file, steps E1
// to E8 (Crypted is raised by the caller). Internal to src/crypto.
namespace crypto {

struct FileCryptRequest {
    bool encrypting = true;
    QString inFile;
    QString outFile;
    QString password;
    platform::CryptoProvider* provider = nullptr;
    platform::FileAccess* files = nullptr;
    std::int64_t runningTotalLimit = 0;
    std::function<void(std::int32_t, std::int32_t)> crypting;
    std::function<bool()> stopRequested;
};

// The chunk size of the stream (as designed: not 1000, not 1024).
inline constexpr std::size_t kChunkSize = 1002;

// True on success; otherwise errMsg is the failing step's message or the
// system's description of the error that stopped it.
bool runFileCrypt(const FileCryptRequest& request, QString& errMsg);

} // namespace crypto
