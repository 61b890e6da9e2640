#include "platform/crypto/CryptoProvider.h"

#include "platform/crypto/OpenSslCryptoProvider.h"

#include <QDir>
#include <QStandardPaths>

namespace platform {

QString defaultKeyContainerFolder()
{
    QString base = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    if (base.isEmpty())
        base = QDir::homePath() + QStringLiteral("/.local/share");
    return base + QStringLiteral("/tamberlox/crypto");
}

std::shared_ptr<CryptoProvider> defaultCryptoProvider()
{
    // One library context for the process: loading OpenSSL's providers once
    // keeps each short-lived clsCryptFile cheap.
    static const std::shared_ptr<CryptoProvider> provider =
        std::make_shared<OpenSslCryptoProvider>(OpenSslCryptoProvider::Options{defaultKeyContainerFolder()});
    return provider;
}

std::shared_ptr<CryptoProvider> makeCryptoProvider(const QString& keyFolder)
{
    return std::make_shared<OpenSslCryptoProvider>(OpenSslCryptoProvider::Options{keyFolder});
}

} // namespace platform
