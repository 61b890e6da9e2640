#pragma once

// The user's default key container: one PEM file holding the RSA key-exchange
// pair. Internal to src/platform/crypto.
#include "platform/crypto/OsslTypes.h"

#include <QString>

namespace platform::keycontainer {

enum class CreateResult { Created, AlreadyExists, Failed };

// File name of the container inside its folder.
inline constexpr char kFileName[] = "default-container.pem";

// Makes the folder (0700) and, only when no container is there yet, a new
// container file (0600) with a fresh RSA pair of the given size. The file
// appears complete or not at all, and a racing creator never overwrites it.
CreateResult create(OSSL_LIB_CTX* libCtx, const QString& folder, int bits, QString& error);

// Reads the key pair; null with error set when the file is missing or holds
// no private key.
ossl::PkeyPtr load(OSSL_LIB_CTX* libCtx, const QString& path, QString& error);

} // namespace platform::keycontainer
