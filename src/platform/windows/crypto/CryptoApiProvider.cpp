#include "platform/crypto/CryptoProvider.h"

#include "platform/Cp932.h"

#include <vector>

#include <windows.h>

#include <wincrypt.h>

// CryptoAPI itself, with the "Microsoft Base Cryptographic Provider v1.0" on
// the user's default key container. Handles pass through unchanged.
namespace platform {
namespace {

template <typename Handle, typename Raw> Handle wrap(Raw raw)
{
    return static_cast<Handle>(static_cast<std::uintptr_t>(raw));
}

template <typename Raw, typename Handle> Raw unwrap(Handle handle)
{
    return static_cast<Raw>(static_cast<std::uintptr_t>(handle));
}

class CryptoApiProvider final : public CryptoProvider {
public:
    bool acquireContext(AcquireMode mode, CryptContext& context) override
    {
        HCRYPTPROV provider = 0;
        const DWORD flags = mode == AcquireMode::NewKeySet ? CRYPT_NEWKEYSET : 0;
        if (!::CryptAcquireContextA(&provider, nullptr, MS_DEF_PROV_A, PROV_RSA_FULL, flags))
            return fail();
        context = wrap<CryptContext>(provider);
        return true;
    }

    bool createHash(CryptContext context, CryptAlg alg, CryptHash& hash) override
    {
        HCRYPTHASH h = 0;
        if (!::CryptCreateHash(unwrap<HCRYPTPROV>(context), static_cast<ALG_ID>(alg), 0, 0, &h))
            return fail();
        hash = wrap<CryptHash>(h);
        return true;
    }

    bool hashData(CryptHash hash, std::span<const std::uint8_t> data) override
    {
        return ::CryptHashData(
                   unwrap<HCRYPTHASH>(hash), data.data(), static_cast<DWORD>(data.size()), 0)
            || fail();
    }

    bool deriveKey(CryptContext context, CryptAlg alg, CryptHash hash, CryptKey& key) override
    {
        HCRYPTKEY k = 0;
        if (!::CryptDeriveKey(unwrap<HCRYPTPROV>(context), static_cast<ALG_ID>(alg),
                unwrap<HCRYPTHASH>(hash), 0, &k))
            return fail();
        key = wrap<CryptKey>(k);
        return true;
    }

    bool generateKey(CryptContext context, CryptAlg alg, bool exportable, CryptKey& key) override
    {
        HCRYPTKEY k = 0;
        if (!::CryptGenKey(unwrap<HCRYPTPROV>(context), static_cast<ALG_ID>(alg),
                exportable ? CRYPT_EXPORTABLE : 0, &k))
            return fail();
        // Without CRYPT_CREATE_SALT the key's salt is zero, and a SIMPLEBLOB
        // carries no salt: Wine gives a random one, which the imported key
        // then lacks. Zero it, as Windows has it.
        if (alg == CryptAlg::Rc4) {
            BYTE salt[32] {};
            DWORD length = sizeof salt;
            const bool read = ::CryptGetKeyParam(k, KP_SALT, salt, &length, 0);
            SecureZeroMemory(salt, sizeof salt);
            if (!read || (length > 0 && !::CryptSetKeyParam(k, KP_SALT, salt, 0))) {
                const DWORD error = ::GetLastError();
                ::CryptDestroyKey(k);
                ::SetLastError(error);
                return fail();
            }
        }
        key = wrap<CryptKey>(k);
        return true;
    }

    bool getUserExchangeKey(CryptContext context, CryptKey& key) override
    {
        HCRYPTKEY k = 0;
        if (!::CryptGetUserKey(unwrap<HCRYPTPROV>(context), AT_KEYEXCHANGE, &k))
            return fail();
        key = wrap<CryptKey>(k);
        return true;
    }

    bool exportSimpleBlob(
        CryptKey key, CryptKey exchangeKey, std::uint8_t* blob, std::uint32_t& length) override
    {
        DWORD n = length;
        if (!::CryptExportKey(
                unwrap<HCRYPTKEY>(key), unwrap<HCRYPTKEY>(exchangeKey), SIMPLEBLOB, 0, blob, &n)) {
            length = n;
            return fail();
        }
        length = n;
        return true;
    }

