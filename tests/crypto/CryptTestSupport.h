#pragma once

// Helpers of the clsCryptFile tests: a temporary folder, one key container
// for the whole run, and the events of a call.
#include "crypto/clsCryptFile.h"
#include "platform/crypto/OpenSslCryptoProvider.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <utility>
#include <vector>

inline QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

inline void writeFile(const QString& path, const QByteArray& data)
{
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    ASSERT_EQ(file.write(data), data.size());
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

using Totals = std::vector<std::pair<std::int32_t, std::int32_t>>;

class CryptFileTest : public ::testing::Test {
protected:
    QString path(const char* name) const { return m_folder.filePath(QString::fromLatin1(name)); }

    clsCryptFile::Environment environment() const
    {
        clsCryptFile::Environment env;
        env.provider = sharedTestProvider();
        env.componentLookup = platform::ComponentLookup{m_folder.path(), false};
        return env;
    }

    // A clsCryptFile with InFile "in", OutFile "out", its events recorded.
    clsCryptFile make(const QString& password, clsCryptFile::Environment env)
    {
        clsCryptFile cryptFile(std::move(env));
        cryptFile.setInFile(path("in"));
        cryptFile.setOutFile(path("out"));
        cryptFile.setPassword(password);
        m_crypting.clear();
        m_crypted = 0;
        cryptFile.Crypting = [this](std::int32_t done, std::int32_t size) { m_crypting.emplace_back(done, size); };
        cryptFile.Crypted = [this] { ++m_crypted; };
        return cryptFile;
    }
    clsCryptFile make(const QString& password) { return make(password, environment()); }

    QTemporaryDir m_folder;
    Totals m_crypting;
    int m_crypted = 0;
};
