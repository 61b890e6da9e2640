// Cabinets written through Cab() and read back by two independent
// extractors (cabextract and bsdtar, with CP932 names) and by our own -x,
// and the layout itself read independently.
#include "CabTestKit.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <sys/stat.h>

using cabtest::putFile;
using testsupport::filesUnder;

namespace {

class Cab32ReadBack : public ::testing::Test {
protected:
    void SetUp() override
    {
        putFile(m_source + "/empty.txt", {});
        putFile(m_source + "/exact32768.bin", cabtest::randomBytes(32768, 11));
        putFile(m_source + "/exact32769.txt", cabtest::textBytes(32769));
        // 16 MiB: hundreds of blocks, a random (stored) megabyte every fourth.
        QByteArray large;
        for (int mib = 0; mib < 16; ++mib)
            large += mib % 4 == 3 ? cabtest::randomBytes(1 << 20, mib) : cabtest::textBytes(1 << 20);
        putFile(m_source + "/large.dat", large);
        putFile(m_source + "/表ソ能.txt", "trail bytes 0x5C");
        putFile(m_source + "/帳票/ソフト/能力.csv", cabtest::textBytes(70000));
        putFile(m_source + "/😀 ¥.txt", "no CP932 form: UTF-8 with the flag");
        putFile(m_source + "/sub/deeper/MAIN_TEXT.txt", "a,b,c,d\r\n");
        ::chmod(QFile::encodeName(m_source + "/sub/deeper/MAIN_TEXT.txt").constData(), 0444);
    }

    void compress(const char* method)
    {
        ASSERT_EQ(cabtest::cab(QString("-a -r -i -o %1 \"%2\" \"%3/\" *.*").arg(method, m_archive, m_source)), 0);
    }

    QTemporaryDir m_dir;
    QString m_source = m_dir.filePath("source");
    QString m_archive = m_dir.filePath("out.cab");
};

} // namespace

TEST_F(Cab32ReadBack, LayoutIsOneCabinetOfFullMszipBlocksWithCp932NamesAndDosDates)
{
    compress("-mz");
    const QByteArray bytes = testsupport::readBytes(m_archive);
    const auto layout = cabtest::readLayout(bytes);
    ASSERT_TRUE(layout.valid);
    EXPECT_EQ(layout.versionMajor * 256 + layout.versionMinor, 0x103);
    EXPECT_EQ(layout.flags, 0) << "no cabinet set";
    EXPECT_EQ(layout.cabinetIndex, 0);
    ASSERT_EQ(layout.folders.size(), 1u);
    const auto& folder = layout.folders[0];
    int storedBlocks = 0;
    for (std::size_t i = 0; i < folder.plainSizes.size(); ++i) {
        EXPECT_TRUE(folder.plainSizes[i] == 32768 || i + 1 == folder.plainSizes.size());
        EXPECT_LE(folder.packedSizes[i], 32768 + 12);
        storedBlocks += folder.packedSizes[i] == 32768 + 7;
    }
    // An incompressible block: "CK", a final stored deflate block, LEN, NLEN.
    EXPECT_GE(storedBlocks, 4 * 32);
    EXPECT_TRUE(bytes.contains(QByteArray::fromHex("434b010080ff7f")));

    std::map<QByteArray, cabtest::CabFile> files;
    for (const auto& file : layout.files)
        files[file.name] = file;
    EXPECT_EQ(files.size(), 8u);
    const std::pair<QByteArray, std::uint16_t> names[] = {
        {"\x95\x5c\x83\x5c\x94\x5c.txt", 0x20},
        {"\x92\xa0\x95\x5b\\\x83\x5c\x83\x74\x83\x67\\\x94\x5c\x97\xcd.csv", 0x20},
        {"😀 ¥.txt", 0xA0}, {"sub\\deeper\\MAIN_TEXT.txt", 0x21}};
    for (const auto& [name, attributes] : names) {
        ASSERT_EQ(files.count(name), 1u) << name.toHex().constData();
        EXPECT_EQ(files[name].attributes, attributes) << name.constData();
        // 2021-03-04 05:06:08 local time in MS-DOS form.
        EXPECT_EQ(files[name].date, (41 << 9) | (3 << 5) | 4);
        EXPECT_EQ(files[name].time, (5 << 11) | (6 << 5) | 4);
    }
    EXPECT_EQ(files["exact32769.txt"].size, 32769u);
    // The same folder gives the same cabinet.
    compress("-mz");
    EXPECT_TRUE(bytes == testsupport::readBytes(m_archive));
}

