#include "platform/crypto/FileAccess.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <vector>

using namespace platform;

namespace {

class FileAccessTest : public ::testing::Test {
protected:
    QString write(const QString& name, const QByteArray& data)
    {
        const QString path = m_folder.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(data);
        return path;
    }

    QTemporaryDir m_folder;
    std::shared_ptr<FileAccess> m_files = systemFileAccess();
};

TEST_F(FileAccessTest, ReadFillsTheBufferAndComesUpShortOnlyAtTheEnd)
{
    const QString path = write(QStringLiteral("in"), QByteArray(2500, 'x'));
    int error = 0;
    auto in = m_files->openExisting(path, error);
    ASSERT_TRUE(in);
    EXPECT_EQ(in->size(), 2500);
    std::vector<std::uint8_t> buffer(1002);
    EXPECT_EQ(in->read(buffer), 1002);
    EXPECT_EQ(in->read(buffer), 1002);
    EXPECT_EQ(in->read(buffer), 496);
    EXPECT_EQ(in->read(buffer), 0);
    EXPECT_TRUE(in->close());
    EXPECT_TRUE(in->close()) << "a second close does nothing";
}

TEST_F(FileAccessTest, OpenAndCreateReportTheSystemError)
{
    int error = 0;
    EXPECT_FALSE(m_files->openExisting(m_folder.filePath(QStringLiteral("missing")), error));
    EXPECT_EQ(error, ENOENT);
    EXPECT_FALSE(m_files->openExisting(m_folder.path(), error));
    EXPECT_EQ(error, EISDIR);
    EXPECT_FALSE(m_files->createAlways(m_folder.filePath(QStringLiteral("no/such/folder/out")), error));
    EXPECT_EQ(error, ENOENT);
}

TEST_F(FileAccessTest, CreateAlwaysEmptiesAnExistingFile)
{
    const QString path = write(QStringLiteral("out"), "old contents");
    int error = 0;
    auto out = m_files->createAlways(path, error);
    ASSERT_TRUE(out);
    const std::uint8_t data[] = {'n', 'e', 'w'};
    EXPECT_TRUE(out->write(data));
    EXPECT_TRUE(out->close());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("new"));
}

TEST_F(FileAccessTest, RemoveRefusesReadOnlyAndOpenFilesAsWindowsDoes)
{
    const QString readOnly = write(QStringLiteral("ro"), "x");
    QFile::setPermissions(readOnly, QFileDevice::ReadOwner);
    EXPECT_EQ(m_files->removeFile(readOnly), EACCES);
    EXPECT_TRUE(QFile::exists(readOnly));

    const QString open = write(QStringLiteral("open"), "x");
    int error = 0;
    auto in = m_files->openExisting(open, error);
    ASSERT_TRUE(in);
    EXPECT_EQ(m_files->removeFile(open), EBUSY);
    in.reset();
    EXPECT_EQ(m_files->removeFile(open), 0) << "closed by destruction";
    EXPECT_FALSE(QFile::exists(open));
    EXPECT_EQ(m_files->removeFile(open), ENOENT);
}

TEST_F(FileAccessTest, WriteFailureReportsErrno)
{
    int error = 0;
    auto out = m_files->createAlways(QStringLiteral("/dev/full"), error);
    ASSERT_TRUE(out);
    const std::vector<std::uint8_t> data(10, 1);
    EXPECT_FALSE(out->write(data));
    EXPECT_EQ(out->error(), ENOSPC);
}

} // namespace
