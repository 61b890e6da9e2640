#include "DesCipher.h"

#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/provider.h>
#include <openssl/rand.h>

#include <algorithm>

namespace capicom {
namespace {

template <typename T, void (*Free)(T*)>
struct Deleter {
    void operator()(T* p) const { Free(p); }
};

void unloadProvider(OSSL_PROVIDER* p)
{
    OSSL_PROVIDER_unload(p);
}

using LibCtxPtr = std::unique_ptr<OSSL_LIB_CTX, Deleter<OSSL_LIB_CTX, OSSL_LIB_CTX_free>>;
using ProviderPtr = std::unique_ptr<OSSL_PROVIDER, Deleter<OSSL_PROVIDER, unloadProvider>>;
using MdPtr = std::unique_ptr<EVP_MD, Deleter<EVP_MD, EVP_MD_free>>;
using MdCtxPtr = std::unique_ptr<EVP_MD_CTX, Deleter<EVP_MD_CTX, EVP_MD_CTX_free>>;
using CipherPtr = std::unique_ptr<EVP_CIPHER, Deleter<EVP_CIPHER, EVP_CIPHER_free>>;
using CipherCtxPtr = std::unique_ptr<EVP_CIPHER_CTX, Deleter<EVP_CIPHER_CTX, EVP_CIPHER_CTX_free>>;

} // namespace

// Declared in this order so that they are freed in the reverse one.
struct DesCipher::Library {
    LibCtxPtr libCtx;
    ProviderPtr defaultProvider;
    ProviderPtr legacyProvider;
    MdPtr sha1;
    CipherPtr des;
};

DesCipher::DesCipher() = default;
DesCipher::~DesCipher() = default;

bool DesCipher::fail(const char* what)
{
    m_error = what;
    const unsigned long code = ERR_get_error();
    if (code != 0) {
        char text[256];
        ERR_error_string_n(code, text, sizeof text);
        m_error += ": ";
        m_error += text;
    }
    ERR_clear_error();
    return false;
}

bool DesCipher::open()
{
    if (m_library)
        return true;
    auto library = std::make_unique<Library>();
    library->libCtx.reset(OSSL_LIB_CTX_new());
    if (!library->libCtx)
        return fail("OSSL_LIB_CTX_new");
    library->defaultProvider.reset(OSSL_PROVIDER_load(library->libCtx.get(), "default"));
    library->legacyProvider.reset(OSSL_PROVIDER_load(library->libCtx.get(), "legacy"));
    library->sha1.reset(EVP_MD_fetch(library->libCtx.get(), "SHA1", nullptr));
    library->des.reset(EVP_CIPHER_fetch(library->libCtx.get(), "DES-CBC", nullptr));
    if (!library->sha1 || !library->des)
        return fail("DES-CBC or SHA-1 unavailable (OpenSSL legacy provider)");
    m_library = std::move(library);
    return true;
}

bool DesCipher::randomBytes(std::span<std::uint8_t> out)
{
    if (!open())
        return false;
    if (RAND_bytes_ex(m_library->libCtx.get(), out.data(), out.size(), 0) != 1)
        return fail("RAND_bytes_ex");
    return true;
}

bool DesCipher::deriveKey(std::span<const std::uint8_t> secret, std::span<const std::uint8_t> salt,
                          std::array<std::uint8_t, kDesKeySize>& key)
{
    if (!open())
        return false;
    MdCtxPtr ctx(EVP_MD_CTX_new());
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int size = 0;
    if (!ctx || EVP_DigestInit_ex2(ctx.get(), m_library->sha1.get(), nullptr) != 1
        || EVP_DigestUpdate(ctx.get(), secret.data(), secret.size()) != 1
        || EVP_DigestUpdate(ctx.get(), salt.data(), salt.size()) != 1
        || EVP_DigestFinal_ex(ctx.get(), digest, &size) != 1 || size < kDesKeySize)
        return fail("SHA-1");
    std::copy_n(digest, kDesKeySize, key.begin());
    return true;
}

CipherStatus DesCipher::run(bool encrypting, const std::array<std::uint8_t, kDesKeySize>& key,
                            std::span<const std::uint8_t> iv, std::span<const std::uint8_t> input,
                            std::vector<std::uint8_t>& output)
{
    if (!open())
        return CipherStatus::Failed;
    CipherCtxPtr ctx(EVP_CIPHER_CTX_new());
    std::vector<std::uint8_t> result(input.size() + kDesBlockSize);
    int updated = 0;
    int finished = 0;
    if (iv.size() != kDesBlockSize || !ctx
        || EVP_CipherInit_ex2(ctx.get(), m_library->des.get(), key.data(), iv.data(), encrypting ? 1 : 0, nullptr) != 1
        || EVP_CipherUpdate(ctx.get(), result.data(), &updated, input.data(), static_cast<int>(input.size())) != 1) {
        fail("DES-CBC");
        return CipherStatus::Failed;
    }
    if (EVP_CipherFinal_ex(ctx.get(), result.data() + updated, &finished) != 1) {
        // Only a bad padding block makes the final step fail on decryption.
        fail("DES-CBC final block");
        return encrypting ? CipherStatus::Failed : CipherStatus::BadData;
    }
    result.resize(static_cast<std::size_t>(updated + finished));
    output = std::move(result);
    return CipherStatus::Ok;
}

} // namespace capicom
