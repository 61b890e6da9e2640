// The cabinet writer against an independent reading of the format, plus the
// encoder's deflate choices and the staged output file.
#include "BlockEncoder.h"
#include "ByteSink.h"
#include "CabTestKit.h"
#include "CabWriter.h"
#include "Cp932Codec.h"
#include "DeflateAudit.h"
#include "StagedFile.h"
#include "TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <libdeflate.h>
#include <zlib.h>

using namespace cab32;
using cabtest::readLayout;

namespace {

class MemorySink : public ByteSink {
public:
    Status append(const void* data, size_t size) override
    {
        if (bytes.size() + static_cast<qsizetype>(size) > failAfter)
            return Status::Write;
        bytes.append(static_cast<const char*>(data), static_cast<qsizetype>(size));
        return Status::Ok;
    }
    Status overwrite(uint64_t offset, const void* data, size_t size) override
    {
        bytes.replace(static_cast<qsizetype>(offset), static_cast<qsizetype>(size),
                      static_cast<const char*>(data), static_cast<qsizetype>(size));
        return Status::Ok;
    }
    uint64_t size() const override { return static_cast<uint64_t>(bytes.size()); }

    QByteArray bytes;
    qsizetype failAfter = std::numeric_limits<qsizetype>::max();
};

class Cab32Writer : public ::testing::Test {
protected:
    SourceFile add(const QString& name, const QByteArray& bytes, bool readOnly = false)
    {
        const QString path = m_dir.filePath(name);
        cabtest::putFile(path, bytes);
        SourceFile file;
        file.path = path.toStdString();
        for (const QString& part : name.split('/'))
            file.parts.push_back(part.toStdString());
        file.size = static_cast<uint64_t>(bytes.size());
        file.mtime = QDateTime(QDate(2021, 3, 4), QTime(5, 6, 8)).toSecsSinceEpoch();
        file.readOnly = readOnly;
        return file;
    }

    Result write(const std::vector<SourceFile>& files, uint32_t blocksPerFolder = 65535, int level = 6)
    {
        BlockEncoder encoder(level);
        Cp932Codec codec;
        return CabWriter(m_sink, encoder, codec, blocksPerFolder).write(files);
    }

    QTemporaryDir m_dir;
    MemorySink m_sink;
};

} // namespace

TEST_F(Cab32Writer, WritesASingleCabinetWithCheckedBlocks)
{
    ASSERT_TRUE(write({add("empty.txt", {}), add("exact.bin", cabtest::randomBytes(32768, 1)),
                       add("over.txt", cabtest::textBytes(32769))})
                    .ok());
    const auto layout = readLayout(m_sink.bytes);
    ASSERT_TRUE(layout.valid);
    EXPECT_EQ(layout.versionMajor, 1);
    EXPECT_EQ(layout.versionMinor, 3);
    EXPECT_EQ(layout.flags, 0);
    EXPECT_EQ(layout.cabinetIndex, 0);
    EXPECT_EQ(layout.filesOffset, 36u + 8u);
    ASSERT_EQ(layout.folders.size(), 1u);
    const auto& folder = layout.folders[0];
    EXPECT_EQ(folder.compression, 1);
    // 65537 bytes: two full blocks and one of a single byte.
    EXPECT_EQ(folder.plainSizes, (std::vector<uint16_t>{32768, 32768, 1}));
    for (uint16_t packed : folder.packedSizes)
        EXPECT_LE(packed, 32768 + 12);
    ASSERT_EQ(layout.files.size(), 3u);
    EXPECT_EQ(layout.files[1].offset, 0u);
    EXPECT_EQ(layout.files[2].offset, 32768u);
    EXPECT_EQ(layout.files[2].size, 32769u);
}

TEST_F(Cab32Writer, StoresIncompressibleBlocksAsStoredDeflateBlocks)
{
    ASSERT_TRUE(write({add("random.bin", cabtest::randomBytes(32768, 2))}).ok());
    const auto layout = readLayout(m_sink.bytes);
    ASSERT_TRUE(layout.valid);
    ASSERT_EQ(layout.folders[0].packedSizes, std::vector<uint16_t>{32768 + 7});
    const QByteArray head = m_sink.bytes.mid(layout.folders[0].dataOffset + 8, 7);
    EXPECT_EQ(head, QByteArray::fromHex("434b010080ff7f"));  // "CK", BFINAL stored, LEN, NLEN
}

TEST_F(Cab32Writer, RecordsDatesAttributesAndNames)
{
    ASSERT_TRUE(write({add("a.txt", "a", true), add("表/ソ.txt", "b"), add("😀.txt", "c")}).ok());
    const auto layout = readLayout(m_sink.bytes);
    ASSERT_EQ(layout.files.size(), 3u);
    EXPECT_EQ(layout.files[0].attributes, 0x21);
    EXPECT_EQ(layout.files[1].attributes, 0x20);
    EXPECT_EQ(layout.files[2].attributes, 0xA0);
    EXPECT_EQ(layout.files[1].name, QByteArray("\x95\x5c\\\x83\x5c.txt"));
    EXPECT_EQ(layout.files[2].name, QByteArray("😀.txt"));
    // 2021-03-04 05:06:08 local time in MS-DOS form.
    EXPECT_EQ(layout.files[0].date, (41 << 9) | (3 << 5) | 4);
    EXPECT_EQ(layout.files[0].time, (5 << 11) | (6 << 5) | 4);
}

