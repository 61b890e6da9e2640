// Messages made elsewhere (testdata/make_messages.py: hashlib and the openssl
// command), and our messages read back here without the component: the DER
// walked by hand, the key from Qt's SHA-1, DES from OpenSSL directly.
#include "CapicomTestObject.h"

#include <QByteArray>
#include <QCryptographicHash>
#include <QFile>
#include <QString>

#include <gtest/gtest.h>
#include <openssl/evp.h>
#include <openssl/provider.h>

#include <vector>

namespace {

std::string testFile(const char* name)
{
    QFile file(QStringLiteral(TAMBERLOX_TESTDATA "/") + QLatin1String(name));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << name;
    return file.readAll().toStdString();
}

TEST(CapicomMessages, ReadsMessagesBuiltFromTheLayout)
{
    std::string longText;
    for (int i = 0; i < 40; ++i)
        longText += "\x92\xb7\x82\xa2\x95\xb6\x8e\x9a\x97\xf1"; // 長い文字列 in CP932
    const std::pair<const char*, std::string> cases[] = {{"good_zubq.txt", kJapaneseCp932},
                                                         {"good_zubq_one_line.txt", kJapaneseCp932},
                                                         {"good_long_text.txt", longText},
                                                         {"good_unrepresentable.txt", "caf? ?"}};
    for (const auto& [name, text] : cases) {
        CapicomTestObject object;
        ASSERT_EQ(object.setSecret("Zubq"), CAPICOM_OK);
        EXPECT_EQ(object.decrypt(testFile(name)), CAPICOM_OK) << name << ": " << object.lastError();
        EXPECT_EQ(object.content(), text) << name;
    }
    CapicomTestObject wrongKey;
    ASSERT_EQ(wrongKey.setSecret("zubq"), CAPICOM_OK);
    EXPECT_EQ(wrongKey.decrypt(testFile("good_zubq.txt")), CAPICOM_E_BAD_DATA);
}

// Each refused with its code and a description; the content is kept.
TEST(CapicomMessages, HostileMessagesAreRefused)
{
    const std::pair<const char*, int> cases[] = {{"not_base64.txt", CAPICOM_E_BAD_ENCODING},
                                                 {"truncated.txt", CAPICOM_E_BAD_STRUCTURE},
                                                 {"wrong_outer_oid.txt", CAPICOM_E_BAD_STRUCTURE},
                                                 {"wrong_inner_oid.txt", CAPICOM_E_BAD_STRUCTURE},
                                                 {"unsupported_version.txt", CAPICOM_E_BAD_STRUCTURE},
                                                 {"negative_version.txt", CAPICOM_E_BAD_STRUCTURE},
                                                 {"unsupported_algorithm_rc2.txt", CAPICOM_E_BAD_STRUCTURE},
                                                 {"bad_iv_length.txt", CAPICOM_E_BAD_STRUCTURE},
                                                 {"cipher_not_whole_blocks.txt", CAPICOM_E_BAD_STRUCTURE},
                                                 {"trailing_bytes.txt", CAPICOM_E_BAD_STRUCTURE},
                                                 {"length_past_end.txt", CAPICOM_E_BAD_STRUCTURE},
                                                 {"damaged_last_block.txt", CAPICOM_E_BAD_DATA}};
    for (const auto& [file, code] : cases) {
        CapicomTestObject object;
        ASSERT_EQ(object.setSecret("Zubq"), CAPICOM_OK);
        ASSERT_EQ(object.setContent("kept"), CAPICOM_OK);
        EXPECT_EQ(object.decrypt(testFile(file)), code) << file << ": " << object.lastError();
        EXPECT_FALSE(object.lastError().empty()) << file;
        EXPECT_EQ(object.content(), "kept") << file;
    }
}

// Walks one DER element of the expected tag; empty on any mismatch.
QByteArray element(const QByteArray& data, int& at, unsigned char tag)
{
    if (at + 2 > data.size() || static_cast<unsigned char>(data[at]) != tag)
        return {};
    int length = static_cast<unsigned char>(data[at + 1]);
    at += 2;
    if (length > 0x80) {
        const int bytes = length & 0x7F;
        length = 0;
        for (int i = 0; i < bytes; ++i)
            length = length << 8 | static_cast<unsigned char>(data[at++]);
    }
    const QByteArray contents = data.mid(at, length);
    at += length;
    return contents;
}

QByteArray desCbcDecrypt(const QByteArray& key, const QByteArray& iv, const QByteArray& cipher)
{
    OSSL_LIB_CTX* libCtx = OSSL_LIB_CTX_new();
    OSSL_PROVIDER* legacy = OSSL_PROVIDER_load(libCtx, "legacy");
    OSSL_PROVIDER* base = OSSL_PROVIDER_load(libCtx, "default");
    EVP_CIPHER* des = EVP_CIPHER_fetch(libCtx, "DES-CBC", nullptr);
    EVP_CIPHER_CTX* ctx = EVP_CIPHER_CTX_new();
    QByteArray plain(cipher.size() + 8, '\0');
    int n1 = 0;
    int n2 = 0;
    const auto* k = reinterpret_cast<const unsigned char*>(key.constData());
    const auto* v = reinterpret_cast<const unsigned char*>(iv.constData());
    auto* out = reinterpret_cast<unsigned char*>(plain.data());
    const bool ok = des && EVP_DecryptInit_ex2(ctx, des, k, v, nullptr) == 1
                    && EVP_DecryptUpdate(ctx, out, &n1, reinterpret_cast<const unsigned char*>(cipher.constData()),
                                         static_cast<int>(cipher.size())) == 1
                    && EVP_DecryptFinal_ex(ctx, out + n1, &n2) == 1;
    EVP_CIPHER_CTX_free(ctx);
    EVP_CIPHER_free(des);
    OSSL_PROVIDER_unload(base);
    OSSL_PROVIDER_unload(legacy);
    OSSL_LIB_CTX_free(libCtx);
    return ok ? plain.left(n1 + n2) : QByteArray("<bad>");
}

TEST(CapicomMessages, OurMessageFollowsTheLayoutAndDecryptsWithoutTheComponent)
{
    CapicomTestObject object;
    std::string message;
    ASSERT_EQ(object.setSecret(kJapaneseCp932), CAPICOM_OK);
    ASSERT_EQ(object.setContent("Pass-" + kJapaneseCp932), CAPICOM_OK);
    ASSERT_EQ(object.encrypt(message), CAPICOM_OK);
    const QByteArray der = QByteArray::fromBase64(QByteArray::fromStdString(message));

    int at = 0;
    const QByteArray outer = element(der, at, 0x30);
    EXPECT_EQ(at, der.size()) << "nothing after the message";
    at = 0;
    EXPECT_EQ(element(outer, at, 0x06).toHex(), "2b0601040182375803");
    const QByteArray level1 = element(outer, at, 0xA0);
    at = 0;
    const QByteArray content = element(level1, at, 0x30);
    at = 0;
    EXPECT_EQ(element(content, at, 0x06).toHex(), "2b060104018237580301");
    const QByteArray level2 = element(content, at, 0xA0);
    at = 0;
    const QByteArray fields = element(level2, at, 0x30);
    at = 0;
    EXPECT_EQ(element(fields, at, 0x02).toHex(), "020000") << "version 0x20000";
    EXPECT_EQ(element(fields, at, 0x02).toHex(), "6601") << "CALG_DES";
    EXPECT_EQ(element(fields, at, 0x02).toHex(), "38") << "56 bits";
    const QByteArray iv = element(fields, at, 0x04);
    const QByteArray salt = element(fields, at, 0x04);
    const QByteArray cipher = element(fields, at, 0x04);
    EXPECT_EQ(at, fields.size());
    ASSERT_EQ(iv.size(), 8);
    ASSERT_EQ(salt.size(), 16);
    ASSERT_EQ(cipher.size() % 8, 0);

    const QString secret = QString::fromUtf16(u"パスワード123");
    const QString text = QStringLiteral("Pass-") + secret;
    auto utf16le = [](const QString& s) {
        return QByteArray(reinterpret_cast<const char*>(s.utf16()), s.size() * 2);
    };
    const QByteArray key = QCryptographicHash::hash(utf16le(secret) + salt, QCryptographicHash::Sha1).left(8);
    EXPECT_EQ(desCbcDecrypt(key, iv, cipher), utf16le(text));
}

} // namespace
