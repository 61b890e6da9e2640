// Any text given to the pass-phrase encryptor's decryption. The first byte
// chooses how the rest is used: as the text itself, or as a DER structure
// that is Base64-encoded first, so damaged structures arrive as valid Base64.
#include "FuzzSupport.h"

#include "Base64.h"
#include "capicom.h"

#include <cstring>
#include <memory>
#include <string>
#include <vector>

namespace {

using Object = std::unique_ptr<capicom_encrypted_data, decltype(&capicom_destroy)>;

// The program's pass phrase, "Zubq" (ASCII, so the same bytes in CP932).
constexpr char kSecret[] = "Zubq";

bool isKnownCode(int rc)
{
    return rc >= CAPICOM_OK && rc <= CAPICOM_E_CRYPTO;
}

std::string contentOf(capicom_encrypted_data* object)
{
    const char* text = nullptr;
    std::size_t length = 0;
    FUZZ_CHECK(capicom_get_content(object, &text, &length) == CAPICOM_OK);
    FUZZ_CHECK(text != nullptr && text[length] == '\0');
    return std::string(text, length);
}

// What decrypted must encrypt and decrypt back to itself.
void checkRoundTrip(const std::string& content, const char* secret, std::size_t secretLength)
{
    Object object(capicom_create(), &capicom_destroy);
    FUZZ_CHECK(object != nullptr);
    FUZZ_CHECK(capicom_set_secret(object.get(), secret, secretLength) == CAPICOM_OK);
    FUZZ_CHECK(capicom_set_content(object.get(), content.data(), content.size()) == CAPICOM_OK);
    const char* text = nullptr;
    std::size_t length = 0;
    FUZZ_CHECK(capicom_encrypt(object.get(), &text, &length) == CAPICOM_OK);
    const std::string encrypted(text, length);
    FUZZ_CHECK(capicom_set_content(object.get(), "", 0) == CAPICOM_OK);
    FUZZ_CHECK(capicom_decrypt(object.get(), encrypted.data(), encrypted.size()) == CAPICOM_OK);
    FUZZ_CHECK(contentOf(object.get()) == content);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::uint8_t mode = data[0];
    const std::span<const std::uint8_t> rest(data + 1, size - 1);
    std::string text = (mode & 1)
        ? capicom::encodeBase64Lines(rest)
        : std::string(reinterpret_cast<const char*>(rest.data()), rest.size());
    // An exact-size copy, so a read past the text's end is caught.
    std::unique_ptr<char[]> exact(new char[text.size() ? text.size() : 1]);
    std::memcpy(exact.get(), text.data(), text.size());

    const std::size_t secretLength = (mode & 2) ? 0 : std::strlen(kSecret);
    Object object(capicom_create(), &capicom_destroy);
    FUZZ_CHECK(object != nullptr);
    FUZZ_CHECK(capicom_set_secret(object.get(), kSecret, secretLength) == CAPICOM_OK);
    FUZZ_CHECK(capicom_set_content(object.get(), "before", 6) == CAPICOM_OK);
    const int rc = capicom_decrypt(object.get(), exact.get(), text.size());
    FUZZ_CHECK(isKnownCode(rc));
    const char* error = capicom_last_error(object.get());
    FUZZ_CHECK(error != nullptr);
    if (rc != CAPICOM_OK) {
        FUZZ_CHECK(std::strlen(error) > 0);
        // A failing call leaves the content as it was.
        FUZZ_CHECK(contentOf(object.get()) == "before");
        return 0;
    }
    FUZZ_CHECK(std::strlen(error) == 0);
    checkRoundTrip(contentOf(object.get()), kSecret, secretLength);
    return 0;
}
