#pragma once

// The user's default key container: one PEM file holding the RSA key-exchange
// pair. Internal to src/platform/crypto.
#include "platform/posix/crypto/OsslTypes.h"

#include <QString>

namespace platform::keycontainer {

enum class CreateResult { Created, AlreadyExists, Failed };

// The container is a file in its folder; it holds nothing until a
// key-exchange pair is first needed, which then lives beside it. (Containers
// of earlier versions hold their pair in the container file itself.)
inline constexpr char kFileName[] = "default-container.pem";
inline constexpr char kExchangeFileName[] = "exchange-pair.pem";

// Makes the folder (0700) and an empty container file (0600). Exactly one of
// two racing creators gets Created; the other AlreadyExists.
CreateResult create(const QString& folder, QString& error);

// The container's key-exchange pair, made (bits long) and published on its
// first use; of two racing first uses both get the one published first.
// Null with error set on failure.
ossl::PkeyPtr exchangePair(OSSL_LIB_CTX* libCtx, const QString& folder, int bits, QString& error);

// Reads the key pair; null with error set when the file is missing or holds
// no private key.
ossl::PkeyPtr load(OSSL_LIB_CTX* libCtx, const QString& path, QString& error);

} // namespace platform::keycontainer
