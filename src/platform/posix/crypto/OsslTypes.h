#pragma once

// Owning pointers for the OpenSSL objects of the provider layer. Internal to
// src/platform/crypto: no public header includes this file.
#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/provider.h>

#include <QString>

#include <memory>

namespace platform::ossl {

struct LibCtxFree {
    void operator()(OSSL_LIB_CTX* p) const { OSSL_LIB_CTX_free(p); }
};
struct ProviderUnload {
    void operator()(OSSL_PROVIDER* p) const { OSSL_PROVIDER_unload(p); }
};
struct MdFree {
    void operator()(EVP_MD* p) const { EVP_MD_free(p); }
};
struct MdCtxFree {
    void operator()(EVP_MD_CTX* p) const { EVP_MD_CTX_free(p); }
};
struct CipherFree {
    void operator()(EVP_CIPHER* p) const { EVP_CIPHER_free(p); }
};
struct CipherCtxFree {
    void operator()(EVP_CIPHER_CTX* p) const { EVP_CIPHER_CTX_free(p); }
};
struct PkeyFree {
    void operator()(EVP_PKEY* p) const { EVP_PKEY_free(p); }
};
struct PkeyCtxFree {
    void operator()(EVP_PKEY_CTX* p) const { EVP_PKEY_CTX_free(p); }
};

using LibCtxPtr = std::unique_ptr<OSSL_LIB_CTX, LibCtxFree>;
using ProviderPtr = std::unique_ptr<OSSL_PROVIDER, ProviderUnload>;
using MdPtr = std::unique_ptr<EVP_MD, MdFree>;
using MdCtxPtr = std::unique_ptr<EVP_MD_CTX, MdCtxFree>;
using CipherPtr = std::unique_ptr<EVP_CIPHER, CipherFree>;
using CipherCtxPtr = std::unique_ptr<EVP_CIPHER_CTX, CipherCtxFree>;
using PkeyPtr = std::unique_ptr<EVP_PKEY, PkeyFree>;
using PkeyCtxPtr = std::unique_ptr<EVP_PKEY_CTX, PkeyCtxFree>;

// Takes the oldest queued OpenSSL error (and clears the queue) as text;
// fallback when the queue is empty.
QString takeErrorText(const QString& fallback);

} // namespace platform::ossl
