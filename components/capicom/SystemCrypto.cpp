#include "SystemCrypto.h"

#include <algorithm>
#include <climits>
#include <cstdio>

#ifdef _WIN32

#include <windows.h>
// After windows.h, whose types it uses.
#include <wincrypt.h>

namespace capicom::sys {
namespace {

std::string failure(const char* what)
{
    char code[24];
    std::snprintf(code, sizeof code, " (0x%08lX)", static_cast<unsigned long>(GetLastError()));
    return what + std::string(code);
}

struct HashHandle {
    HCRYPTHASH handle = 0;
    ~HashHandle()
    {
        if (handle != 0)
            CryptDestroyHash(handle);
    }
};

struct KeyHandle {
    HCRYPTKEY handle = 0;
    ~KeyHandle()
    {
        if (handle != 0)
            CryptDestroyKey(handle);
    }
};

// The layout CryptImportKey reads for a raw DES key.
struct DesKeyBlob {
    BLOBHEADER header;
    DWORD size;
    BYTE key[kDesKeySize];
};

// DES ignores the low bit of each key byte; odd parity there changes no
// result, but a strict provider refuses a key without it.
BYTE withOddParity(BYTE b)
{
    int ones = 0;
    for (int bit = 1; bit < 8; ++bit)
        ones += (b >> bit) & 1;
    return static_cast<BYTE>((b & 0xFE) | (ones % 2 == 0 ? 1 : 0));
}

// OpenSSL's verdict on the last block: 1 to 8 bytes, all holding their count.
bool stripPadding(std::vector<std::uint8_t>& data)
{
    const std::size_t count = data.empty() ? 0 : data.back();
    if (count == 0 || count > kDesBlockSize || count > data.size())
        return false;
    if (!std::all_of(
            data.end() - count, data.end(), [count](std::uint8_t b) { return b == count; }))
        return false;
    data.resize(data.size() - count);
    return true;
}

} // namespace

struct Crypto::Handles {
    HCRYPTPROV provider = 0;
    ~Handles()
    {
        if (provider != 0)
            CryptReleaseContext(provider, 0);
    }
};

std::unique_ptr<Crypto> Crypto::open(std::string& error)
{
    auto handles = std::make_unique<Handles>();
    // The enhanced provider has DES and SHA-1 on every version; no key store is needed.
    if (!CryptAcquireContextW(
            &handles->provider, nullptr, MS_ENHANCED_PROV_W, PROV_RSA_FULL, CRYPT_VERIFYCONTEXT)) {
        error = failure("CryptAcquireContextW (DES, SHA-1)");
        return nullptr;
    }
    return std::unique_ptr<Crypto>(new Crypto(std::move(handles)));
}

bool Crypto::randomBytes(std::span<std::uint8_t> out, std::string& error)
{
    if (out.size() > MAXDWORD
        || !CryptGenRandom(m_handles->provider, static_cast<DWORD>(out.size()), out.data())) {
        error = failure("CryptGenRandom");
        return false;
    }
    return true;
}

bool Crypto::sha1(std::span<const std::uint8_t> first, std::span<const std::uint8_t> second,
    std::array<std::uint8_t, kSha1Size>& digest, std::string& error)
{
    HashHandle hash;
    const auto add = [&hash](std::span<const std::uint8_t> piece) {
        return piece.empty()
            || (piece.size() <= MAXDWORD
                && CryptHashData(hash.handle, piece.data(), static_cast<DWORD>(piece.size()), 0));
    };
    DWORD size = kSha1Size;
    if (!CryptCreateHash(m_handles->provider, CALG_SHA1, 0, 0, &hash.handle) || !add(first)
        || !add(second) || !CryptGetHashParam(hash.handle, HP_HASHVAL, digest.data(), &size, 0)
        || size != kSha1Size) {
        error = failure("SHA-1");
        return false;
    }
    return true;
}

CipherStatus Crypto::desCbc(bool encrypting, const std::array<std::uint8_t, kDesKeySize>& key,
    std::span<const std::uint8_t> iv, std::span<const std::uint8_t> input,
    std::vector<std::uint8_t>& output, std::string& error)
{
    DesKeyBlob blob { { PLAINTEXTKEYBLOB, CUR_BLOB_VERSION, 0, CALG_DES }, kDesKeySize, {} };
    std::transform(key.begin(), key.end(), blob.key, withOddParity);
    KeyHandle des;
    DWORD mode = CRYPT_MODE_CBC;
    const bool ready = iv.size() == kDesBlockSize && input.size() <= MAXDWORD - kDesBlockSize
        && CryptImportKey(m_handles->provider, reinterpret_cast<const BYTE*>(&blob), sizeof blob, 0,
            0, &des.handle)
        && CryptSetKeyParam(des.handle, KP_MODE, reinterpret_cast<const BYTE*>(&mode), 0)
        && CryptSetKeyParam(des.handle, KP_IV, iv.data(), 0);
    SecureZeroMemory(&blob, sizeof blob);
    if (!ready) {
        error = failure("DES-CBC");
        return CipherStatus::Failed;
    }
    std::vector<std::uint8_t> result(input.begin(), input.end());
    result.resize(input.size() + kDesBlockSize);
    DWORD length = static_cast<DWORD>(input.size());
    if (encrypting) {
        // Final adds the PKCS #5 block, as OpenSSL does.
        if (!CryptEncrypt(des.handle, 0, TRUE, 0, result.data(), &length,
                static_cast<DWORD>(result.size()))) {
            error = failure("DES-CBC");
            return CipherStatus::Failed;
        }
        result.resize(length);
    } else {
        // Whole blocks without Final, the padding judged here: providers differ
        // in how much of it they check.
        if (input.empty() || input.size() % kDesBlockSize != 0) {
            error = "DES-CBC final block";
            return CipherStatus::BadData;
        }
        if (!CryptDecrypt(des.handle, 0, FALSE, 0, result.data(), &length)) {
            error = failure("DES-CBC");
            return CipherStatus::Failed;
        }
        result.resize(length);
        if (!stripPadding(result)) {
            error = "DES-CBC final block";
            return CipherStatus::BadData;
        }
    }
    output = std::move(result);
    return CipherStatus::Ok;
}

namespace {

bool isHighSurrogate(wchar_t unit)
{
    return unit >= 0xD800 && unit <= 0xDBFF;
}

bool isLowSurrogate(wchar_t unit)
{
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

// UTF-16LE bytes to units; a lone surrogate or a cut-off unit becomes '?'.
std::wstring readUtf16(std::span<const char> in)
{
    std::wstring units;
    for (std::size_t at = 0; at + 1 < in.size(); at += 2)
        units += static_cast<wchar_t>(
            static_cast<unsigned char>(in[at]) | static_cast<unsigned char>(in[at + 1]) << 8);
    for (std::size_t at = 0; at < units.size(); ++at) {
        if (isHighSurrogate(units[at]) && at + 1 < units.size() && isLowSurrogate(units[at + 1]))
            ++at;
        else if (isHighSurrogate(units[at]) || isLowSurrogate(units[at]))
            units[at] = L'?';
    }
    if (in.size() % 2 != 0)
        units += L'?';
    return units;
}

// A code page's bytes to units. A refused sequence becomes '?' and the next
// try starts one byte later, as iconv goes on.
bool readBytes(UINT page, std::span<const char> in, std::wstring& units)
{
    units.clear();
    if (in.size() > INT_MAX)
        return false;
    const int whole = MultiByteToWideChar(
        page, MB_ERR_INVALID_CHARS, in.data(), static_cast<int>(in.size()), nullptr, 0);
    if (whole > 0) {
        units.resize(static_cast<std::size_t>(whole));
        return MultiByteToWideChar(page, MB_ERR_INVALID_CHARS, in.data(),
                   static_cast<int>(in.size()), units.data(), whole)
            == whole;
    }
    if (in.empty())
        return true;
    if (GetLastError() != ERROR_NO_UNICODE_TRANSLATION)
        return false;
    const std::size_t longest = page == CP_UTF8 ? 4 : 2;
    for (std::size_t at = 0; at < in.size();) {
        wchar_t got[4];
        int count = 0;
        std::size_t used = 0;
        while (count == 0 && used < longest && at + used < in.size()) {
            ++used;
            count = MultiByteToWideChar(
                page, MB_ERR_INVALID_CHARS, in.data() + at, static_cast<int>(used), got, 4);
        }
        if (count > 0) {
            units.append(got, static_cast<std::size_t>(count));
            at += used;
        } else {
            units += L'?';
            ++at;
        }
    }
    return true;
}

// The Linux build's table is glibc's CP932: it has no single bytes 0x80, 0xA0
// or 0xFD to 0xFF, which Windows reads as U+0080 and U+F8F0 to U+F8F3.
bool outsideCp932(wchar_t unit)
{
    return unit == 0x80 || (unit >= 0xF8F0 && unit <= 0xF8F3);
}

// ... and it writes these JIS forms one way, where Windows has none.
struct OneWay {
    wchar_t unit;
    const char* bytes;
};
constexpr OneWay kOneWay[] = { { 0x00A2, "\x81\x91" }, { 0x00A3, "\x81\x92" }, { 0x00A5, "\x5C" },
    { 0x00AC, "\x81\xCA" }, { 0x2014, "\x81\x5C" }, { 0x2016, "\x81\x61" }, { 0x203E, "\x7E" },
    { 0x2212, "\x81\x7C" }, { 0x301C, "\x81\x60" } };

const OneWay* oneWay(wchar_t unit)
{
    const auto found = std::find_if(std::begin(kOneWay), std::end(kOneWay),
        [unit](const OneWay& entry) { return entry.unit == unit; });
    return found == std::end(kOneWay) ? nullptr : found;
}

bool readCp932(std::span<const char> in, std::wstring& units)
{
    if (!readBytes(932, in, units))
        return false;
    std::replace_if(units.begin(), units.end(), outsideCp932, L'?');
    return true;
}

// Units to CP932 only when they come back unchanged: no best fit (é is not e).
bool writeCp932Exactly(std::wstring_view units, std::string& bytes)
{
    BOOL usedDefault = FALSE;
    const int size = WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, units.data(),
        static_cast<int>(units.size()), nullptr, 0, nullptr, &usedDefault);
    if (size <= 0 || usedDefault)
        return false;
    bytes.resize(static_cast<std::size_t>(size));
    WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, units.data(), static_cast<int>(units.size()),
        bytes.data(), size, nullptr, &usedDefault);
    std::wstring back(units.size(), L'\0');
    return !usedDefault
        && MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, bytes.data(), size, back.data(),
               static_cast<int>(back.size()))
        == static_cast<int>(units.size())
        && back == units;
}