// Both methods -a writes, through every extractor (no program: our -x): the
// same names, bytes, dates and read-only flag.
TEST_F(Cab32ReadBack, EveryExtractorRestoresTheFilesOfBothMethods)
{
    const std::pair<QString, QStringList> tools[] = {
        {"", {}},
        {"cabextract", {"-q", "-e", "CP932", "-d", "@out", "@cab"}},
        {"bsdtar", {"--options", "hdrcharset=CP932", "-xf", "@cab", "-C", "@out"}},
    };
    for (const auto& [method, compression] : {std::pair{"-mz", 1}, std::pair{"-ms", 0}}) {
        compress(method);
        EXPECT_EQ(cabtest::readLayout(testsupport::readBytes(m_archive)).folders.at(0).compression, compression);
        for (const auto& [program, toolArguments] : tools) {
            SCOPED_TRACE((program + ' ' + method).toStdString());
            const QString out = m_dir.filePath(program + method);
            QDir().mkpath(out);
            QStringList arguments = toolArguments;
            arguments.replaceInStrings("@out", out).replaceInStrings("@cab", m_archive);
            QByteArray output;
            ASSERT_EQ(program.isEmpty() ? cabtest::cab(QString("-x \"%1\" \"%2/\"").arg(m_archive, out))
                                        : testsupport::runLinuxTool(program, arguments, &output),
                      0)
                << output.constData();
            const auto tree = filesUnder(out);
            EXPECT_TRUE(tree == filesUnder(m_source)) << tree.keys().join(", ").toStdString();
            EXPECT_EQ(QFileInfo(out + "/帳票/ソフト/能力.csv").lastModified(), cabtest::kModified);
            EXPECT_EQ(testsupport::fileMode(out + "/sub/deeper/MAIN_TEXT.txt") & 0222, 0u);
        }
    }
}

// -x keeps an existing file without -o and replaces it with -o; patterns
// match ASCII letters without case, in every folder, and a name selects one
// file; a link in the target leading out of it is never written through.
TEST_F(Cab32ReadBack, ExtractKeepsFilesSelectsAndNeverFollowsALinkOut)
{
    compress("-mz");
    const QString target = m_dir.filePath("target");
    const auto extract = [&](const char* switches, const char* specs = "*.*") {
        return cabtest::cab(QString("%1 \"%2\" \"%3/\" %4").arg(switches, m_archive, target, specs));
    };
    putFile(target + "/😀 ¥.txt", "old");
    EXPECT_EQ(extract("-x"), CAB32_ERROR_EXISTS);
    EXPECT_EQ(testsupport::readBytes(target + "/😀 ¥.txt"), QByteArray("old"));
    EXPECT_EQ(extract("-x -o"), CAB32_OK);
    EXPECT_TRUE(filesUnder(target) == filesUnder(m_source));
    ASSERT_TRUE(QDir(target).removeRecursively());
    ASSERT_EQ(extract("-x", "EXACT* *.CSV \"表ソ能.txt\""), CAB32_OK);
    EXPECT_EQ(filesUnder(target).keys(), (QStringList{"exact32768.bin", "exact32769.txt", "帳票/ソフト/能力.csv", "表ソ能.txt"}));
    const QString outside = m_dir.filePath("outside");
    ASSERT_TRUE(QDir(target).removeRecursively() && QDir().mkpath(target) && QDir().mkpath(outside));
    ASSERT_TRUE(testsupport::makeLink(outside, target + "/帳票"));
    EXPECT_EQ(extract("-x"), CAB32_ERROR_UNSAFE_NAME);
    EXPECT_TRUE(testsupport::entriesOf(outside).isEmpty());
}
