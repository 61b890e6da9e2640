#pragma once

// The form A vectors that testdata/make_vectors.py computes with hashlib and
// its own RC4, and the inputs they were computed for.
#include <QByteArray>
#include <QFile>
#include <QString>
#include <QStringList>

#include <map>

struct FormAVector {
    QString password;
    qint64 size = 0;
    int mul = 0;
    int seed = 0;
    QByteArray sha256; // of the whole expected output
    QByteArray head;   // its first 32 bytes
};

// Byte i is (i * mul + seed + (i >> 11)) & 0xFF, as the script makes it.
inline QByteArray vectorInput(qint64 size, int mul, int seed)
{
    QByteArray data(size, Qt::Uninitialized);
    for (qint64 i = 0; i < size; ++i)
        data[i] = static_cast<char>((i * mul + seed + (i >> 11)) & 0xFF);
    return data;
}

// Keyed by the vector's name; empty when the file cannot be read.
inline std::map<QString, FormAVector> loadFormAVectors()
{
    std::map<QString, FormAVector> vectors;
    QFile file(QStringLiteral(TAMBERLOX_SOURCE_DIR "/tests/crypto/testdata/form_a_vectors.txt"));
    for (bool open = file.open(QIODevice::ReadOnly); open && !file.atEnd();) {
        const QStringList f = QString::fromUtf8(file.readLine()).chopped(1).split(QLatin1Char('\t'));
        if (f.size() == 8 && !f[0].startsWith(QLatin1Char('#')))
            vectors[f[0]] = FormAVector{f[1], f[3].toLongLong(), f[4].toInt(), f[5].toInt(),
                                        QByteArray::fromHex(f[6].toLatin1()), QByteArray::fromHex(f[7].toLatin1())};
    }
    return vectors;
}
