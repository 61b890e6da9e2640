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
    QStringList staged() const
    {
        return testsupport::entriesOf(run_const().strWorkDir() + QStringLiteral("/Temp"));
    }
    const OutputRun& run_const() const { return *m_run; }
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
}

TEST_F(StagingTest, UncreatableWorkFolderLeavesNothingToRemove)
{
    // The setting names a file: it exists, but nothing can be made inside it.
    testsupport::writeBytes(at(QStringLiteral("work-file")), "x");
    writeSetting(settings::kKeyTemp, at(QStringLiteral("work-file")));
    QString message;
    bool ok = true;
    run().FncCrtWorkSpace(message, ok);
    EXPECT_FALSE(ok);
    EXPECT_TRUE(run().strWorkDir().isEmpty());
    EXPECT_TRUE(message.startsWith(QStringLiteral("Not a directory")));
}

TEST_F(StagingTest, ClashingNamesGetNumbersWithoutRegardToCase)
{
    addReport(QStringLiteral("a/data.csv"), "1");
    addReport(QStringLiteral("b/DATA.CSV"), "2");
    addReport(QStringLiteral("c/Data.csv"), "3");
    addReport(QStringLiteral("d/data.tar.gz"), "4");
    addReport(QStringLiteral("e/data.tar.gz"), "5");
    addReport(QStringLiteral("f/.profile"), "6");
    addReport(QStringLiteral("g/.profile"), "7");
    // The header's name is taken before any listed file arrives.
    addReport(QStringLiteral("h/main_text.txt"), "8");
    QString message;
    bool ok = false;
    run().FncCrtWorkSpace(message, ok);
    run().FncMoveFile(message, ok);
    ASSERT_TRUE(ok) << message.toStdString();
    EXPECT_EQ(staged(), (QStringList{QStringLiteral(".profile"), QStringLiteral("0.profile"),
                                     QStringLiteral("DATA0.CSV"), QStringLiteral("Data1.csv"),
                                     QStringLiteral("data.csv"), QStringLiteral("data.tar.gz"),
                                     QStringLiteral("data.tar0.gz"), QStringLiteral("main_text0.txt")}));
    const QString temp = run().strWorkDir() + QStringLiteral("/Temp/");
    EXPECT_EQ(testsupport::readBytes(temp + QStringLiteral("Data1.csv")), "3");
    EXPECT_EQ(testsupport::readBytes(temp + QStringLiteral("main_text0.txt")), "8");
}

TEST_F(StagingTest, StagedCopiesAreFreshPrivateFiles)
{
    const QString source = addReport(QStringLiteral("ro.xls"), "read-only report");
    QFile::setPermissions(source, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    QString message;
    bool ok = false;
    run().FncCrtWorkSpace(message, ok);
    run().FncMoveFile(message, ok);
    ASSERT_TRUE(ok);
    // A read-only copy would stop the removal of the work folder later.
    EXPECT_EQ(testsupport::fileMode(run().strWorkDir() + QStringLiteral("/Temp/ro.xls")), 0600u);
    QString removal;
    EXPECT_TRUE(basCommon::FncDelPath(run().strWorkDir(), removal));
}
