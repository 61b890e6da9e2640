#pragma once

// Helpers of the clsCryptFile tests: a temporary folder, one key container
// for the whole run, the events of a call, and the receiver's RC4.
#include "crypto/clsCryptFile.h"
#include "platform/crypto/OpenSslCryptoProvider.h"
#include "TestSupport.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <array>
#include <numeric>
#include <vector>

using testsupport::readBytes;
using testsupport::writeBytes;

// RC4 as CryptoAPI's base provider runs it (the 5 key bytes, then 11 zero
// bytes of salt), written out here apart from the code under test.
inline QByteArray rc4(const QByteArray& key5, QByteArray data)
{
    const QByteArray key = key5.left(5) + QByteArray(11, '\0');
    std::array<std::uint8_t, 256> s{};
    std::iota(s.begin(), s.end(), 0);
    for (int i = 0, j = 0; i < 256; ++i) {
        j = (j + s[i] + static_cast<std::uint8_t>(key[i % 16])) & 0xFF;
        std::swap(s[i], s[j]);
    }
    for (int n = 0, i = 0, j = 0; n < data.size(); ++n) {
        i = (i + 1) & 0xFF;
        j = (j + s[i]) & 0xFF;
        std::swap(s[i], s[j]);
        data[n] = static_cast<char>(data[n] ^ s[(s[i] + s[j]) & 0xFF]);
    }
    return data;
}

// The real provider over a key container made once for the test program
// (an RSA 2048 pair takes a moment to make).
inline std::shared_ptr<platform::OpenSslCryptoProvider> sharedTestProvider()
{
    static QTemporaryDir folder;
    static const auto provider = std::make_shared<platform::OpenSslCryptoProvider>(
        platform::OpenSslCryptoProvider::Options{folder.filePath(QStringLiteral("keys"))});
    return provider;
}

// The shared provider; components looked for in folder only.
inline clsCryptFile::Environment testEnvironment(const QString& folder)
{
    clsCryptFile::Environment env;
    env.provider = sharedTestProvider();
    env.componentLookup = platform::ComponentLookup{folder, false};
    return env;
}

using Totals = std::vector<std::pair<std::int32_t, std::int32_t>>;

class CryptFileTest : public ::testing::Test {
protected:
    QString path(const char* name) const { return m_folder.filePath(QString::fromLatin1(name)); }

    // A clsCryptFile from "in" to m_outFile over m_env, its events recorded.
    clsCryptFile make(const QString& password)
    {
        clsCryptFile cryptFile(m_env);
        cryptFile.setInFile(path("in"));
        cryptFile.setOutFile(m_outFile);
        cryptFile.setPassword(password);
        m_crypting.clear();
        m_crypted = 0;
        cryptFile.Crypting = [this](std::int32_t done, std::int32_t size) { m_crypting.emplace_back(done, size); };
        cryptFile.Crypted = [this] { ++m_crypted; };
        return cryptFile;
    }
    // Writes input to "in" and runs one file-mode call; its message in m_message.
    bool crypt(bool encrypting, const QString& password, const QByteArray& input)
    {
        EXPECT_TRUE(writeBytes(path("in"), input));
        clsCryptFile cryptFile = make(password);
        const bool ok = encrypting ? cryptFile.Encrypt(0) : cryptFile.Decrypt(0);
        m_message = cryptFile.GetErrMsg();
        return ok;
    }
    QByteArray out() const { return readBytes(m_outFile); }

    QTemporaryDir m_folder;
    QString m_outFile = path("out");
    clsCryptFile::Environment m_env = testEnvironment(m_folder.path());
    Totals m_crypting;
    int m_crypted = 0;
    QString m_message;
};
