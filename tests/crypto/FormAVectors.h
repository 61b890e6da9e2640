#pragma once

// The form A vectors that testdata/make_vectors.py computes with hashlib and
// its own RC4, and the inputs they were computed for.
#include <QByteArray>
#include <QCryptographicHash>
#include <QFile>
#include <QString>
#include <QStringList>

#include <map>

struct FormAVector {
    QString password;
    QByteArray hashedBytes; // the CP932 bytes the password is hashed as
    qint64 size = 0;
    int mul = 0;
    int seed = 0;
    QByteArray sha256;      // of the whole expected output
    QByteArray head;        // its first 32 bytes
};

inline QByteArray vectorInput(const FormAVector& v)
{
    QByteArray data(v.size, Qt::Uninitialized);
    for (qint64 i = 0; i < v.size; ++i)
        data[i] = static_cast<char>((i * v.mul + v.seed + (i >> 11)) & 0xFF);
    return data;
}

inline QByteArray sha256Of(const QByteArray& data)
{
    return QCryptographicHash::hash(data, QCryptographicHash::Sha256);
}

// Keyed by the vector's name; empty when the file cannot be read.
inline std::map<QString, FormAVector> loadFormAVectors()
{
    std::map<QString, FormAVector> vectors;
    QFile file(QStringLiteral(TAMBERLOX_SOURCE_DIR "/tests/crypto/testdata/form_a_vectors.txt"));
    if (!file.open(QIODevice::ReadOnly))
        return vectors;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).chopped(1);
        const QStringList f = line.split(QLatin1Char('\t'));
        if (line.startsWith(QLatin1Char('#')) || f.size() != 8)
            continue;
        vectors[f[0]] = FormAVector{f[1], QByteArray::fromHex(f[2].toLatin1()), f[3].toLongLong(), f[4].toInt(),
                                    f[5].toInt(), QByteArray::fromHex(f[6].toLatin1()),
                                    QByteArray::fromHex(f[7].toLatin1())};
    }
    return vectors;
}
