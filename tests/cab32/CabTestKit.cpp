#include "CabTestKit.h"

#include "TestSupport.h"
#include "cab32.h"
#include "platform/Cp932.h"

#include <QDataStream>
#include <QDir>
#include <QDirIterator>
#include <QFile>

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace cabtest {

int cab(const QString& command, QByteArray* message)
{
    char buffer[1024] = {};
    const int rc = Cab(nullptr, platform::toCp932(command).constData(), buffer, sizeof buffer);
    if (message != nullptr)
        *message = QByteArray(buffer);
    return rc;
}

QByteArray randomBytes(qsizetype size, std::uint32_t seed)
{
    QByteArray bytes(size, '\0');
    std::uint32_t x = seed | 1u;
    for (char& byte : bytes) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        byte = static_cast<char>(x >> 24);
    }
    return bytes;
}

QByteArray textBytes(qsizetype size)
{
    static const char* const kWords[] = {"report", "total", "2021", "branch", "売上", "\r\n", ",", "0.25"};
    QByteArray bytes;
    for (std::uint32_t x = 7; bytes.size() < size;) {
        x = x * 1103515245u + 12345u;
        bytes += kWords[(x >> 16) % 8] + QByteArray(" ");
    }
    return bytes.left(size);
}

void putFile(const QString& path, const QByteArray& bytes, const QDateTime& modified)
{
    testsupport::writeBytes(path, bytes);
    QFile file(path);
    if (file.open(QIODevice::ReadWrite))
        file.setFileTime(modified, QFileDevice::FileModificationTime);
}

QMap<QString, QByteArray> treeOf(const QString& folder)
{
    QMap<QString, QByteArray> tree;
    QDirIterator it(folder, QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        tree[QDir(folder).relativeFilePath(path)] = testsupport::readBytes(path);
    }
    return tree;
}

std::vector<QByteArray> contentsOf(const QString& folder)
{
    namespace fs = std::filesystem;
    std::vector<QByteArray> contents;
    for (const auto& entry : fs::recursive_directory_iterator(QFile::encodeName(folder).toStdString())) {
        std::ifstream in(entry.path(), std::ios::binary);
        if (entry.is_regular_file())
            contents.push_back(QByteArray::fromStdString({std::istreambuf_iterator<char>(in), {}}));
    }
    std::sort(contents.begin(), contents.end());
    return contents;
}

// Read with QDataStream, which knows nothing of cab32: a field past the end
// sets its status and reads as 0.
CabLayout readLayout(const QByteArray& b)
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
