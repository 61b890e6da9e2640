#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QMap>
#include <QString>

#include <cstdint>
#include <map>
#include <vector>

// Helpers of the component's tests: calling Cab(), building source folders,
// and an independent reading of the cabinet layout.
namespace cabtest {

// Cab() with a UTF-16 command line turned into CP932 bytes; message gets the
// output text.
int cab(const QString& command, QByteArray* message = nullptr);

// Deterministic test data: pseudo-random (incompressible) and text-like.
QByteArray randomBytes(qsizetype size, std::uint32_t seed);
QByteArray textBytes(qsizetype size);

// Writes a file (folders created) and sets its modification time.
void putFile(const QString& path, const QByteArray& bytes,
             const QDateTime& modified = QDateTime(QDate(2021, 3, 4), QTime(5, 6, 8)));

// Every regular file under folder: relative path -> contents.
QMap<QString, QByteArray> treeOf(const QString& folder);

// The contents of every regular file under folder, sorted. Walks raw byte
// names, so it also sees names that are not UTF-8 (as gcab writes them).
std::vector<QByteArray> contentsOf(const QString& folder);

// One CFFILE entry; date and time in MS-DOS form, name as stored.
struct CabFile {
    std::uint32_t size = 0;
    std::uint32_t offset = 0;
    std::uint16_t folder = 0;
    std::uint16_t date = 0;
    std::uint16_t time = 0;
    std::uint16_t attributes = 0;
    QByteArray name;
};

// One CFFOLDER entry and the cbData / cbUncomp of each of its CFDATA blocks.
struct CabFolder {
    std::uint32_t dataOffset = 0;
    std::uint16_t blocks = 0;
    std::uint16_t compression = 0;
    std::vector<std::uint16_t> packedSizes;
    std::vector<std::uint16_t> plainSizes;
};

// The layout as the Microsoft format describes it. valid is false when the
// size field or an entry does not fit the bytes (checksums are not checked).
struct CabLayout {
    bool valid = false;
    std::uint8_t versionMinor = 0;
    std::uint8_t versionMajor = 0;
    std::uint16_t flags = 0;
    std::uint16_t cabinetIndex = 0;
    std::vector<CabFolder> folders;
    std::vector<CabFile> files;
};

CabLayout readLayout(const QByteArray& cabinet);

} // namespace cabtest
