// The C entry points: the command-line grammar and the return codes of
// cab32.h, the output buffer, and what is left on disk after a failure.
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
    QString create(const QString& switches, const QString& archive, const QString& files = "*.*")
    {
        return QString("%1 \"%2\" \"%3/\" %4").arg(switches, archive, m_source, files);
    }
    std::size_t filesIn(const QString& archive)
    {
        return cabtest::readLayout(testsupport::readBytes(archive)).files.size();
    }

    QTemporaryDir m_dir;
    // 表 and ソ end in 0x5C in CP932: it must stay part of the character.
    QString m_source = m_dir.filePath("表ソ");
    QString m_archive = m_dir.filePath("out.cab");
};

} // namespace

TEST_F(Cab32Api, ParsesBothFormsClsCab32BuildsAndRecursesOnlyWithR)
{
    const QString inside = m_source + "/self.cab";
    ASSERT_EQ(cab(create("-a", inside)), CAB32_OK);
    EXPECT_EQ(filesIn(inside), 1u) << "never the archive itself";
    ASSERT_EQ(cab(create("-a -r -i -o -mz", inside)), CAB32_OK);
    EXPECT_EQ(filesIn(inside), 2u);
    // The single-file form: two blanks after the method, the quoted name.
    ASSERT_EQ(cab(QString("-A -R -MZ  \"%1\" \"%2/sub/\" \"b.txt\"").arg(m_archive, m_source)), CAB32_OK);
    const auto layout = cabtest::readLayout(testsupport::readBytes(m_archive));
    ASSERT_EQ(layout.files.size(), 1u);
    EXPECT_EQ(layout.files[0].name, QByteArray("b.txt"));
}

TEST_F(Cab32Api, EachFailureHasItsOwnCodeAndWritesNoArchive)
{
    putFile(m_source + "/" + QString(127, 'x') + "/" + QString(127, 'y'), "255 bytes with the separator");
    putFile(m_source + "/" + QString(127, 'x') + "/" + QString(128, 'y'), "256 bytes");
    putFile(m_dir.filePath("file"), "not a folder");
    const std::pair<QString, int> cases[] = {
        {create("-a", m_archive, "\"missing.txt\""), CAB32_ERROR_NOT_FOUND},
        {QString("-a \"%1\" \"%2/\" *.*").arg(m_archive, m_dir.filePath("nowhere")), CAB32_ERROR_NOT_FOUND},
        {create("-a", m_archive, "\"../a.txt\""), CAB32_ERROR_NAME},
        {create("-a -r", m_archive), CAB32_ERROR_NAME},
        {create("-a", m_archive, "*.csv"), CAB32_ERROR_NO_FILES},
        // LZX and Quantum are read, never written.
        {create("-a -ml15", m_archive), CAB32_ERROR_METHOD}, {create("-a -ml21", m_archive), CAB32_ERROR_METHOD},
        {create("-a -mq1", m_archive), CAB32_ERROR_METHOD}, {create("-a -mq7", m_archive), CAB32_ERROR_METHOD},
        {create("-a -o", m_dir.filePath("file/out.cab")), CAB32_ERROR_WRITE},
        {create("-a -o", m_dir.filePath("nowhere/out.cab")), CAB32_ERROR_WRITE},
        {create("-a -o", m_dir.path()), CAB32_ERROR_WRITE}, // a folder of that name
    };
    for (const auto& [command, code] : cases)
        EXPECT_EQ(cab(command), code) << command.toStdString();
    for (const char* method : {"-ml14", "-ml22", "-ml", "-mq0", "-mq8", "-mz1", "-ms0", "-mx", "-m"})
        EXPECT_EQ(cab(create(QString("-a ") + method, m_archive)), CAB32_ERROR_COMMAND) << method;
    for (const char* bad : {"", R"("a" "b/")", R"(-a -x "a" "b/")", R"(-a -mz -ms "a" "b/")", R"(-a -q "a" "b/")",
                            R"(-a -rr "a" "b/")", R"(-a "a")", R"(-a "a" "b/)", R"(-a -mz  "" "b/" "a.txt")",
                            "-a \"\x81\" \"b/\""})
        EXPECT_EQ(Cab(nullptr, bad, nullptr, 0), CAB32_ERROR_COMMAND) << bad;
    EXPECT_EQ(entriesOf(m_dir.path()), (QStringList{"file", "表ソ"}));
    ASSERT_TRUE(QFile::remove(m_source + "/" + QString(127, 'x') + "/" + QString(128, 'y')));
    EXPECT_EQ(cab(create("-a -r", m_archive)), CAB32_OK);
}

TEST_F(Cab32Api, KeepsAnExistingArchiveWithoutO)
{
    putFile(m_archive, "previous");
    EXPECT_EQ(cab(create("-a -r", m_archive, "\"a.txt\"")), CAB32_ERROR_EXISTS);
    EXPECT_EQ(testsupport::readBytes(m_archive), QByteArray("previous"));
    EXPECT_EQ(cab(create("-a -r -o -ms", m_archive, "\"a.txt\"")), CAB32_OK);
    EXPECT_EQ(cabtest::checkArchive(m_archive, 2), 1);
    EXPECT_EQ(entriesOf(m_dir.path()), (QStringList{"out.cab", "表ソ"}));
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
    QByteArray message;
    EXPECT_EQ(cab(R"(-x "/nowhere/表.cab" "/nowhere/")", &message), CAB32_ERROR_NOT_FOUND);
    EXPECT_EQ(message, cabtest::cp932("not found: /nowhere/表.cab"));
}