    bool importSimpleBlob(
        CryptContext context, std::span<const std::uint8_t> blob, CryptKey& key) override
    {
        const auto provider = unwrap<HCRYPTPROV>(context);
        const auto size = static_cast<DWORD>(blob.size());
        HCRYPTKEY k = 0;
        if (::CryptImportKey(provider, blob.data(), size, 0, 0, &k)) {
            key = wrap<CryptKey>(k);
            return true;
        }
        // Windows takes no public key as the container's exchange pair;
        // Wine's provider wants that pair's handle named.
        HCRYPTKEY exchange = 0;
        if (::GetLastError() != static_cast<DWORD>(NTE_BAD_PUBLIC_KEY)
            || !::CryptGetUserKey(provider, AT_KEYEXCHANGE, &exchange))
            return fail();
        const bool imported = ::CryptImportKey(provider, blob.data(), size, exchange, 0, &k);
        const DWORD error = ::GetLastError();
        ::CryptDestroyKey(exchange);
        if (!imported) {
            ::SetLastError(error);
            return fail();
        }
        key = wrap<CryptKey>(k);
        return true;
    }

    bool encrypt(
        CryptKey key, bool isFinal, std::span<std::uint8_t> buffer, std::uint32_t& length) override
    {
        DWORD n = length;
        const bool ok = ::CryptEncrypt(unwrap<HCRYPTKEY>(key), 0, isFinal, 0, buffer.data(), &n,
            static_cast<DWORD>(buffer.size()));
        length = n;
        return ok || fail();
    }

    bool decrypt(
        CryptKey key, bool isFinal, std::span<std::uint8_t> buffer, std::uint32_t& length) override
    {
        DWORD n = length;
        const bool ok = ::CryptDecrypt(unwrap<HCRYPTKEY>(key), 0, isFinal, 0, buffer.data(), &n);
        length = n;
        return ok || fail();
    }

    bool destroyKey(CryptKey key) override
    {
        return ::CryptDestroyKey(unwrap<HCRYPTKEY>(key)) || fail();
    }
    bool destroyHash(CryptHash hash) override
    {
        return ::CryptDestroyHash(unwrap<HCRYPTHASH>(hash)) || fail();
    }
    bool releaseContext(CryptContext context) override
    {
        return ::CryptReleaseContext(unwrap<HCRYPTPROV>(context), 0) || fail();
    }

    // The product version of ADVAPI32.DLL, the library that holds CryptoAPI.
    ProductVersion productVersion() const override
    {
        const char* name = "ADVAPI32.DLL";
        DWORD ignored = 0;
        const DWORD size = ::GetFileVersionInfoSizeA(name, &ignored);
        if (size == 0)
            return {};
        std::vector<char> data(size);
        VS_FIXEDFILEINFO* info = nullptr;
        UINT length = 0;
        if (!::GetFileVersionInfoA(name, 0, size, data.data())
            || !::VerQueryValueA(data.data(), "\\", reinterpret_cast<void**>(&info), &length)
            || info == nullptr)
            return {};
        return { static_cast<std::int16_t>(HIWORD(info->dwProductVersionMS)),
            static_cast<std::int16_t>(LOWORD(info->dwProductVersionMS)),
            static_cast<std::int16_t>(HIWORD(info->dwProductVersionLS)),
            static_cast<std::int16_t>(LOWORD(info->dwProductVersionLS)) };
    }

    QString lastError() const override { return m_lastError; }

private:
    // The system's own text for the failure, in the user's language.
    bool fail()
    {
        const DWORD code = ::GetLastError();
        char* text = nullptr;
        const DWORD n = ::FormatMessageA(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM
                | FORMAT_MESSAGE_IGNORE_INSERTS,
            nullptr, code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
        m_lastError = n > 0 ? fromCp932(QByteArray(text, static_cast<qsizetype>(n))).trimmed()
                            : QStringLiteral("0x%1").arg(code, 8, 16, QLatin1Char('0'));
        if (text != nullptr)
            ::LocalFree(text);
        ::SetLastError(code);
        return false;
    }

    QString m_lastError;
};

} // namespace

// The system keeps the containers; there is no folder of ours.
QString defaultKeyContainerFolder()
{
    return QString();
}

std::shared_ptr<CryptoProvider> defaultCryptoProvider()
{
    static const std::shared_ptr<CryptoProvider> provider = std::make_shared<CryptoApiProvider>();
    return provider;
}

std::shared_ptr<CryptoProvider> makeCryptoProvider(const QString& /*keyFolder*/)
{
    return std::make_shared<CryptoApiProvider>();
}

} // namespace platform
