// The component through its C interface: round trips, the text format, and
// the errors of a misused object.
#include "CapicomTestObject.h"

#include <gtest/gtest.h>

#include <regex>

namespace {

std::string withoutLineBreaks(std::string text, bool keepLf = false)
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

std::string decrypted(const std::string& message, const std::string& secret = "Zubq")
{
    CapicomTestObject object;
    EXPECT_EQ(object.setSecret(secret), CAPICOM_OK);
    const int code = object.decrypt(message);
    EXPECT_EQ(code, CAPICOM_OK) << object.lastError();
    return code == CAPICOM_OK ? object.content() : "<failed>";
}

TEST(CapicomRoundTrip, AsciiJapaneseAndEmptyTextComeBack)
{
    for (const std::string& text : {std::string("Secret-Pass_01"), kJapaneseCp932, std::string(),
                                   std::string(500, 'x') + kJapaneseCp932}) {
        const std::string message = encrypted(text);
        EXPECT_EQ(decrypted(message), text);
        EXPECT_EQ(decrypted(withoutLineBreaks(message)), text) << "CR LF removed, as the settings file keeps it";
        EXPECT_EQ(decrypted(withoutLineBreaks(message, true)), text) << "LF only";
    }
}

TEST(CapicomRoundTrip, JapaneseSecretWorksAndEachEncryptionIsFresh)
{
    const std::string first = encrypted("abc", kJapaneseCp932);
    const std::string second = encrypted("abc", kJapaneseCp932);
    EXPECT_NE(first, second) << "random IV and salt";
    EXPECT_EQ(decrypted(first, kJapaneseCp932), "abc");
    EXPECT_EQ(decrypted(second, kJapaneseCp932), "abc");
}

TEST(CapicomFormat, Base64LinesOf64WithCrLfAfterEach)
{
    for (const std::size_t size : {0u, 1u, 100u, 200u}) {
        const std::string message = encrypted(std::string(size, 'q'));
        ASSERT_GE(message.size(), 2u);
        EXPECT_EQ(message.substr(message.size() - 2), "\r\n") << "the last line ends with CR LF too";
        std::size_t lineStart = 0;
        for (std::size_t at = message.find("\r\n"); at != std::string::npos; at = message.find("\r\n", lineStart)) {
            const bool last = at + 2 == message.size();
            EXPECT_TRUE(last ? at - lineStart <= 64 : at - lineStart == 64) << message;
            lineStart = at + 2;
        }
        const std::string compact = withoutLineBreaks(message);
        EXPECT_TRUE(std::regex_match(compact, std::regex("^[A-Za-z0-9+/]*={0,2}$"))) << compact;
        EXPECT_EQ(compact.size() % 4, 0u);
    }
}

TEST(CapicomErrors, WrongPassPhraseFailsAndKeepsTheContent)
{
    const std::string message = encrypted(kJapaneseCp932);
    CapicomTestObject object;
    ASSERT_EQ(object.setContent("before"), CAPICOM_OK);
    ASSERT_EQ(object.setSecret("Zubr"), CAPICOM_OK);
    EXPECT_EQ(object.decrypt(message), CAPICOM_E_BAD_DATA);
    EXPECT_FALSE(object.lastError().empty());
    EXPECT_EQ(object.content(), "before");
}

TEST(CapicomErrors, MisuseIsRefusedWithADescription)
{
    CapicomTestObject object;
    std::string result = "unchanged";
    EXPECT_EQ(object.encrypt(result), CAPICOM_E_NO_SECRET);
    EXPECT_FALSE(object.lastError().empty());
    EXPECT_EQ(object.decrypt("AAAA"), CAPICOM_E_NO_SECRET);
    ASSERT_EQ(object.setSecret("Zubq"), CAPICOM_OK);
    EXPECT_EQ(object.lastError(), "") << "success clears the description";
    EXPECT_EQ(object.encrypt(result), CAPICOM_E_NO_CONTENT);
    EXPECT_EQ(result, "unchanged");

    EXPECT_EQ(capicom_set_algorithm_name(object.get(), 2), CAPICOM_OK);
    for (const int other : {0, 1, 3, 4, -1})
        EXPECT_EQ(capicom_set_algorithm_name(object.get(), other), CAPICOM_E_NOT_SUPPORTED);
    for (const int length : {0, 2, 5})
        EXPECT_EQ(capicom_set_algorithm_key_length(object.get(), length), CAPICOM_OK);
    for (const int length : {-1, 6})
        EXPECT_EQ(capicom_set_algorithm_key_length(object.get(), length), CAPICOM_E_INVALID_ARGUMENT);

    EXPECT_EQ(capicom_set_secret(object.get(), nullptr, 3), CAPICOM_E_INVALID_ARGUMENT);
    EXPECT_EQ(capicom_set_content(object.get(), nullptr, 1), CAPICOM_E_INVALID_ARGUMENT);
    EXPECT_EQ(capicom_encrypt(object.get(), nullptr, nullptr), CAPICOM_E_INVALID_ARGUMENT);
    EXPECT_EQ(capicom_get_content(object.get(), nullptr, nullptr), CAPICOM_E_INVALID_ARGUMENT);
    EXPECT_EQ(capicom_decrypt(object.get(), nullptr, 0), CAPICOM_E_BAD_STRUCTURE) << "empty text";
}

TEST(CapicomErrors, NullObjectIsRefusedEverywhere)
{
    const char* text = nullptr;
    size_t length = 0;
    EXPECT_EQ(capicom_set_algorithm_name(nullptr, 2), CAPICOM_E_INVALID_ARGUMENT);
    EXPECT_EQ(capicom_set_algorithm_key_length(nullptr, 0), CAPICOM_E_INVALID_ARGUMENT);
    EXPECT_EQ(capicom_set_secret(nullptr, "a", 1), CAPICOM_E_INVALID_ARGUMENT);
    EXPECT_EQ(capicom_set_content(nullptr, "a", 1), CAPICOM_E_INVALID_ARGUMENT);
    EXPECT_EQ(capicom_get_content(nullptr, &text, &length), CAPICOM_E_INVALID_ARGUMENT);
    EXPECT_EQ(capicom_encrypt(nullptr, &text, &length), CAPICOM_E_INVALID_ARGUMENT);
    EXPECT_EQ(capicom_decrypt(nullptr, "a", 1), CAPICOM_E_INVALID_ARGUMENT);
    EXPECT_NE(capicom_last_error(nullptr), nullptr);
    capicom_destroy(nullptr);
}

TEST(CapicomText, InvalidCp932BecomesQuestionMark)
{
    // 0x81 0x20 is a lead byte with an impossible trail byte.
    EXPECT_EQ(decrypted(encrypted(std::string("a\x81\x20z", 4))), "a? z");
}

} // namespace
