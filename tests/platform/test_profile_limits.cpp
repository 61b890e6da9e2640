// The stand-in's own bounds: a huge file read in bounded memory, the rewrite
// limit, and what running out of memory gives. Linux only: it caps a forked
// child's address space.
#include "platform/Profile.h"

#include "TestSupport.h"

#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cerrno>
#include <fstream>
#include <gtest/gtest.h>
#include <malloc.h>
#include <sys/resource.h>
#include <tuple>
#include <unistd.h>

using platform::getProfileString;
using platform::writeProfileString;
using testsupport::readBytes;
using testsupport::writeBytes;

namespace {

class ProfileLimitTest : public ::testing::Test {
protected:
    QString path() const { return m_dir.filePath(QStringLiteral("test.ini")); }
    QByteArray read(const QByteArray& section, const QByteArray& key) const
    {
        return getProfileString(section, key, "<default>", 255, path());
    }
    QTemporaryDir m_dir;
};

// The rewrite limit Profile.h gives.
constexpr qint64 kWriteLimit = 16 << 20;

// Caps this (child) process's address space at what it holds now plus
// headroom. Large blocks must come from new mappings, which the cap counts,
// not from heap the parent freed.
bool limitAddressSpace(rlim_t headroom)
{
    mallopt(M_MMAP_THRESHOLD, 128 * 1024);
    unsigned long pages = 0;
    std::ifstream("/proc/self/statm") >> pages;
    const rlim_t cap = pages * static_cast<rlim_t>(::sysconf(_SC_PAGESIZE)) + headroom;
    const rlimit limit { cap, cap };
    return pages > 0 && ::setrlimit(RLIMIT_AS, &limit) == 0;
}

} // namespace

// 64 MiB, a 32 MiB line among them: found by a child with 4 MiB to spare
// (holding the file or that line would not fit), refused by a rewrite. A
// child too short of memory to rewrite a smaller file is told so.
TEST_F(ProfileLimitTest, ReadsAHugeFileInBoundedMemoryAndAWriteOutOfMemoryGivesEnomem)
{
#if defined(__SANITIZE_ADDRESS__) || (defined(__has_feature) && __has_feature(address_sanitizer))
    GTEST_SKIP() << "AddressSanitizer reserves more address space than any cap here";
#endif
    {
        QFile file(path());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        ASSERT_EQ(file.write("; " + QByteArray(32 << 20, 'c') + "\r\n"), (32 << 20) + 4);
        ASSERT_EQ(file.write(QByteArray("junk=" + QByteArray(57, 'j') + "\r\n").repeated(1 << 19)),
            32 << 20);
        ASSERT_GT(file.write("[USER]\r\nHOUKOKU=found\r\n"), 0);
    }
    // noexcept: an escaping exception ends the child instead of running the
    // other tests in it.
    EXPECT_EQ(testsupport::statusOfChild([&]() noexcept {
        return limitAddressSpace(4 << 20) && read("USER", "HOUKOKU") == "found";
    }),
        0);
    const qint64 size = QFileInfo(path()).size();
    EXPECT_EQ(writeProfileString("USER", "HOUKOKU", "new", path()), EFBIG);
    EXPECT_EQ(QFileInfo(path()).size(), size);

    // Within the size limit, beyond the child's memory.
    const QString small = m_dir.filePath(QStringLiteral("small.ini"));
    ASSERT_TRUE(writeBytes(small, "[S]\r\nk=old\r\n") && QFile::resize(small, 8 << 20));
    EXPECT_EQ(testsupport::statusOfChild([&]() noexcept {
        return limitAddressSpace(1 << 20) && writeProfileString("S", "k", "new", small) == ENOMEM
            && getProfileString("S", "k", "", 255, small) == "old";
    }),
        0);
}

TEST_F(ProfileLimitTest, RewritesAFileUpToTheLimitAndLeavesALargerOneUntouched)
{
    for (const auto& [size, rc, start] :
        { std::tuple<qint64, int, QByteArray> { kWriteLimit, 0, "[S]\r\nk=new\r\n" },
            { kWriteLimit + 1, EFBIG, "[S]\r\nk=old\r\n" } }) {
        ASSERT_TRUE(writeBytes(path(), "[S]\r\nk=old\r\n") && QFile::resize(path(), size));
        EXPECT_EQ(writeProfileString("S", "k", "new", path()), rc) << size;
        const QByteArray after = readBytes(path());
        EXPECT_TRUE(after.startsWith(start)) << size;
        EXPECT_EQ(after.size(), size);
        EXPECT_EQ(testsupport::entriesOf(m_dir.path()), QStringList { QStringLiteral("test.ini") });
    }
}
