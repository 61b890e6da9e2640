// The cabinet writer below Cab(): its failures (a folder of 65535 blocks is
// out of reach through Cab()), the encoder's deflate choices, and blocks
// encoded on several threads against the one-thread path: the same cabinet
// byte for byte, also when later blocks finish first.
#include "BlockEncoder.h"
#include "BlockPipeline.h"
#include "CabTestKit.h"
#include "CabWriter.h"
#include "Cp932Codec.h"
#include "DeflateAudit.h"
#include "SourceReader.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <condition_variable>
#include <functional>
#include <mutex>

using namespace cab32;
using cabtest::sourceFile;

namespace {

Status write(cabtest::MemorySink& sink, const std::vector<SourceFile>& files, uint32_t blocksPerFolder = 65535,
             unsigned threads = 1, BlockPipeline::Options options = {})
{
    options.threads = threads;
    BlockPipeline pipeline(6, std::move(options));
    Cp932Codec codec;
    return CabWriter(sink, pipeline, codec, blocksPerFolder).write(files).status;
}

} // namespace

// A file larger than a whole folder (two blocks here) cannot be stored.
TEST(Cab32Writer, ReportsAFileThatShrankASinkThatFailsAndAFileBeyondAFolder)
{
    QTemporaryDir dir;
    cabtest::MemorySink sink, failing, tooBig;
    SourceFile file = sourceFile(dir.path(), "short.txt", "12345");
    file.size = 10;
    EXPECT_EQ(write(sink, {file}), Status::Read);
    failing.failAfter = 5000;
    EXPECT_EQ(write(failing, {sourceFile(dir.path(), "r", cabtest::randomBytes(20000, 3))}), Status::Write);
    EXPECT_EQ(write(tooBig, {sourceFile(dir.path(), "big", cabtest::textBytes(70000))}, 2), Status::Limit);
}

namespace {

// The system's reader, with the file changed by change() once `after`
// bytes have been read: another program still writing it.
class ChangingReader final : public SourceReader {
public:
    ChangingReader(uint64_t after, std::function<void()> change)
        : m_after(after), m_change(std::move(change)) {}
    bool open(const SourceFile& file) override { return m_real->open(file); }
    long long read(void* buffer, size_t size) override
    {
        const long long got = m_real->read(buffer, size);
        if (got > 0 && m_read < m_after && (m_read += static_cast<uint64_t>(got)) >= m_after)
            m_change();
        return got;
    }
    bool stat(uint64_t& size, std::time_t& seconds, long& nanoseconds) override
    {
        return m_real->stat(size, seconds, nanoseconds);
    }
    void close() override { m_real->close(); }

private:
    std::unique_ptr<SourceReader> m_real = systemSourceReader();
    uint64_t m_after, m_read = 0;
    std::function<void()> m_change;
};

} // namespace

// Grown, touched or cut after its first block was read: never stored cut.
TEST(Cab32Writer, AFileChangedWhileItIsReadIsRefused)
{
    QTemporaryDir dir;
    const SourceFile file = sourceFile(dir.path(), "report.csv", cabtest::textBytes(3 * 32768));
    const QString path = dir.filePath("report.csv");
    const std::pair<const char*, std::function<void()>> changes[] = {
        {"grown", [&] { QFile f(path); f.open(QIODevice::Append); f.write("more"); }},
        {"grown, time kept", [&] { QFile f(path); f.open(QIODevice::Append); f.write("more");
                                   f.setFileTime(cabtest::kModified, QFileDevice::FileModificationTime); }},
        {"touched", [&] { QFile f(path); f.open(QIODevice::ReadWrite);
                          f.setFileTime(cabtest::kModified.addSecs(1), QFileDevice::FileModificationTime); }},
        {"cut", [&] { QFile::resize(path, 40000); }},
    };
    for (const auto& [what, change] : changes) {
        SCOPED_TRACE(what);
        cabtest::putFile(path, cabtest::textBytes(3 * 32768));
        ChangingReader reader(32768, change);
        cabtest::MemorySink sink;
        BlockPipeline pipeline(6);
        Cp932Codec codec;
        CabWriter writer(sink, pipeline, codec);
        writer.setSourceReader(reader);
        const Result result = writer.write({file});
        EXPECT_EQ(result.status, Status::Read);
        EXPECT_EQ(result.subject, file.path);
    }
}

