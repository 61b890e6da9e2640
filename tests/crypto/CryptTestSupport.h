#pragma once

// Helpers of the clsCryptFile tests: a temporary folder, one key container
// for the whole run, and the events of a call.
#include "crypto/clsCryptFile.h"
#include "platform/crypto/CryptoProvider.h"
#include "TestSupport.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <vector>

using testsupport::readBytes;
using testsupport::rc4;
using testsupport::writeBytes;

// The real provider over a key container made once for the test program
// (an RSA 2048 pair takes a moment to make).
inline std::shared_ptr<platform::CryptoProvider> sharedTestProvider()
{
    static QTemporaryDir folder;
    static const auto provider = platform::makeCryptoProvider(folder.filePath(QStringLiteral("keys")));
    return provider;
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
    // The shared provider; components looked for in the test's folder only.
    clsCryptFile::Environment m_env{.provider = sharedTestProvider(), .files = nullptr,
                                    .componentLookup = platform::ComponentLookup{m_folder.path(), false}};
    Totals m_crypting;
    int m_crypted = 0;
    QString m_message;
};