TEST_F(Cab32Writer, StartsANewFolderBeforeTheBlockLimit)
{
    // Two blocks (65536 bytes) per folder: 50000 + 20000 would need three,
    // so the second file opens folder 1; the third still fits beside it.
    ASSERT_TRUE(write({add("a", cabtest::textBytes(50000)), add("b", cabtest::textBytes(20000)),
                       add("c", cabtest::textBytes(5000))},
                      2)
                    .ok());
    const auto layout = readLayout(m_sink.bytes);
    ASSERT_TRUE(layout.valid);
    ASSERT_EQ(layout.folders.size(), 2u);
    EXPECT_EQ(layout.folders[0].blocks, 2);
    EXPECT_EQ(layout.folders[1].blocks, 1);
    EXPECT_EQ(layout.files[1].folder, 1);
    EXPECT_EQ(layout.files[1].offset, 0u);
    EXPECT_EQ(layout.files[2].offset, 20000u);
    // And the real reader agrees.
    const QString path = m_dir.filePath("split.cab");
    ASSERT_TRUE(testsupport::writeBytes(path, m_sink.bytes));
    QByteArray output;
    EXPECT_EQ(testsupport::runProgram("cabextract", {"-t", path}, &output), 0) << output.constData();
    m_sink.bytes.clear();
    EXPECT_EQ(write({add("big", cabtest::textBytes(70000))}, 2).status, Status::Limit);
}

TEST_F(Cab32Writer, ReportsAFileThatShrankAndASinkThatFails)
{
    SourceFile file = add("short.txt", "12345");
    file.size = 10;
    EXPECT_EQ(write({file}).status, Status::Read);
    MemorySink failing;
    failing.failAfter = 5000;
    BlockEncoder encoder(6);
    Cp932Codec codec;
    EXPECT_EQ(CabWriter(failing, encoder, codec).write({add("r", cabtest::randomBytes(20000, 3))}).status,
              Status::Write);
}

TEST(Cab32DeflateAudit, RejectsLibdeflateBlocksWithAnEmptyDistanceCode)
{
    // Digits without any repeated three-byte run: a literal-only block.
    QByteArray data;
    for (int i = 9000; data.size() < 7000; ++i)
        data += QByteArray::number(i) + '\n';
    libdeflate_compressor* c = libdeflate_alloc_compressor(6);
    std::vector<uint8_t> packed(data.size());
    const size_t size = libdeflate_deflate_compress(c, data.constData(), data.size(), packed.data(), packed.size());
    libdeflate_free_compressor(c);
    ASSERT_GT(size, 0u);
    DeflateAudit audit;
    EXPECT_FALSE(audit.acceptable(packed.data(), size));
    // The encoder then takes zlib's stream, which zlib itself and the audit accept.
    BlockEncoder encoder(6);
    const auto block = encoder.encode(reinterpret_cast<const uint8_t*>(data.constData()), data.size());
    EXPECT_EQ(encoder.zlibBlocks(), 1u);
    EXPECT_TRUE(audit.acceptable(block.data() + 2, block.size() - 2));
}

TEST(Cab32DeflateAudit, AcceptsCompleteStreamsAndRejectsBrokenOnes)
{
    DeflateAudit audit;
    const QByteArray text = cabtest::textBytes(32768);
    BlockEncoder encoder(6);
    const auto block = encoder.encode(reinterpret_cast<const uint8_t*>(text.constData()), text.size());
    EXPECT_EQ(encoder.zlibBlocks(), 0u);
    EXPECT_TRUE(audit.acceptable(block.data() + 2, block.size() - 2));
    EXPECT_FALSE(audit.acceptable(block.data() + 2, block.size() / 2));
    const uint8_t reservedType[] = {0x07, 0x00};
    EXPECT_FALSE(audit.acceptable(reservedType, sizeof reservedType));
}

TEST(Cab32StagedFile, LeavesNothingUnlessCommitted)
{
    QTemporaryDir dir;
    const std::string target = dir.filePath("out.cab").toStdString();
    {
        StagedFile file;
        ASSERT_TRUE(file.open(target).ok());
        ASSERT_EQ(file.append("abc", 3), Status::Ok);
        EXPECT_EQ(testsupport::entriesOf(dir.path()).size(), 1);
    }
    EXPECT_TRUE(testsupport::entriesOf(dir.path()).isEmpty());
    StagedFile file;
    ASSERT_TRUE(file.open(target).ok());
    ASSERT_EQ(file.append("abcdef", 6), Status::Ok);
    ASSERT_EQ(file.overwrite(1, "X", 1), Status::Ok);
    ASSERT_TRUE(file.commit(false).ok());
    EXPECT_EQ(testsupport::readBytes(dir.filePath("out.cab")), QByteArray("aXcdef"));
    EXPECT_EQ(testsupport::entriesOf(dir.path()), QStringList{"out.cab"});
}

TEST(Cab32StagedFile, KeepsAnArchiveThatAppearedMeanwhileWithoutReplace)
{
    QTemporaryDir dir;
    StagedFile file;
    ASSERT_TRUE(file.open(dir.filePath("out.cab").toStdString()).ok());
    ASSERT_EQ(file.append("new", 3), Status::Ok);
    cabtest::putFile(dir.filePath("out.cab"), "old");
    EXPECT_EQ(file.commit(false).status, Status::Exists);
    EXPECT_EQ(testsupport::readBytes(dir.filePath("out.cab")), QByteArray("old"));
    EXPECT_EQ(testsupport::entriesOf(dir.path()), QStringList{"out.cab"});
    EXPECT_EQ(StagedFile().open(dir.filePath("missing/out.cab").toStdString()).status, Status::Write);
}
