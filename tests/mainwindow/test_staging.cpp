#include "RunFixture.h"

#include "common/basCommon.h"

#include <QDir>

namespace {

class StagingTest : public RunFixture {
protected:
    void SetUp() override
    {
        RunFixture::SetUp();
        writeSetting(settings::kKeyTemp, at(QStringLiteral("work")));
    }
    // Both staging steps; the staged names, sorted.
    QStringList stage()
    {
        QString message;
        bool ok = false;
        run().FncCrtWorkSpace(message, ok);
        run().FncMoveFile(message, ok);
        EXPECT_TRUE(ok) << message.toStdString();
        return testsupport::entriesOf(run().strWorkDir() + QStringLiteral("/Temp"));
    }
};

} // namespace

TEST_F(StagingTest, WorkFolderNamesAccumulateTheirSuffixes)
{
    QDir().mkpath(at(QStringLiteral("work/WorkSpace")));
    testsupport::writeBytes(at(QStringLiteral("work/WorkSpace0")), "a plain file counts too");
    QString message;
    bool ok = false;
    run().FncCrtWorkSpace(message, ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(run().strWorkDir(), at(QStringLiteral("work/WorkSpace01")));
    EXPECT_TRUE(QFileInfo(run().strWorkDir()).isDir());
    run().FncCrtWorkSpace(message, ok);
    EXPECT_EQ(run().strWorkDir(), at(QStringLiteral("work/WorkSpace012")));
    EXPECT_TRUE(message.isEmpty());

    // The setting names a file: it exists, but nothing can be made inside it.
    testsupport::writeBytes(at(QStringLiteral("work-file")), "x");
    writeSetting(settings::kKeyTemp, at(QStringLiteral("work-file")));
    m_run.reset();
    run().FncCrtWorkSpace(message, ok);
    EXPECT_FALSE(ok);
    EXPECT_TRUE(run().strWorkDir().isEmpty()) << "nothing to remove";
    EXPECT_TRUE(message.startsWith(QStringLiteral("Not a directory")));
}

// The header's name is taken before any listed file arrives; staged copies
// are fresh private files (a read-only copy would stop the removal later).
TEST_F(StagingTest, ClashingNamesGetNumbersWithoutRegardToCase)
{
    const char* const names[] = {"a/data.csv", "b/DATA.CSV", "c/Data.csv", "d/data.tar.gz", "e/data.tar.gz",
                                 "f/.profile", "g/.profile", "h/main_text.txt"};
    for (const char* name : names)
        addReport(QString::fromLatin1(name), name);
    QFile::setPermissions(m_window.entries[0].path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    EXPECT_EQ(stage(), (QStringList{".profile", "0.profile", "DATA0.CSV", "Data1.csv", "data.csv", "data.tar.gz",
                                    "data.tar0.gz", "main_text0.txt"}));
    const QString temp = run().strWorkDir() + QStringLiteral("/Temp/");
    EXPECT_EQ(testsupport::readBytes(temp + QStringLiteral("Data1.csv")), "c/Data.csv");
    EXPECT_EQ(testsupport::readBytes(temp + QStringLiteral("main_text0.txt")), "h/main_text.txt");
    EXPECT_EQ(testsupport::fileMode(temp + QStringLiteral("data.csv")), 0600u);
    QString removal;
    EXPECT_TRUE(basCommon::FncDelPath(run().strWorkDir(), removal));
}
