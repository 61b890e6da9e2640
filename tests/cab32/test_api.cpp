// The C entry points: return codes of cab32.h, the output buffer, what is
// left on disk after a failure, and the exported symbols.
#include "CabTestKit.h"
#include "TestSupport.h"
#include "cab32.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using cabtest::cab;
using cabtest::putFile;
using testsupport::entriesOf;

namespace {

class Cab32Api : public ::testing::Test {
protected:
    void SetUp() override
    {
        putFile(m_source + "/a.txt", "a");
        putFile(m_source + "/sub/b.txt", "b");
    }

    QString create(const QString& switches, const QString& archive, const QString& specs = "*.*")
    {
        return QString("%1 \"%2\" \"%3/\" %4").arg(switches, archive, m_source, specs);
    }

    QTemporaryDir m_dir;
    QString m_source = m_dir.filePath("source");
    QString m_archive = m_dir.filePath("out.cab");
};

} // namespace

TEST_F(Cab32Api, RecursesOnlyWithRAndNeverStoresTheArchiveInItself)
{
    const QString inside = m_source + "/self.cab";
    ASSERT_EQ(cab(create("-a", inside)), CAB32_OK);
    EXPECT_EQ(cabtest::readLayout(testsupport::readBytes(inside)).files.size(), 1u);
    ASSERT_EQ(cab(create("-a -r -o", inside)), CAB32_OK);
    EXPECT_EQ(cabtest::readLayout(testsupport::readBytes(inside)).files.size(), 2u);
}

TEST_F(Cab32Api, CompressesOneNamedFileInTheSingleFileForm)
{
    ASSERT_EQ(cab(QString("-a -r -mz  \"%1\" \"%2/sub/\" \"b.txt\"").arg(m_archive, m_source)), CAB32_OK);
    const auto layout = cabtest::readLayout(testsupport::readBytes(m_archive));
    ASSERT_EQ(layout.files.size(), 1u);
    EXPECT_EQ(layout.files[0].name, QByteArray("b.txt"));
}

TEST_F(Cab32Api, KeepsAnExistingArchiveWithoutO)
{
    putFile(m_archive, "previous");
    EXPECT_EQ(cab(create("-a -r", m_archive)), CAB32_ERROR_EXISTS);
    EXPECT_EQ(testsupport::readBytes(m_archive), QByteArray("previous"));
    EXPECT_EQ(cab(create("-a -r -o", m_archive)), CAB32_OK);
    EXPECT_EQ(cabtest::checkArchive(m_archive, 2), 1);
    EXPECT_EQ(entriesOf(m_dir.path()), (QStringList{"out.cab", "source"}));
}

TEST_F(Cab32Api, ReportsMissingInputsWithoutWritingAnArchive)
{
    EXPECT_EQ(cab(QString("-a \"%1\" \"%2/\" *.*").arg(m_archive, m_dir.filePath("nowhere"))), CAB32_ERROR_NOT_FOUND);
    EXPECT_EQ(cab(create("-a", m_archive, "\"missing.txt\"")), CAB32_ERROR_NOT_FOUND);
    EXPECT_EQ(cab(create("-a", m_archive, "\"../a.txt\"")), CAB32_ERROR_NAME);
    EXPECT_EQ(cab(create("-a", m_archive, "*.csv")), CAB32_ERROR_NO_FILES);
    EXPECT_FALSE(QFileInfo::exists(m_archive));
}

TEST_F(Cab32Api, RefusesLzxAndQuantumForWriting)
{
    EXPECT_EQ(cab(create("-a -ml21", m_archive)), CAB32_ERROR_METHOD);
    EXPECT_EQ(cab(create("-a -mq7", m_archive)), CAB32_ERROR_METHOD);
    EXPECT_EQ(cab(create("-a -ml22", m_archive)), CAB32_ERROR_COMMAND);
    EXPECT_FALSE(QFileInfo::exists(m_archive));
}

TEST_F(Cab32Api, ReportsAnUnwritableTargetAndLeavesNoTemporaryFile)
{
    putFile(m_dir.filePath("file"), "not a folder");
    EXPECT_EQ(cab(create("-a -o", m_dir.filePath("file/out.cab"))), CAB32_ERROR_WRITE);
    EXPECT_EQ(cab(create("-a -o", m_dir.filePath("nowhere/out.cab"))), CAB32_ERROR_WRITE);
    EXPECT_EQ(cab(create("-a -o", m_dir.path())), CAB32_ERROR_WRITE);  // a folder of that name
    EXPECT_EQ(entriesOf(m_dir.path()), (QStringList{"file", "source"}));
}

TEST(Cab32Output, DescribesTheResultWithinTheBuffer)
{
    char buffer[8];
    std::fill(std::begin(buffer), std::end(buffer), 'Z');
    EXPECT_EQ(Cab(nullptr, nullptr, buffer, 5), CAB32_ERROR_COMMAND);
    EXPECT_STREQ(buffer, "malf");
    EXPECT_EQ(buffer[5], 'Z');
    EXPECT_EQ(Cab(nullptr, "-q", buffer, 1), CAB32_ERROR_COMMAND);
    EXPECT_STREQ(buffer, "");
    EXPECT_EQ(Cab(nullptr, "-q", buffer, 0), CAB32_ERROR_COMMAND);
    EXPECT_EQ(Cab(nullptr, "-q", nullptr, 100), CAB32_ERROR_COMMAND);
    QByteArray message;
    EXPECT_EQ(cab(R"(-x "/nowhere/表.cab" "/nowhere/")", &message), CAB32_ERROR_NOT_FOUND);
    EXPECT_EQ(message, cabtest::cp932("not found: /nowhere/表.cab"));
}

TEST(Cab32Exports, OnlyTheTwoEntryPoints)
{
    QByteArray output;
    ASSERT_EQ(testsupport::runProgram("nm", {"-D", "--defined-only", "libcab32.so"}, &output), 0);
    QStringList names;
    for (const QByteArray& line : output.split('\n'))
        if (!line.trimmed().isEmpty())
            names << QString::fromLatin1(line.split(' ').last());
    names.sort();
    EXPECT_EQ(names, (QStringList{"Cab", "CabCheckArchive"}));
}