bool writeCp932(std::wstring_view units, std::string& out)
{
    if (units.size() > INT_MAX / 2)
        return false;
    const bool plain = std::none_of(units.begin(), units.end(),
        [](wchar_t unit) { return outsideCp932(unit) || oneWay(unit) != nullptr; });
    if (units.empty() || (plain && writeCp932Exactly(units, out)))
        return true;
    out.clear();
    std::string bytes;
    for (std::size_t at = 0; at < units.size();) {
        // A pair goes as one character: one '?' for it.
        const std::size_t step = isHighSurrogate(units[at]) && at + 1 < units.size() ? 2 : 1;
        if (const OneWay* entry = oneWay(units[at]))
            out += entry->bytes;
        else if (!outsideCp932(units[at]) && writeCp932Exactly(units.substr(at, step), bytes))
            out += bytes;
        else
            out += '?';
        at += step;
    }
    return true;
}

} // namespace

bool convertText(Encoding from, Encoding to, std::span<const char> input, std::string& output)
{
    std::wstring units;
    if (from == Encoding::Utf16le)
        units = readUtf16(input);
    else if (!(from == Encoding::Cp932 ? readCp932(input, units)
                                       : readBytes(CP_UTF8, input, units)))
        return false;
    switch (to) {
    case Encoding::Utf16le:
        output.clear();
        for (const wchar_t unit : units) {
            output += static_cast<char>(unit & 0xFF);
            output += static_cast<char>(unit >> 8);
        }
        return true;
    case Encoding::Cp932:
        return writeCp932(units, output);
    case Encoding::Utf8: {
        if (units.size() > INT_MAX / 4)
            return false;
        const int size = units.empty()
            ? 0
            : WideCharToMultiByte(CP_UTF8, 0, units.data(), static_cast<int>(units.size()), nullptr,
                0, nullptr, nullptr);
        output.resize(static_cast<std::size_t>(size));
        return units.empty()
            || (size > 0
                && WideCharToMultiByte(CP_UTF8, 0, units.data(), static_cast<int>(units.size()),
                       output.data(), size, nullptr, nullptr)
                    == size);
    }
    }
    return false;
}

} // namespace capicom::sys

