#pragma once

#include "platform/ComponentLookup.h"

#include <QString>

#include <cstddef>
#include <cstdint>

struct capicom_encrypted_data;

// The entry points of the pass-phrase encryptor component (capicom.h),
// bound by name at run time as the original bound "CAPICOM.EncryptedData".
// Internal to src/crypto.
namespace crypto {

struct CapicomEntryPoints {
    capicom_encrypted_data* (*create)() = nullptr;
    void (*destroy)(capicom_encrypted_data*) = nullptr;
    int (*setAlgorithmName)(capicom_encrypted_data*, std::int32_t) = nullptr;
    int (*setAlgorithmKeyLength)(capicom_encrypted_data*, std::int32_t) = nullptr;
    int (*setSecret)(capicom_encrypted_data*, const char*, std::size_t) = nullptr;
    int (*setContent)(capicom_encrypted_data*, const char*, std::size_t) = nullptr;
    int (*getContent)(capicom_encrypted_data*, const char**, std::size_t*) = nullptr;
    int (*encrypt)(capicom_encrypted_data*, const char**, std::size_t*) = nullptr;
    int (*decrypt)(capicom_encrypted_data*, const char*, std::size_t) = nullptr;
    const char* (*lastError)(const capicom_encrypted_data*) = nullptr;
};

// Loads the component that lookup finds and binds every entry point. False
// with error set (a text for GetErrMsg) when it is missing, cannot be loaded
// or lacks an entry point. The library stays loaded for the process.
bool loadCapicom(const platform::ComponentLookup& lookup, CapicomEntryPoints& entryPoints, QString& error);

} // namespace crypto
