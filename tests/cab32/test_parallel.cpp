// The writer with blocks encoded on several threads against the one-thread
// path: the same cabinet byte for byte (block boundaries, order, folders),
// also when later blocks finish first.
#include "BlockPipeline.h"
#include "ByteSink.h"
#include "CabWriter.h"
#include "Cp932Codec.h"
#include "TestSupport.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <set>

using namespace cab32;

namespace {

class MemorySink : public ByteSink {
public:
    Status append(const void* data, size_t size) override
    {
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
};

// Text that packs well, bytes that do not (stored blocks), digits that take
// the zlib fallback, and an empty file; no size a whole number of blocks.
QByteArray mixedContent(int kind, qsizetype size)
{
    QByteArray bytes;
    std::uint32_t state = 12345u + static_cast<std::uint32_t>(size);
    for (int i = 0; bytes.size() < size; ++i) {
        if (kind == 0)
            bytes += "月報," + QByteArray::number(i % 97) + ",集計値,東京都\r\n";
        else if (kind == 1)
            bytes += static_cast<char>((state = state * 1664525u + 1013904223u) >> 24);
        else
            bytes += QByteArray::number(9000 + i) + '\n';
    }
    return bytes.left(size);
}

class Cab32Parallel : public ::testing::Test {
protected:
    void SetUp() override
    {
        const std::pair<int, qsizetype> files[] = {
            {0, 150000}, {1, 70001}, {2, 7000}, {0, 0}, {1, 33000}, {0, 99999}, {2, 65537}};
        for (size_t i = 0; i < std::size(files); ++i) {
            const QString path = m_dir.filePath(QStringLiteral("f%1.dat").arg(i));
            const QByteArray bytes = mixedContent(files[i].first, files[i].second);
            ASSERT_TRUE(testsupport::writeBytes(path, bytes));
            SourceFile file;
            file.path = path.toStdString();
            file.parts = {QStringLiteral("f%1.dat").arg(i).toStdString()};
            file.size = static_cast<uint64_t>(bytes.size());
            file.mtime = 1600000000;
            m_files.push_back(file);
            m_total += file.size;
        }
    }

    QByteArray write(BlockPipeline::Options options, uint32_t blocksPerFolder = 65535)
    {
        BlockPipeline pipeline(6, std::move(options));
        Cp932Codec codec;
        MemorySink sink;
        EXPECT_TRUE(pipeline.valid());
        EXPECT_TRUE(CabWriter(sink, pipeline, codec, blocksPerFolder).write(m_files).ok());
        return sink.bytes;
    }

    QTemporaryDir m_dir;
    std::vector<SourceFile> m_files;
    uint64_t m_total = 0;
};

BlockPipeline::Options threads(unsigned count)
{
    BlockPipeline::Options options;
    options.threads = count;
    return options;
}

TEST_F(Cab32Parallel, EveryThreadCountGivesTheOneThreadCabinet)
{
    for (const uint32_t blocksPerFolder : {65535u, 6u}) {
        SCOPED_TRACE(blocksPerFolder);
        const QByteArray alone = write(threads(1), blocksPerFolder);
        ASSERT_FALSE(alone.isEmpty());
        for (const unsigned count : {2u, 3u, 8u})
            EXPECT_TRUE(write(threads(count), blocksPerFolder) == alone) << count << " threads";
    }
}

// Each even block waits until the block after it is done, so the pairs
// finish the wrong way round; the cabinet must not change.
TEST_F(Cab32Parallel, BlocksFinishingOutOfOrderKeepTheirPlace)
{
    const uint64_t blocks = (m_total + 32767) / 32768;
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<uint64_t> finished;
    std::set<uint64_t> done;
    bool stalled = false;
    BlockPipeline::Options options = threads(2);
    options.beforeEncode = [&](uint64_t block) {
        if (block % 2 != 0 || block + 1 >= blocks)
            return;
        std::unique_lock lock(mutex);
        // Only a broken pipeline keeps the next block from a free thread.
        stalled = !changed.wait_for(lock, std::chrono::seconds(120), [&] { return done.count(block + 1) != 0; })
                  || stalled;
    };
    options.afterEncode = [&](uint64_t block) {
        {
            std::lock_guard lock(mutex);
            finished.push_back(block);
            done.insert(block);
        }
        changed.notify_all();
    };
    const QByteArray parallel = write(std::move(options));
    ASSERT_FALSE(stalled);
    ASSERT_EQ(finished.size(), blocks);
    for (uint64_t block = 0; block + 1 < blocks; block += 2) {
        const auto at = [&](uint64_t b) { return std::find(finished.begin(), finished.end(), b) - finished.begin(); };
        EXPECT_LT(at(block + 1), at(block)) << "block " << block;
    }
    EXPECT_TRUE(parallel == write(threads(1)));

    const QString path = m_dir.filePath(QStringLiteral("parallel.cab"));
    ASSERT_TRUE(testsupport::writeBytes(path, parallel));
    QByteArray output;
    EXPECT_EQ(testsupport::runProgram(QStringLiteral("cabextract"), {QStringLiteral("-t"), path}, &output), 0)
        << output.constData();
}

} // namespace
