// Messages made elsewhere (testdata/make_messages.py: hashlib and the openssl
// command) read here, and ours read without the component: the layout byte
// for byte, the key from Qt's SHA-1, DES by the openssl command.
#include "CapicomTestObject.h"
#include "TestSupport.h"
#include "platform/Cp932.h"

#include <QCryptographicHash>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <gtest/gtest.h>

// Every file of testdata/ with "Zubq": the content it gives (CP932 bytes), or
// its code and description (UTF-8 here); a refused text keeps the content.
TEST(CapicomMessages, EachFileDecryptsOrIsRefusedWithItsCodeAndDescription)
{
    std::string longText;
    for (int i = 0; i < 40; ++i)
        longText += "\x92\xb7\x82\xa2\x95\xb6\x8e\x9a\x97\xf1";  // 長い文字列
    const std::string bad = "暗号化されたデータの構造が正しくありません。(";
    const std::string outer = bad + "EncryptedData の SEQUENCE が壊れているか、途中で切れています)";
    const std::string unsupported = bad + "版またはアルゴリズムに対応していません (DES のみ))";
    const std::string lengths = bad + "IV、ソルトまたは暗号文の長さが正しくありません)";
    const std::tuple<const char*, int, std::string> rows[] = {
        {"good_zubq.txt", CAPICOM_OK, kJapaneseCp932},
        {"good_zubq_one_line.txt", CAPICOM_OK, kJapaneseCp932},
        {"good_long_text.txt", CAPICOM_OK, longText},
        {"good_unrepresentable.txt", CAPICOM_OK, "caf? ? \x5c\x81\x60"},  // ¥ and 〜 as glibc's CP932 writes them
        {"not_base64.txt", CAPICOM_E_BAD_ENCODING, "暗号化された文字列が Base64 形式ではありません。"},
        {"truncated.txt", CAPICOM_E_BAD_STRUCTURE, outer},
        {"trailing_bytes.txt", CAPICOM_E_BAD_STRUCTURE, outer},
        {"length_past_end.txt", CAPICOM_E_BAD_STRUCTURE, outer},  // the outer lengths no longer fit either
        {"wrong_outer_oid.txt", CAPICOM_E_BAD_STRUCTURE, bad + "EncryptedData のオブジェクト識別子が違います)"},
        {"wrong_inner_oid.txt", CAPICOM_E_BAD_STRUCTURE, bad + "EncryptedContent のオブジェクト識別子が違います)"},
        {"negative_version.txt", CAPICOM_E_BAD_STRUCTURE,
         bad + "暗号化の情報 (版、アルゴリズム、鍵長、IV、ソルト、暗号文) が壊れています)"},
        {"unsupported_version.txt", CAPICOM_E_BAD_STRUCTURE, unsupported},
        {"unsupported_algorithm_rc2.txt", CAPICOM_E_BAD_STRUCTURE, unsupported},
        {"bad_iv_length.txt", CAPICOM_E_BAD_STRUCTURE, lengths},
        {"cipher_not_whole_blocks.txt", CAPICOM_E_BAD_STRUCTURE, lengths},
        {"damaged_last_block.txt", CAPICOM_E_BAD_DATA, "不正なデータです。パスワードが違うか、暗号化されたデータが壊れています。"},
    };
    for (const auto& [file, code, expected] : rows) {
        SCOPED_TRACE(file);
        CapicomTestObject object;
        ASSERT_EQ(object.setSecret("Zubq"), CAPICOM_OK);
        ASSERT_EQ(object.setContent("kept"), CAPICOM_OK);
        const QByteArray text = testsupport::readBytes(QStringLiteral(TAMBERLOX_TESTDATA "/") + file);
        EXPECT_EQ(object.decrypt(text.toStdString()), code);
        EXPECT_EQ(platform::fromCp932(QByteArray::fromStdString(object.lastError())).toStdString(),
                  code == CAPICOM_OK ? "" : expected);
        EXPECT_EQ(object.content(), code == CAPICOM_OK ? expected : "kept");
    }
}

TEST(CapicomMessages, OurMessageFollowsTheLayoutAndDecryptsWithoutTheComponent)
{
    CapicomTestObject object;
    ASSERT_EQ(object.setSecret(kJapaneseCp932), CAPICOM_OK);
    ASSERT_EQ(object.setContent("Pass-" + kJapaneseCp932), CAPICOM_OK);
    const QByteArray message = QByteArray::fromStdString(object.encrypt());
    const QByteArray der = QByteArray::fromBase64(message);
    // Base64 in lines of 64 characters, CR LF after each, the last one included.
    QByteArray lines;
    for (qsizetype at = 0; at < der.toBase64().size(); at += 64)
        lines += der.toBase64().mid(at, 64) + "\r\n";
    EXPECT_EQ(message, lines);
    // SEQUENCE { OID 1.3.6.1.4.1.311.88.3, [0] SEQUENCE { OID ...88.3.1, [0] SEQUENCE {
    // version 0x20000, CALG_DES, 56 bits, IV (8), salt (16), cipher (32) } } }
    ASSERT_EQ(der.size(), 107);
    EXPECT_EQ(der.left(47).toHex(), "306906092b0601040182375803a05c305a060a2b060104018237580301a04c304a"
                                    "0203020000020266010201380408");
    EXPECT_EQ(der.mid(55, 2).toHex() + der.mid(73, 2).toHex(), "04100420");
    const QByteArray iv = der.mid(47, 8), salt = der.mid(57, 16), cipher = der.mid(75);
    const auto utf16le = [](const QString& s) { return QByteArray(QStringEncoder(QStringConverter::Utf16LE)(s)); };
    const QString secret = QStringLiteral("パスワード123");
    const QByteArray key = QCryptographicHash::hash(utf16le(secret) + salt, QCryptographicHash::Sha1).left(8);
    QTemporaryDir dir;
    ASSERT_TRUE(testsupport::writeBytes(dir.filePath("cipher"), cipher));
    QByteArray plain;
    EXPECT_EQ(testsupport::runLinuxTool("openssl", {"enc", "-d", "-des-cbc", "-K", key.toHex(), "-iv", iv.toHex(),
                                                  "-provider", "legacy", "-provider", "default", "-in",
                                                  dir.filePath("cipher")},
                                      &plain),
              0);
    EXPECT_EQ(plain, utf16le("Pass-" + secret));
}
