// The component through its C interface: round trips and the refusals of a
// misused object, each with its description.
#include "CapicomTestObject.h"
#include "platform/Cp932.h"

#include <gtest/gtest.h>

namespace {

std::string encrypted(const std::string& text, const std::string& secret = "Zubq")
{
    CapicomTestObject object;
    EXPECT_EQ(object.setSecret(secret), CAPICOM_OK);
    EXPECT_EQ(object.setContent(text), CAPICOM_OK);
    return object.encrypt();
}

// The content, or the error code.
std::string decrypted(const std::string& message, const std::string& secret = "Zubq")
{
    CapicomTestObject object;
    EXPECT_EQ(object.setSecret(secret), CAPICOM_OK);
    const int code = object.decrypt(message);
    return code == CAPICOM_OK ? object.content() : "error " + std::to_string(code);
}

} // namespace

// The one-line form the settings file keeps is in testdata/.
TEST(Capicom, TextsComeBackWithOrWithoutCarriageReturnsAndEachEncryptionIsFresh)
{
    for (const std::string& text : {kJapaneseCp932, std::string(), std::string(500, 'x') + kJapaneseCp932}) {
        std::string message = encrypted(text);
        EXPECT_EQ(decrypted(message), text);
        std::erase(message, '\r');
        EXPECT_EQ(decrypted(message), text) << "LF only";
    }
    const std::string first = encrypted("abc", kJapaneseCp932);
    EXPECT_NE(first, encrypted("abc", kJapaneseCp932)) << "random IV and salt";
    EXPECT_EQ(decrypted(first, kJapaneseCp932), "abc");
    EXPECT_EQ(decrypted(first, "Zubr"), "error " + std::to_string(CAPICOM_E_BAD_DATA));
    // 0x81 0x20 is a lead byte with an impossible trail byte.
    EXPECT_EQ(decrypted(encrypted(std::string("a\x81\x20z", 4))), "a? z");
    EXPECT_EQ(decrypted(encrypted("\x80\xa0\xfd")), "???") << "single bytes that are not CP932";
}

// One object through a sequence of calls: each result and the description
// that follows it ("" after a success).
TEST(Capicom, MisuseIsRefusedWithItsCodeAndDescription)
{
    CapicomTestObject o;
    capicom_encrypted_data* const p = o.get();
    const char* text = nullptr;
    std::size_t length = 0;
    const auto expect = [&o](int result, int code, const char* description) {
        EXPECT_EQ(result, code) << description;
        EXPECT_EQ(platform::fromCp932(QByteArray::fromStdString(o.lastError())), QString::fromUtf8(description));
    };
    expect(capicom_encrypt(p, &text, &length), CAPICOM_E_NO_SECRET, "パスワードが設定されていません。");
    expect(capicom_set_algorithm_name(p, 3), CAPICOM_E_NOT_SUPPORTED,
           "指定された暗号化アルゴリズムには対応していません (DES のみ)。");
    expect(capicom_set_algorithm_name(p, CAPICOM_ENCRYPTION_ALGORITHM_DES), CAPICOM_OK, "");
    expect(capicom_set_algorithm_key_length(p, 6), CAPICOM_E_INVALID_ARGUMENT, "引数が正しくありません。");
    expect(capicom_set_algorithm_key_length(p, 5), CAPICOM_OK, "");
    expect(capicom_set_algorithm_key_length(p, -1), CAPICOM_E_INVALID_ARGUMENT, "引数が正しくありません。");
    expect(capicom_set_algorithm_key_length(p, 0), CAPICOM_OK, "");
    expect(o.setSecret("Zubq"), CAPICOM_OK, "");
    expect(capicom_encrypt(p, &text, &length), CAPICOM_E_NO_CONTENT, "暗号化する内容が設定されていません。");
    expect(capicom_encrypt(p, nullptr, nullptr), CAPICOM_E_INVALID_ARGUMENT, "引数が正しくありません。");
    EXPECT_EQ(capicom_decrypt(nullptr, "a", 1), CAPICOM_E_INVALID_ARGUMENT);
    EXPECT_STREQ(capicom_last_error(nullptr), "invalid object (null)");
    capicom_destroy(nullptr);
}
