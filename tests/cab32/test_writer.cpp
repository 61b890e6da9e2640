// The cabinet writer's folder limit and failures (a folder of 65535 blocks
// is out of reach of a test through Cab()), and the encoder's deflate choices.
#include "BlockEncoder.h"
#include "ByteSink.h"
#include "CabTestKit.h"
#include "CabWriter.h"
#include "Cp932Codec.h"
#include "DeflateAudit.h"
#include "TestSupport.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <libdeflate.h>

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
    SourceFile add(const QString& name, const QByteArray& bytes)
    {
        const QString path = m_dir.filePath(name);
        cabtest::putFile(path, bytes);
        SourceFile file;
        file.path = path.toStdString();
        file.parts = {name.toStdString()};
        file.size = static_cast<uint64_t>(bytes.size());
        file.mtime = QDateTime(QDate(2021, 3, 4), QTime(5, 6, 8)).toSecsSinceEpoch();
        return file;
    }

    Result write(const std::vector<SourceFile>& files, uint32_t blocksPerFolder = 65535)
    {
        BlockEncoder encoder(6);
        Cp932Codec codec;
        return CabWriter(m_sink, encoder, codec, blocksPerFolder).write(files);
    }

    QTemporaryDir m_dir;
    MemorySink m_sink;
};

} // namespace

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

// A literal-only libdeflate block with an empty distance code is refused
// (some readers reject it) and the encoder takes zlib's stream instead.
TEST(Cab32DeflateAudit, RefusesEmptyDistanceCodesAndBrokenStreams)
{
    QByteArray digits;
    for (int i = 9000; digits.size() < 7000; ++i)
        digits += QByteArray::number(i) + '\n';
    libdeflate_compressor* c = libdeflate_alloc_compressor(6);
    std::vector<uint8_t> packed(digits.size());
    const size_t size = libdeflate_deflate_compress(c, digits.constData(), digits.size(), packed.data(), packed.size());
    libdeflate_free_compressor(c);
    ASSERT_GT(size, 0u);
    DeflateAudit audit;
    EXPECT_FALSE(audit.acceptable(packed.data(), size));
    BlockEncoder encoder(6);
    auto block = encoder.encode(reinterpret_cast<const uint8_t*>(digits.constData()), digits.size());
    EXPECT_EQ(encoder.zlibBlocks(), 1u);
    EXPECT_TRUE(audit.acceptable(block.data() + 2, block.size() - 2));

    const QByteArray text = cabtest::textBytes(32768);
    block = encoder.encode(reinterpret_cast<const uint8_t*>(text.constData()), text.size());
    EXPECT_EQ(encoder.zlibBlocks(), 1u) << "libdeflate's own block when it is sound";
    EXPECT_TRUE(audit.acceptable(block.data() + 2, block.size() - 2));
    EXPECT_FALSE(audit.acceptable(block.data() + 2, block.size() / 2));
    const uint8_t reservedType[] = {0x07, 0x00};
    EXPECT_FALSE(audit.acceptable(reservedType, sizeof reservedType));
}
