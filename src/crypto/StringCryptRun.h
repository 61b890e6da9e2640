#pragma once

#include "platform/ComponentLookup.h"

#include <QString>

// Mode 1 of clsCryptFile: a text through the pass-phrase encryptor component,
// the calls in the designed order (algorithm, key length, secret, then
// content and Encrypt, or Decrypt and content). Internal to src/crypto.
namespace crypto {

struct StringCryptRequest {
    bool encrypting = true;
    QString text;
    QString password;
    platform::ComponentLookup lookup;
};

// True with result set; otherwise errMsg is the component's description of
// its error (or why the component could not be used) and result is unchanged.
bool runStringCrypt(const StringCryptRequest& request, QString& result, QString& errMsg);

} // namespace crypto
