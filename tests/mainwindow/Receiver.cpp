#include "Receiver.h"

#include "TestSupport.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <array>

namespace receiver {

QByteArray decrypt(const QByteArray& encrypted)
{
    // The base provider's 40-bit key: five hash bytes, then an 11-byte zero salt.
    QByteArray key = QCryptographicHash::hash("Zubq", QCryptographicHash::Md5).left(5);
    key.append(QByteArray(11, '\0'));
    std::array<unsigned char, 256> s{};
    for (int i = 0; i < 256; ++i)
        s[static_cast<size_t>(i)] = static_cast<unsigned char>(i);
    for (size_t i = 0, j = 0; i < 256; ++i) {
        j = (j + s[i] + static_cast<unsigned char>(key.at(static_cast<qsizetype>(i % 16)))) & 0xff;
        std::swap(s[i], s[j]);
    }
    QByteArray plain = encrypted;
    size_t i = 0;
    size_t j = 0;
    for (char& byte : plain) {
        i = (i + 1) & 0xff;
        j = (j + s[i]) & 0xff;
        std::swap(s[i], s[j]);
        byte = static_cast<char>(byte ^ s[(s[i] + s[j]) & 0xff]);
    }
    return plain;
}

QMap<QString, QByteArray> extract(const QByteArray& cab, const QString& scratchFolder, bool& ok)
{
    const QString cabPath = scratchFolder + QStringLiteral("/received.cab");
    const QString outFolder = scratchFolder + QStringLiteral("/extracted");
    QMap<QString, QByteArray> files;
    QByteArray output;
    const QStringList arguments{QStringLiteral("-q"), QStringLiteral("-e"), QStringLiteral("CP932"),
                                QStringLiteral("-d"), outFolder, cabPath};
    ok = testsupport::writeBytes(cabPath, cab)
         && testsupport::runProgram(QStringLiteral("cabextract"), arguments, &output) == 0;
    QDirIterator it(outFolder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        files.insert(QDir(outFolder).relativeFilePath(path), testsupport::readBytes(path));
    }
    return files;
}

} // namespace receiver
