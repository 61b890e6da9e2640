#include "CabTestKit.h"

#include "TestSupport.h"
#include "cab32.h"
#include "platform/Cp932.h"

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
    const int rc = Cab(nullptr, cp932(command).constData(), buffer, sizeof buffer);
    if (message != nullptr)
        *message = QByteArray(buffer);
    return rc;
}

int checkArchive(const QString& path, int mode)
{
    return CabCheckArchive(cp932(path).constData(), mode);
}

QByteArray cp932(const QString& text)
{
    return platform::toCp932(text);
}

QByteArray randomBytes(qsizetype size, std::uint32_t seed)
{
    QByteArray bytes(size, '\0');
    std::uint32_t x = seed | 1u;
    for (qsizetype i = 0; i < size; ++i) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        bytes[i] = static_cast<char>(x >> 24);
    }
    return bytes;
}

QByteArray textBytes(qsizetype size)
{
    static const char* const kWords[] = {"report", "total", "2021", "branch", "売上", "\r\n", ",", "0.25"};
    QByteArray bytes;
    std::uint32_t x = 7;
    while (bytes.size() < size) {
        x = x * 1103515245u + 12345u;
        bytes += kWords[(x >> 16) % 8];
        bytes += ' ';
    }
    bytes.truncate(size);
    return bytes;
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
    for (const auto& entry : fs::recursive_directory_iterator(fs::path(QFile::encodeName(folder).toStdString()))) {
        if (!entry.is_regular_file())
            continue;
        std::ifstream in(entry.path(), std::ios::binary);
        const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        contents.emplace_back(bytes.data(), static_cast<qsizetype>(bytes.size()));
    }
    std::sort(contents.begin(), contents.end());
    return contents;
}

namespace {

std::uint32_t le(const QByteArray& b, qsizetype at, int bytes)
{
    std::uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i)
        value = (value << 8) | static_cast<std::uint8_t>(b.at(at + i));
    return value;
}

bool readBlocks(const QByteArray& b, CabFolder& folder)
{
    qsizetype at = folder.dataOffset;
    for (int i = 0; i < folder.blocks; ++i) {
        if (at + 8 > b.size())
            return false;
        const auto packed = static_cast<std::uint16_t>(le(b, at + 4, 2));
        if (at + 8 + packed > b.size())
            return false;
        folder.packedSizes.push_back(packed);
        folder.plainSizes.push_back(static_cast<std::uint16_t>(le(b, at + 6, 2)));
        at += 8 + packed;
    }
    return true;
}

} // namespace

CabLayout readLayout(const QByteArray& b)
{
    CabLayout layout;
    if (b.size() < 36 || !b.startsWith("MSCF"))
        return layout;
    layout.versionMinor = static_cast<std::uint8_t>(b.at(24));
    layout.versionMajor = static_cast<std::uint8_t>(b.at(25));
    const std::uint32_t folders = le(b, 26, 2), files = le(b, 28, 2);
    layout.flags = static_cast<std::uint16_t>(le(b, 30, 2));
    layout.cabinetIndex = static_cast<std::uint16_t>(le(b, 34, 2));
    for (std::uint32_t i = 0; i < folders; ++i) {
        const qsizetype at = 36 + 8 * i;
        CabFolder folder{le(b, at, 4), static_cast<std::uint16_t>(le(b, at + 4, 2)),
                         static_cast<std::uint16_t>(le(b, at + 6, 2)), {}, {}};
        if (!readBlocks(b, folder))
            return layout;
        layout.folders.push_back(folder);
    }
    qsizetype at = le(b, 16, 4);
    for (std::uint32_t i = 0; i < files; ++i) {
        const qsizetype end = b.indexOf('\0', at + 16);
        if (end < 0)
            return layout;
        layout.files.push_back({le(b, at, 4), le(b, at + 4, 4), static_cast<std::uint16_t>(le(b, at + 8, 2)),
                                static_cast<std::uint16_t>(le(b, at + 10, 2)),
                                static_cast<std::uint16_t>(le(b, at + 12, 2)),
                                static_cast<std::uint16_t>(le(b, at + 14, 2)), b.mid(at + 16, end - at - 16)});
        at = end + 1;
    }
    layout.valid = le(b, 8, 4) == static_cast<std::uint32_t>(b.size());
    return layout;
}

} // namespace cabtest
