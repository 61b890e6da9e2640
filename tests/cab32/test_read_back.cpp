// Cabinets written through Cab() and read back by the extractors the
// receiver may use: cabextract and bsdtar with CP932 names, 7z and gcab for
// the contents.
#include "CabTestKit.h"
#include "TestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <filesystem>

#include <sys/stat.h>

using cabtest::putFile;
using cabtest::treeOf;
using testsupport::runProgram;

namespace {

class Cab32ReadBack : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_source = m_dir.filePath("source");
        m_archive = m_dir.filePath("out.cab");
        putFile(m_source + "/empty.txt", {});
        putFile(m_source + "/exact32768.bin", cabtest::randomBytes(32768, 11));
        putFile(m_source + "/exact32769.txt", cabtest::textBytes(32769));
        putFile(m_source + "/random.bin", cabtest::randomBytes(300000, 12));
        putFile(m_source + "/表ソ能.txt", "trail bytes 0x5C");
        putFile(m_source + "/帳票/ソフト/能力.csv", cabtest::textBytes(70000));
        putFile(m_source + "/😀 ¥.txt", "no CP932 form");
        putFile(m_source + "/sub/deeper/MAIN_TEXT.txt", "a,b,c,d\r\n");
        ::chmod(QFile::encodeName(m_source + "/sub/deeper/MAIN_TEXT.txt").constData(), 0444);
    }

    void compress()
    {
        QByteArray message;
        ASSERT_EQ(cabtest::cab(QString("-a -r -i -o -mz \"%1\" \"%2/\" *.*").arg(m_archive, m_source), &message), 0)
            << message.constData();
    }

    void expectSameTree(const QString& folder)
    {
        const auto expected = treeOf(m_source);
        const auto actual = treeOf(folder);
        EXPECT_EQ(actual.size(), expected.size());
        for (const auto& [name, bytes] : expected) {
            ASSERT_TRUE(actual.count(name)) << name.toStdString();
            EXPECT_TRUE(actual.at(name) == bytes) << name.toStdString();
        }
    }

    QTemporaryDir m_dir;
    QString m_source;
    QString m_archive;
};

} // namespace

TEST_F(Cab32ReadBack, CabextractRestoresNamesBytesAndDates)
{
    compress();
    const QString out = m_dir.filePath("cabextract");
    QByteArray output;
    ASSERT_EQ(runProgram("cabextract", {"-q", "-e", "CP932", "-d", out, m_archive}, &output), 0) << output.constData();
    expectSameTree(out);
    EXPECT_EQ(QFileInfo(out + "/帳票/ソフト/能力.csv").lastModified(),
              QDateTime(QDate(2021, 3, 4), QTime(5, 6, 8)));
    EXPECT_EQ(testsupport::fileMode(out + "/sub/deeper/MAIN_TEXT.txt") & 0222, 0u);
}

TEST_F(Cab32ReadBack, BsdtarRestoresNamesAndBytes)
{
    compress();
    const QString out = m_dir.filePath("bsdtar");
    QDir().mkpath(out);
    QByteArray output;
    ASSERT_EQ(runProgram("bsdtar", {"--options", "hdrcharset=CP932", "-xf", m_archive, "-C", out}, &output), 0)
        << output.constData();
    expectSameTree(out);
}

TEST_F(Cab32ReadBack, SevenZipTestsCleanAndGcabExtractsTheSameContents)
{
    compress();
    QByteArray output;
    EXPECT_EQ(runProgram("7z", {"t", m_archive}, &output), 0) << output.constData();
    EXPECT_TRUE(output.contains("Everything is Ok"));
    const QString out = m_dir.filePath("gcab");
    QDir().mkpath(out);
    ASSERT_EQ(runProgram("gcab", {"-x", "-C", out, m_archive}, &output), 0) << output.constData();
    EXPECT_TRUE(cabtest::contentsOf(out) == cabtest::contentsOf(m_source));
    // gcab's names are raw CP932 bytes, which QTemporaryDir cannot remove.
    std::filesystem::remove_all(QFile::encodeName(out).toStdString());
}

TEST_F(Cab32ReadBack, TheSameFolderGivesTheSameCabinet)
{
    compress();
    const QByteArray first = testsupport::readBytes(m_archive);
    compress();
    EXPECT_TRUE(first == testsupport::readBytes(m_archive));
}

TEST_F(Cab32ReadBack, StoredMethodIsReadByEveryExtractor)
{
    ASSERT_EQ(cabtest::cab(QString("-a -r -ms \"%1\" \"%2/\" *.*").arg(m_archive, m_source)), 0);
    EXPECT_EQ(cabtest::readLayout(testsupport::readBytes(m_archive)).folders.at(0).compression, 0);
    QByteArray output;
    EXPECT_EQ(runProgram("7z", {"t", m_archive}, &output), 0) << output.constData();
    const QString out = m_dir.filePath("stored");
    ASSERT_EQ(runProgram("cabextract", {"-q", "-e", "CP932", "-d", out, m_archive}, &output), 0);
    expectSameTree(out);
}

TEST(Cab32ReadBackLarge, A100MiBFileRoundTripsInManyBlocks)
{
    QTemporaryDir dir;
    const QString source = dir.filePath("source");
    QDir().mkpath(source);
    {
        // Text with a random stretch every megabyte; written in pieces.
        QFile file(source + "/large.dat");
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        const QByteArray text = cabtest::textBytes(1 << 20);
        for (int mib = 0; mib < 100; ++mib)
            file.write(mib % 10 == 9 ? cabtest::randomBytes(1 << 20, static_cast<uint32_t>(mib)) : text);
    }
    const QString archive = dir.filePath("large.cab");
    ASSERT_EQ(cabtest::cab(QString("-a -r \"%1\" \"%2/\" *.*").arg(archive, source)), 0);
    QByteArray output;
    EXPECT_EQ(runProgram("7z", {"t", archive}, &output), 0) << output.constData();
    const QString out = dir.filePath("out");
    ASSERT_EQ(runProgram("cabextract", {"-q", "-d", out, archive}, &output), 0) << output.constData();
    EXPECT_EQ(runProgram("cmp", {source + "/large.dat", out + "/large.dat"}, &output), 0) << output.constData();
}
