#pragma once

#include <QByteArray>
#include <QMap>
#include <QString>

// What the receiver does with a delivered file, built without the code under
// test: RC4 under MD5("Zubq")[0..4] + 11 zero bytes, then cabextract.
namespace receiver {

QByteArray decrypt(const QByteArray& encrypted);

// Extracts a CAB with cabextract -e CP932; file name → content. ok is false
// when cabextract failed.
QMap<QString, QByteArray> extract(const QByteArray& cab, const QString& scratchFolder, bool& ok);

} // namespace receiver
