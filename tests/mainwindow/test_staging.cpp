#include "RunFixture.h"
#include "platform/Folders.h"

#include <QDir>

using StagingTest = RunFixture;

// Work folder names take suffixes one after another (a plain file of the name
// counts too). Among the staged copies the header's name is taken first, and
// clashing names get numbers without regard to case; the copies are fresh
// private files (a read-only copy would stop the removal later).
TEST_F(StagingTest, WorkFolderNamesAccumulateSuffixesAndClashingNamesGetNumbers)
{
    QDir().mkpath(at(QStringLiteral("work/WorkSpace")));
    testsupport::writeBytes(at(QStringLiteral("work/WorkSpace0")), "a plain file counts too");
    for (const char* name : {"a/data.csv", "b/DATA.CSV", "c/Data.csv", "d/data.tar.gz", "e/data.tar.gz", "f/.profile",
                             "g/.profile", "h/main_text.txt"})
        addReport(QString::fromLatin1(name), name);
    QFile::setPermissions(m_window.entries[0].path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    QString message;
    bool ok = false;
    run().FncCrtWorkSpace(message, ok);
    run().FncMoveFile(message, ok);
    ASSERT_TRUE(ok) << message.toStdString();
    EXPECT_EQ(run().strWorkDir(), platform::joinPath(at(QStringLiteral("work")), QStringLiteral("WorkSpace01")));
    const QString temp = run().strWorkDir() + QStringLiteral("/Temp/");
    EXPECT_EQ(testsupport::entriesOf(temp), (QStringList{".profile", "0.profile", "DATA0.CSV", "Data1.csv", "data.csv",
                                                         "data.tar.gz", "data.tar0.gz", "main_text0.txt"}));
    EXPECT_EQ(testsupport::readBytes(temp + QStringLiteral("Data1.csv")), "c/Data.csv");
    EXPECT_EQ(testsupport::readBytes(temp + QStringLiteral("main_text0.txt")), "h/main_text.txt");
    EXPECT_TRUE(testsupport::isPrivate(temp + QStringLiteral("data.csv")));
    run().FncCrtWorkSpace(message, ok);
    EXPECT_EQ(run().strWorkDir(), platform::joinPath(at(QStringLiteral("work")), QStringLiteral("WorkSpace012")));
    EXPECT_TRUE(ok && message.isEmpty());

    // The setting names a file: it exists, but nothing can be made inside it.
    testsupport::writeBytes(at(QStringLiteral("work-file")), "x");
    writeSetting(settings::Field::Temp, at(QStringLiteral("work-file")));
    m_run.reset();
    run().FncCrtWorkSpace(message, ok);
    EXPECT_FALSE(ok);
    EXPECT_TRUE(run().strWorkDir().isEmpty()) << "nothing to remove";
    // Windows calls a file in the way a missing path (ERROR_PATH_NOT_FOUND).
    EXPECT_TRUE(message.startsWith(testsupport::onWindows() ? QStringLiteral("No such file or directory")
                                                            : QStringLiteral("Not a directory")))
        << message.toStdString();
}
