// A run killed with SIGKILL at any moment (after each step, and while it
// removes its work folder): the next start removes what it left, and
// nothing else.
#include "RunFixture.h"

#include "mainwindow/Leftovers.h"

#include <QDir>
#include <QFileInfo>
#include <csignal>
#include <sys/wait.h>

TEST_F(RunFixture, NextStartRemovesWhatAKilledRunLeftAndNothingElse)
{
    addReport(QStringLiteral("report.xls"), "data");
    // What killed writes leave, and look-alikes that are not ours to remove.
    const QStringList gone{"program/.TAMBERLOX.INI.a1B2c3", "program/.Err_20261206030405.LOG.Q1w2E3",
                           "output/.TMPA12320261206030405.txt.x9Y8z7", "log/TORMEA_REPORT/.R_MESS20261206030405.txt.abcdef"};
    const QStringList kept{"program/.TAMBERLOX.INI.toolong", "output/.TMPA123.txt", "output/TMPA12320261206.txt",
                           "output/.notes.txt.abcdef", "work/WorkSpace7/mine.txt", "work/other/.tamberlox-run"};
    const auto inWork = [this](const QString& name) { return QFileInfo::exists(run().strWorkDir() + '/' + name); };
    const auto attached = [this] { return !QDir(at("templog")).entryList({"*_*"}, QDir::Dirs).isEmpty(); };
    const std::pair<const char*, std::function<bool()>> killPoints[] = {
        {"work folder made", [&] { return inWork(leftovers::kWorkMarker); }},
        {"header written", [&] { return inWork("Temp/MAIN_TEXT.txt"); }},
        {"archived", [&] { return inWork("TEMPU_FILE.cab"); }},
        {"encrypted", [&] { return inWork(kOutName); }},
        {"delivered", [&] { return QFileInfo::exists(outPath()); }},
        {"attachment log written", attached},
        {"encrypted copy removed", [&] { return attached() && !inWork(kOutName); }},
    };
    for (const auto& [point, reached] : killPoints) {
        SCOPED_TRACE(point);
        QFile::remove(outPath());
        QDir(at("templog")).removeRecursively();
        QDir().mkpath(at("templog"));
        const int status = testsupport::statusOfChild([&, reached = reached] {
            m_window.onKeepPainted = [&] {
                if (reached())
                    ::raise(SIGKILL);
            };
            run().cmdSend_Click();
            return true;
        });
        ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL) << "status " << status;
        ASSERT_TRUE(QFileInfo::exists(at("work/WorkSpace/.tamberlox-run")));
        for (const QString& path : gone + kept)
            ASSERT_TRUE(testsupport::writeBytes(at(path), "x")) << path.toStdString();

        leftovers::removeLeftovers(iniPath());

        QStringList left;
        for (const QString& path : gone + kept + QStringList{"work/WorkSpace", "program/TAMBERLOX.INI", "reports/report.xls"})
            if (QFileInfo::exists(at(path)))
                left << path;
        EXPECT_EQ(left, (kept + QStringList{"program/TAMBERLOX.INI", "reports/report.xls"}));
    }
}
