// A run killed with SIGKILL right after it wrote the header (the password in
// plain text): the next start removes what it left, and nothing else.
#include "RunFixture.h"

#include "mainwindow/Leftovers.h"

#include <QDir>
#include <QFileInfo>
#include <csignal>
#include <sys/wait.h>

TEST_F(RunFixture, NextStartRemovesWhatAKilledRunLeftAndNothingElse)
{
    addReport(QStringLiteral("report.xls"), "data");
    const int status = testsupport::statusOfChild([this] {
        m_window.onKeepPainted = [this] {
            if (QFileInfo::exists(run().strWorkDir() + QStringLiteral("/Temp/MAIN_TEXT.txt")))
                ::raise(SIGKILL);
        };
        run().cmdSend_Click();
        return true;
    });
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "status " << status;
    ASSERT_TRUE(QFileInfo::exists(at(QStringLiteral("work/WorkSpace/Temp/MAIN_TEXT.txt"))));

    // What killed writes leave, and look-alikes that are not ours to remove.
    const QStringList gone{"program/.TAMBERLOX.INI.a1B2c3", "program/.Err_20261206030405.LOG.Q1w2E3",
                           "output/.TMPA12320261206030405.txt.x9Y8z7", "log/TORMEA_REPORT/.R_MESS20261206030405.txt.abcdef"};
    const QStringList kept{"program/.TAMBERLOX.INI.toolong", "output/.TMPA123.txt", "output/TMPA12320261206030405.txt",
                           "output/.notes.txt.abcdef", "work/WorkSpace7/mine.txt", "work/other/.tamberlox-run"};
    for (const QString& path : gone + kept)
        ASSERT_TRUE(testsupport::writeBytes(at(path), "x")) << path.toStdString();

    leftovers::removeLeftovers(iniPath());

    // Of everything, the killed run's work folder and the leftovers go.
    QStringList left;
    for (const QString& path : gone + kept + QStringList{"work/WorkSpace", "program/TAMBERLOX.INI", "reports/report.xls"})
        if (QFileInfo::exists(at(path)))
            left << path;
    EXPECT_EQ(left, (kept + QStringList{"program/TAMBERLOX.INI", "reports/report.xls"}));
}