// A literal-only libdeflate block with an empty distance code is refused
// (some readers reject it) and the encoder takes zlib's stream instead.
TEST(Cab32DeflateAudit, RefusesEmptyDistanceCodesAndBrokenStreams)
{
    const QByteArray digits = cabtest::digitBytes(7000);
    DeflateAudit audit;
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

namespace {

// Text that packs well, bytes that do not (stored blocks), digits that take
// the zlib fallback, and an empty file; no size a whole number of blocks.
class Cab32Parallel : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const QByteArray& bytes : {cabtest::textBytes(150000), cabtest::randomBytes(70001, 1),
                                        cabtest::digitBytes(7000), QByteArray(), cabtest::randomBytes(33000, 2),
                                        cabtest::textBytes(99999), cabtest::digitBytes(65537)})
            m_files.push_back(sourceFile(m_dir.filePath("in"), QStringLiteral("f%1.dat").arg(m_files.size()), bytes));
    }

    QByteArray cabinet(unsigned threads, uint32_t blocksPerFolder = 65535, BlockPipeline::Options options = {})
    {
        cabtest::MemorySink sink;
        EXPECT_EQ(write(sink, m_files, blocksPerFolder, threads, std::move(options)), Status::Ok);
        return sink.bytes;
    }

    QTemporaryDir m_dir;
    std::vector<SourceFile> m_files;
};

} // namespace

// With six blocks per folder the cabinet has several folders; cabextract
// reads every file back.
TEST_F(Cab32Parallel, EveryThreadCountGivesTheOneThreadCabinet)
{
    for (const uint32_t blocksPerFolder : {65535u, 6u}) {
        SCOPED_TRACE(blocksPerFolder);
        const QByteArray alone = cabinet(1, blocksPerFolder);
        for (const unsigned count : {2u, 3u, 8u})
            EXPECT_TRUE(cabinet(count, blocksPerFolder) == alone) << count << " threads";
        EXPECT_EQ(cabtest::readLayout(alone).folders.size() > 1, blocksPerFolder == 6);
        const QString archive = m_dir.filePath("out.cab"), out = m_dir.filePath("out");
        ASSERT_TRUE(testsupport::writeBytes(archive, alone));
        QByteArray output;
        ASSERT_EQ(testsupport::cabextract(archive, out, &output), 0) << output.constData();
        EXPECT_TRUE(testsupport::filesUnder(out) == testsupport::filesUnder(m_dir.filePath("in")));
        ASSERT_TRUE(QDir(out).removeRecursively());
    }
}

// Each even block waits until the block after it is done, so the pairs
// finish the wrong way round; the cabinet must not change. Only a broken
// pipeline keeps the next block from the free thread (then the wait ends
// after two minutes and the order check fails).
TEST_F(Cab32Parallel, BlocksFinishingOutOfOrderKeepTheirPlace)
{
    const uint64_t blocks = cabtest::readLayout(cabinet(1)).folders.at(0).blocks;
    std::mutex mutex;
    std::condition_variable changed;
    std::vector<uint64_t> finished;
    const auto at = [&](uint64_t block) { return std::find(finished.begin(), finished.end(), block) - finished.begin(); };
    BlockPipeline::Options options;
    options.beforeEncode = [&](uint64_t block) {
        std::unique_lock lock(mutex);
        if (block % 2 == 0 && block + 1 < blocks)
            changed.wait_for(lock, std::chrono::minutes(2), [&] { return at(block + 1) < std::ssize(finished); });
    };
    options.afterEncode = [&](uint64_t block) {
        {
            std::lock_guard lock(mutex);
            finished.push_back(block);
        }
        changed.notify_all();
    };
    const QByteArray parallel = cabinet(2, 65535, std::move(options));
    ASSERT_EQ(finished.size(), blocks);
    for (uint64_t block = 0; block + 1 < blocks; block += 2)
        EXPECT_LT(at(block + 1), at(block)) << "block " << block;
    EXPECT_TRUE(parallel == cabinet(1));
}
