#pragma once

// Helpers of the component's tests: calling Cab(), building source folders,
// an in-memory sink for the writer, and an independent reading of the
// cabinet layout.
#include "ByteSink.h"
#include "FileScanner.h"
#include "TestSupport.h"
#include "cab32.h"
#include "platform/Cp932.h"

#include <QByteArray>
#include <QDataStream>
#include <QDateTime>
#include <QFile>

#include <algorithm>
#include <cstdint>
#include <limits>
#include <random>
#include <vector>

namespace cabtest {

// Cab() with a UTF-16 command line turned into CP932 bytes.
inline int cab(const QString& command)
{
    return Cab(nullptr, platform::toCp932(command).constData(), nullptr, 0);
}

// Deterministic test data: pseudo-random (incompressible), text-like, and
// counting digits (libdeflate packs these without distance codes).
inline QByteArray randomBytes(qsizetype size, std::uint32_t seed)
{
    std::mt19937 random(seed);
    QByteArray bytes(size, '\0');
    std::generate(bytes.begin(), bytes.end(), [&] { return static_cast<char>(random() >> 24); });
    return bytes;
}

inline QByteArray textBytes(qsizetype size)
{
    static const char* const kWords[] = {"report", "total", "2021", "branch", "売上", "\r\n", ",", "0.25"};
    QByteArray bytes;
    for (std::uint32_t x = 7; bytes.size() < size;) {
        x = x * 1103515245u + 12345u;
        bytes += kWords[(x >> 16) % 8] + QByteArray(" ");
    }
    return bytes.left(size);
}

inline QByteArray digitBytes(qsizetype size)
{
    QByteArray bytes;
    for (int i = 9000; bytes.size() < size; ++i)
        bytes += QByteArray::number(i) + '\n';
    return bytes.left(size);
}

inline const QDateTime kModified(QDate(2021, 3, 4), QTime(5, 6, 8));

// Writes a file (folders created) with kModified as its modification time.
inline void putFile(const QString& path, const QByteArray& bytes)
{
    testsupport::writeBytes(path, bytes);
    QFile file(path);
    if (file.open(QIODevice::ReadWrite))
        file.setFileTime(kModified, QFileDevice::FileModificationTime);
}

// putFile(folder/name) and the writer's entry for it.
inline cab32::SourceFile sourceFile(const QString& folder, const QString& name, const QByteArray& bytes)
{
    putFile(folder + '/' + name, bytes);
    return {QFile::encodeName(folder + '/' + name).toStdString(), {name.toStdString()},
            static_cast<uint64_t>(bytes.size()), kModified.toSecsSinceEpoch(), false};
}

// The cabinet in memory; appends fail past failAfter bytes.
class MemorySink : public cab32::ByteSink {
public:
    cab32::Status append(const void* data, size_t size) override
    {
        if (bytes.size() + static_cast<qsizetype>(size) > failAfter)
            return cab32::Status::Write;
        bytes.append(static_cast<const char*>(data), static_cast<qsizetype>(size));
        return cab32::Status::Ok;
    }
    cab32::Status overwrite(uint64_t offset, const void* data, size_t size) override
    {
        bytes.replace(static_cast<qsizetype>(offset), static_cast<qsizetype>(size), static_cast<const char*>(data),
                      static_cast<qsizetype>(size));
        return cab32::Status::Ok;
    }
    uint64_t size() const override { return static_cast<uint64_t>(bytes.size()); }

    QByteArray bytes;
    qsizetype failAfter = std::numeric_limits<qsizetype>::max();
};

// One CFFILE entry; date and time in MS-DOS form, name as stored.
struct CabFile {
    std::uint32_t size = 0, offset = 0;
    std::uint16_t folder = 0, date = 0, time = 0, attributes = 0;
    QByteArray name;
};

// One CFFOLDER entry and the cbData / cbUncomp of each of its CFDATA blocks.
struct CabFolder {
    std::uint32_t dataOffset = 0;
    std::uint16_t blocks = 0, compression = 0;
    std::vector<std::uint16_t> packedSizes, plainSizes;
};

// The layout as the Microsoft format describes it. valid is false when the
// size field or an entry does not fit the bytes (checksums are not checked).
struct CabLayout {
    bool valid = false;
    std::uint8_t versionMinor = 0, versionMajor = 0;
    std::uint16_t flags = 0, cabinetIndex = 0;
    std::vector<CabFolder> folders;
    std::vector<CabFile> files;
};

// Read with QDataStream, which knows nothing of cab32: a field past the end
// sets its status and reads as 0.
inline CabLayout readLayout(const QByteArray& b)
{
    CabLayout layout;
    QDataStream in(b);
    in.setByteOrder(QDataStream::LittleEndian);
    std::uint32_t size = 0, filesAt = 0;
    std::uint16_t folderCount = 0, fileCount = 0;
    in.skipRawData(8);
    in >> size;
    in.skipRawData(4);
    in >> filesAt;
    in.skipRawData(4);
    in >> layout.versionMinor >> layout.versionMajor >> folderCount >> fileCount >> layout.flags;
    in.skipRawData(2);
    in >> layout.cabinetIndex;
    bool fits = b.startsWith("MSCF") && size == b.size();
    for (int i = 0; i < folderCount; ++i) {
        CabFolder folder;
        in >> folder.dataOffset >> folder.blocks >> folder.compression;
        QDataStream data(b);
        data.setByteOrder(QDataStream::LittleEndian);
        data.skipRawData(static_cast<int>(folder.dataOffset));
        folder.packedSizes.resize(folder.blocks);
        folder.plainSizes.resize(folder.blocks);
        for (int j = 0; j < folder.blocks; ++j) {
            data.skipRawData(4);  // csum
            data >> folder.packedSizes[j] >> folder.plainSizes[j];
            data.skipRawData(folder.packedSizes[j]);
        }
        fits = fits && data.status() == QDataStream::Ok;
        layout.folders.push_back(folder);
    }
    in.device()->seek(filesAt);
    layout.files.resize(fileCount);
    for (CabFile& file : layout.files) {
        in >> file.size >> file.offset >> file.folder >> file.date >> file.time >> file.attributes;
        for (char c = 0; in.readRawData(&c, 1) == 1 && c != '\0';)
            file.name += c;
    }
    layout.valid = fits && in.status() == QDataStream::Ok;
    return layout;
}

} // namespace cabtest
