#pragma once

#include "TestSupport.h"

#include <QCryptographicHash>

// What the receiver does with a delivered file, built without the code under
// test: RC4 under MD5("Zubq")[0..4] + 11 zero bytes, then cabextract.
namespace receiver {

inline QByteArray decrypt(const QByteArray& encrypted)
{
    return testsupport::rc4(QCryptographicHash::hash("Zubq", QCryptographicHash::Md5), encrypted);
}

// Extracts a CAB below scratchFolder; file name -> content. ok is false
// when cabextract failed.
inline QMap<QString, QByteArray> extract(const QByteArray& cab, const QString& scratchFolder, bool& ok)
{
    const QString archive = scratchFolder + QStringLiteral("/received.cab");
    const QString folder = scratchFolder + QStringLiteral("/extracted");
    ok = testsupport::writeBytes(archive, cab) && testsupport::cabextract(archive, folder) == 0;
    return testsupport::filesUnder(folder);
}

} // namespace receiver