#else

#include <cerrno>
#include <iconv.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/provider.h>
#include <openssl/rand.h>

namespace capicom::sys {
namespace {

template <typename T, void (*Free)(T*)> struct Deleter {
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

std::string failure(const char* what)
{
    std::string text = what;
    const unsigned long code = ERR_get_error();
    if (code != 0) {
        char reason[256];
        ERR_error_string_n(code, reason, sizeof reason);
        text += ": ";
        text += reason;
    }
    ERR_clear_error();
    return text;
}

} // namespace

// A library context of its own with the "legacy" provider (DES) and the
// "default" one; declared in this order so that they are freed in the
// reverse one.
struct Crypto::Handles {
    LibCtxPtr libCtx;
    ProviderPtr defaultProvider;
    ProviderPtr legacyProvider;
    MdPtr sha1;
    CipherPtr des;
};

std::unique_ptr<Crypto> Crypto::open(std::string& error)
{
    auto library = std::make_unique<Handles>();
    library->libCtx.reset(OSSL_LIB_CTX_new());
    if (!library->libCtx) {
        error = failure("OSSL_LIB_CTX_new");
        return nullptr;
    }
    library->defaultProvider.reset(OSSL_PROVIDER_load(library->libCtx.get(), "default"));
    library->legacyProvider.reset(OSSL_PROVIDER_load(library->libCtx.get(), "legacy"));
    library->sha1.reset(EVP_MD_fetch(library->libCtx.get(), "SHA1", nullptr));
    library->des.reset(EVP_CIPHER_fetch(library->libCtx.get(), "DES-CBC", nullptr));
    if (!library->sha1 || !library->des) {
        error = failure("DES-CBC or SHA-1 unavailable (OpenSSL legacy provider)");
        return nullptr;
    }
    return std::unique_ptr<Crypto>(new Crypto(std::move(library)));
}

bool Crypto::randomBytes(std::span<std::uint8_t> out, std::string& error)
{
    if (RAND_bytes_ex(m_handles->libCtx.get(), out.data(), out.size(), 0) != 1) {
        error = failure("RAND_bytes_ex");
        return false;
    }
    return true;
}

bool Crypto::sha1(std::span<const std::uint8_t> first, std::span<const std::uint8_t> second,
    std::array<std::uint8_t, kSha1Size>& digest, std::string& error)
{
    MdCtxPtr ctx(EVP_MD_CTX_new());
    unsigned int size = 0;
    if (!ctx || EVP_DigestInit_ex2(ctx.get(), m_handles->sha1.get(), nullptr) != 1
        || EVP_DigestUpdate(ctx.get(), first.data(), first.size()) != 1
        || EVP_DigestUpdate(ctx.get(), second.data(), second.size()) != 1
        || EVP_DigestFinal_ex(ctx.get(), digest.data(), &size) != 1 || size != kSha1Size) {
        error = failure("SHA-1");
        return false;
    }
    return true;
}

CipherStatus Crypto::desCbc(bool encrypting, const std::array<std::uint8_t, kDesKeySize>& key,
    std::span<const std::uint8_t> iv, std::span<const std::uint8_t> input,
    std::vector<std::uint8_t>& output, std::string& error)
{
    CipherCtxPtr ctx(EVP_CIPHER_CTX_new());
    std::vector<std::uint8_t> result(input.size() + kDesBlockSize);
    int updated = 0;
    int finished = 0;
    if (iv.size() != kDesBlockSize || !ctx
        || EVP_CipherInit_ex2(
               ctx.get(), m_handles->des.get(), key.data(), iv.data(), encrypting ? 1 : 0, nullptr)
            != 1
        || EVP_CipherUpdate(
               ctx.get(), result.data(), &updated, input.data(), static_cast<int>(input.size()))
            != 1) {
        error = failure("DES-CBC");
        return CipherStatus::Failed;
    }
    if (EVP_CipherFinal_ex(ctx.get(), result.data() + updated, &finished) != 1) {
        // Only a bad padding block makes the final step fail on decryption.
        error = failure("DES-CBC final block");
        return encrypting ? CipherStatus::Failed : CipherStatus::BadData;
    }
    result.resize(static_cast<std::size_t>(updated + finished));
    output = std::move(result);
    return CipherStatus::Ok;
}

namespace {

struct IconvClose {
    void operator()(void* cd) const { iconv_close(static_cast<iconv_t>(cd)); }
};
using IconvPtr = std::unique_ptr<void, IconvClose>;

IconvPtr openIconv(const char* to, const char* from)
{
    iconv_t cd = iconv_open(to, from);
    return cd == reinterpret_cast<iconv_t>(-1) ? nullptr : IconvPtr(cd);
}

// How many input bytes to skip at a sequence the converter refused.
using SkipRule = std::size_t (*)(const char* in, std::size_t left);

std::size_t skipOneByte(const char*, std::size_t)
{
    return 1;
}

// A high surrogate and its partner go as one; anything else as one unit.
std::size_t skipUtf16Unit(const char* in, std::size_t left)
{
    const auto high = static_cast<unsigned char>(in[1]);
    const bool pair = left >= 4 && high >= 0xD8 && high <= 0xDB
        && static_cast<unsigned char>(in[3]) >= 0xDC && static_cast<unsigned char>(in[3]) <= 0xDF;
    return left < 2 ? left : (pair ? 4 : 2);
}

// Converts all of input; a refused or cut-off sequence becomes replacement.
bool convert(const char* to, const char* from, std::span<const char> input,
    const std::string& replacement, SkipRule skip, std::string& output)
{
    IconvPtr cd = openIconv(to, from);
    if (!cd)
        return false;
    output.clear();
    char* in = const_cast<char*>(input.data());
    std::size_t inLeft = input.size();
    char buffer[1024];
    while (inLeft > 0) {
        char* out = buffer;
        std::size_t outLeft = sizeof buffer;
        const std::size_t result
            = iconv(static_cast<iconv_t>(cd.get()), &in, &inLeft, &out, &outLeft);
        const int error = errno;
        output.append(buffer, static_cast<std::size_t>(out - buffer));
        if (result != static_cast<std::size_t>(-1) || error == E2BIG)
            continue;
        // EILSEQ or EINVAL: replace the sequence and go on after it.
        output += replacement;
        const std::size_t step = error == EINVAL ? inLeft : skip(in, inLeft);
        in += step;
        inLeft -= step;
        iconv(static_cast<iconv_t>(cd.get()), nullptr, nullptr, nullptr, nullptr);
    }
    return true;
}

const char* iconvName(Encoding encoding)
{
    switch (encoding) {
    case Encoding::Cp932:
        return "CP932";
    case Encoding::Utf16le:
        return "UTF-16LE";
    case Encoding::Utf8:
        break;
    }
    return "UTF-8";
}

} // namespace

bool convertText(Encoding from, Encoding to, std::span<const char> input, std::string& output)
{
    const std::string replacement
        = to == Encoding::Utf16le ? std::string("?\0", 2) : std::string("?");
    return convert(iconvName(to), iconvName(from), input, replacement,
        from == Encoding::Utf16le ? skipUtf16Unit : skipOneByte, output);
}

} // namespace capicom::sys

#endif

namespace capicom::sys {

Crypto::Crypto(std::unique_ptr<Handles> handles)
    : m_handles(std::move(handles))
{
}
Crypto::~Crypto() = default;

} // namespace capicom::sys
