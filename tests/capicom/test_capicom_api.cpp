// The component through its C interface: round trips, the text format, and
// the errors of a misused object or a cut text.
#include "CapicomTestObject.h"

#include <gtest/gtest.h>

#include <regex>

namespace {

std::string withoutLineBreaks(const std::string& text, bool keepLf = false)
{
    std::string out;
    for (const char c : text) {
        if (c != '\r' && (c != '\n' || keepLf))
            out += c;
    }
    return out;
}

std::string encrypted(const std::string& text, const std::string& secret = "Zubq")
{
    CapicomTestObject object;
    std::string result;
    EXPECT_EQ(object.setSecret(secret), CAPICOM_OK);
    EXPECT_EQ(object.setContent(text), CAPICOM_OK);
    EXPECT_EQ(object.encrypt(result), CAPICOM_OK) << object.lastError();
    return result;
}

// The content, or the error code as text.
std::string decrypted(const std::string& message, const std::string& secret = "Zubq")
{
    CapicomTestObject object;
    EXPECT_EQ(object.setSecret(secret), CAPICOM_OK);
    const int code = object.decrypt(message);
    return code == CAPICOM_OK ? object.content() : "error " + std::to_string(code);
}

TEST(CapicomRoundTrip, TextsComeBackWithOrWithoutLineBreaksAndEachEncryptionIsFresh)
{
    for (const std::string& text : {kJapaneseCp932, std::string(), std::string(500, 'x') + kJapaneseCp932}) {
        const std::string message = encrypted(text);
        EXPECT_EQ(decrypted(message), text);
        EXPECT_EQ(decrypted(withoutLineBreaks(message)), text) << "CR LF removed, as the settings file keeps it";
        EXPECT_EQ(decrypted(withoutLineBreaks(message, true)), text) << "LF only";
    }
    const std::string first = encrypted("abc", kJapaneseCp932);
    EXPECT_NE(first, encrypted("abc", kJapaneseCp932)) << "random IV and salt";
    EXPECT_EQ(decrypted(first, kJapaneseCp932), "abc");
    EXPECT_EQ(decrypted(first, "Zubr"), "error " + std::to_string(CAPICOM_E_BAD_DATA));
    // 0x81 0x20 is a lead byte with an impossible trail byte.
    EXPECT_EQ(decrypted(encrypted(std::string("a\x81\x20z", 4))), "a? z");
}

TEST(CapicomFormat, Base64LinesOf64WithCrLfAfterEach)
{
    for (const std::size_t size : {0u, 1u, 100u, 200u}) {
        const std::string message = encrypted(std::string(size, 'q'));
        ASSERT_GE(message.size(), 2u);
        EXPECT_EQ(message.substr(message.size() - 2), "\r\n") << "the last line ends with CR LF too";
        std::size_t lineStart = 0;
        for (std::size_t at = message.find("\r\n"); at != std::string::npos; at = message.find("\r\n", lineStart)) {
            EXPECT_TRUE(at + 2 == message.size() ? at - lineStart <= 64 : at - lineStart == 64) << message;
            lineStart = at + 2;
        }
        const std::string compact = withoutLineBreaks(message);
        EXPECT_TRUE(std::regex_match(compact, std::regex("^[A-Za-z0-9+/]*={0,2}$"))) << compact;
        EXPECT_EQ(compact.size() % 4, 0u);
    }
}

// Run under AddressSanitizer this also shows that nothing reads past a cut.
TEST(CapicomErrors, EveryTruncatedTextFailsAndTheContentIsKept)
{
    const std::string text = encrypted(kJapaneseCp932);
    for (std::size_t length = 0; length + 2 < text.size(); ++length) {
        CapicomTestObject object;
        ASSERT_EQ(object.setSecret("Zubq"), CAPICOM_OK);
        ASSERT_EQ(object.setContent("before"), CAPICOM_OK);
        EXPECT_NE(object.decrypt(text.substr(0, length)), CAPICOM_OK) << length;
        EXPECT_FALSE(object.lastError().empty());
        EXPECT_EQ(object.content(), "before");
    }
}

TEST(CapicomErrors, MisuseIsRefusedWithADescription)
{
    CapicomTestObject object;
    std::string result = "unchanged";
    EXPECT_EQ(object.encrypt(result), CAPICOM_E_NO_SECRET);
    EXPECT_FALSE(object.lastError().empty());
    ASSERT_EQ(object.setSecret("Zubq"), CAPICOM_OK);
    EXPECT_EQ(object.lastError(), "") << "success clears the description";
    EXPECT_EQ(object.encrypt(result), CAPICOM_E_NO_CONTENT);
    EXPECT_EQ(result, "unchanged");
    // DES (2) only; key lengths 0 (maximum) to 5.
    for (const int name : {2, 0, 3, -1})
        EXPECT_EQ(capicom_set_algorithm_name(object.get(), name), name == 2 ? CAPICOM_OK : CAPICOM_E_NOT_SUPPORTED);
    for (const int length : {0, 5, -1, 6})
        EXPECT_EQ(capicom_set_algorithm_key_length(object.get(), length),
                  length >= 0 && length <= 5 ? CAPICOM_OK : CAPICOM_E_INVALID_ARGUMENT);
    EXPECT_EQ(capicom_encrypt(object.get(), nullptr, nullptr), CAPICOM_E_INVALID_ARGUMENT);
    EXPECT_EQ(capicom_decrypt(nullptr, "a", 1), CAPICOM_E_INVALID_ARGUMENT);
    EXPECT_NE(capicom_last_error(nullptr), nullptr);
    capicom_destroy(nullptr);
}

} // namespace
