// Cabinets written through Cab() and read back by the extractors the
// receiver may use: cabextract and bsdtar with CP932 names, 7z and gcab for
// the contents; and the layout itself read independently.
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
        putFile(m_source + "/empty.txt", {});
        putFile(m_source + "/exact32768.bin", cabtest::randomBytes(32768, 11));
        putFile(m_source + "/exact32769.txt", cabtest::textBytes(32769));
        putFile(m_source + "/random.bin", cabtest::randomBytes(300000, 12));
        putFile(m_source + "/表ソ能.txt", "trail bytes 0x5C");
        putFile(m_source + "/帳票/ソフト/能力.csv", cabtest::textBytes(70000));
        // No CP932 form, and one that CP932 would change (U+2212 comes back
        // as U+FF0D): both UTF-8 with the flag.
        putFile(m_source + "/😀 ¥.txt", "no CP932 form");
        putFile(m_source + "/Zoë.txt", "no CP932 form either");
        putFile(m_source + "/sub/deeper/MAIN_TEXT.txt", "a,b,c,d\r\n");
        ::chmod(QFile::encodeName(m_source + "/sub/deeper/MAIN_TEXT.txt").constData(), 0444);
    }

    void compress(const char* method = "-mz")
    {
        QByteArray message;
        ASSERT_EQ(cabtest::cab(QString("-a -r -i -o %1 \"%2\" \"%3/\" *.*").arg(method, m_archive, m_source), &message),
                  0)
            << message.constData();
    }

    // Identical names and bytes.
    void expectSameTree(const QString& folder)
    {
        const auto actual = treeOf(folder);
        EXPECT_TRUE(actual == treeOf(m_source)) << actual.keys().join(", ").toStdString();
    }

    QTemporaryDir m_dir;
    QString m_source = m_dir.filePath("source");
    QString m_archive = m_dir.filePath("out.cab");
};

} // namespace

TEST_F(Cab32ReadBack, LayoutIsOneCabinetOfFullMszipBlocksWithCp932NamesAndDosDates)
{
    compress();
    const QByteArray bytes = testsupport::readBytes(m_archive);
    const auto layout = cabtest::readLayout(bytes);
    ASSERT_TRUE(layout.valid);
    EXPECT_EQ(layout.versionMajor * 256 + layout.versionMinor, 0x103);
    EXPECT_EQ(layout.flags, 0) << "no cabinet set";
    EXPECT_EQ(layout.cabinetIndex, 0);
    ASSERT_EQ(layout.folders.size(), 1u);
    const auto& folder = layout.folders[0];
    EXPECT_EQ(folder.compression, 1);
    int storedBlocks = 0;
    for (std::size_t i = 0; i < folder.plainSizes.size(); ++i) {
        EXPECT_TRUE(folder.plainSizes[i] == 32768 || i + 1 == folder.plainSizes.size());
        EXPECT_LE(folder.packedSizes[i], 32768 + 12);
        storedBlocks += folder.packedSizes[i] == 32768 + 7;
    }
    // An incompressible block: "CK", a final stored deflate block, LEN, NLEN.
    EXPECT_GE(storedBlocks, 1);
    EXPECT_TRUE(bytes.contains(QByteArray::fromHex("434b010080ff7f")));

    std::map<QByteArray, cabtest::CabFile> files;
    for (const auto& file : layout.files)
        files[file.name] = file;
    EXPECT_EQ(files.size(), 9u);
    const std::pair<QByteArray, std::uint16_t> names[] = {
        {"\x95\x5c\x83\x5c\x94\x5c.txt", 0x20},
        {"\x92\xa0\x95\x5b\\\x83\x5c\x83\x74\x83\x67\\\x94\x5c\x97\xcd.csv", 0x20},
        {"😀 ¥.txt", 0xA0}, {"Zoë.txt", 0xA0}, {"sub\\deeper\\MAIN_TEXT.txt", 0x21}};
    for (const auto& [name, attributes] : names) {
        ASSERT_EQ(files.count(name), 1u) << name.toHex().constData();
        EXPECT_EQ(files[name].attributes, attributes) << name.constData();
        // 2021-03-04 05:06:08 local time in MS-DOS form.
        EXPECT_EQ(files[name].date, (41 << 9) | (3 << 5) | 4);
        EXPECT_EQ(files[name].time, (5 << 11) | (6 << 5) | 4);
    }
    EXPECT_EQ(files["exact32769.txt"].size, 32769u);
    // The same folder gives the same cabinet.
    compress();
    EXPECT_TRUE(bytes == testsupport::readBytes(m_archive));
}

TEST_F(Cab32ReadBack, CabextractRestoresNamesBytesDatesAndReadOnly)
{
    compress();
    const QString out = m_dir.filePath("cabextract");
    QByteArray output;
    ASSERT_EQ(runProgram("cabextract", {"-q", "-e", "CP932", "-d", out, m_archive}, &output), 0) << output.constData();
    expectSameTree(out);
    EXPECT_EQ(QFileInfo(out + "/帳票/ソフト/能力.csv").lastModified(), QDateTime(QDate(2021, 3, 4), QTime(5, 6, 8)));
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

TEST_F(Cab32ReadBack, StoredMethodIsReadByEveryExtractor)
{
    compress("-ms");
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
