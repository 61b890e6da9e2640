#pragma once

// Helpers of the clsCryptFile tests: a temporary folder, one key container
// for the whole run, and the events of a call.
#include "crypto/clsCryptFile.h"
#include "platform/crypto/OpenSslCryptoProvider.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <ostream>
#include <utility>
#include <vector>

// Readable QStrings in failure reports.
QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}
QT_END_NAMESPACE

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
inline std::shared_ptr<platform::CryptoProvider> sharedTestProvider()
{
    static QTemporaryDir folder;
    static const auto provider = std::make_shared<platform::OpenSslCryptoProvider>(
        platform::OpenSslCryptoProvider::Options{folder.filePath(QStringLiteral("keys"))});
    return provider;
}

// Everything one call of clsCryptFile raised.
struct Events {
    std::vector<std::pair<std::int32_t, std::int32_t>> crypting;
    int crypted = 0;

    void attach(clsCryptFile& cryptFile)
    {
        cryptFile.Crypting = [this](std::int32_t done, std::int32_t size) { crypting.emplace_back(done, size); };
        cryptFile.Crypted = [this] { ++crypted; };
    }
};

class CryptFileTest : public ::testing::Test {
protected:
    QString path(const QString& name) const { return m_folder.filePath(name); }

    clsCryptFile::Environment environment() const
    {
        clsCryptFile::Environment env;
        env.provider = sharedTestProvider();
        env.componentLookup = platform::ComponentLookup{m_folder.path(), false};
        return env;
    }

    // A clsCryptFile on the real services with InFile "in", OutFile "out".
    clsCryptFile make(const QString& password, clsCryptFile::Environment env)
    {
        clsCryptFile cryptFile(std::move(env));
        cryptFile.setInFile(path(QStringLiteral("in")));
        cryptFile.setOutFile(path(QStringLiteral("out")));
        cryptFile.setPassword(password);
        m_events = Events();
        m_events.attach(cryptFile);
        return cryptFile;
    }
    clsCryptFile make(const QString& password) { return make(password, environment()); }

    QTemporaryDir m_folder;
    Events m_events;
};
