// tamberlox-open stopped by a signal or refused a write by a resource
// limit: both need what only Linux gives a test.
#include "OpenFixture.h"

#include <csignal>
#include <sys/resource.h>
#include <sys/wait.h>

using testsupport::entriesOf;
using testsupport::readBytes;

// Writes past the limit fail with EFBIG (RLIMIT_FSIZE).
class LimitedOpenTest : public OpenTest {
protected:
    void prepare(QProcess& process) override
    {
        process.setChildProcessModifier([] {
            const rlimit limit { 65536, 65536 };
            ::signal(SIGXFSZ, SIG_IGN);
            ::setrlimit(RLIMIT_FSIZE, &limit);
        });
    }
};

// A refused write names the user's path and the system's text, and leaves
// nothing.
TEST_F(LimitedOpenTest, AFailedWriteSaysWhereAndLeavesNothing)
{
    const QString output = pack({ { u"MAIN_TEXT.txt"_s, kHeader }, { u"big.txt"_s, QByteArray(1 << 20, '0') } },
        u"names.txt"_s);
    const QString full = at(u"full"_s);
    const QStringList before = world();
    EXPECT_EQ(open({ u"-d"_s, full, output }),
        refused(3, u"書き込めません / cannot write: %1/big.txt: File too large"_s.arg(full)));
    EXPECT_EQ(world(), before);
}

// A run stopped by SIGTERM (sent from a stop point) removes all it made and
// leaves the password nowhere; what it makes is owner only meanwhile. Too
// little room is refused before anything is written.
TEST_F(OpenTest, AStoppedOrRefusedRunLeavesNothingAndNoSecret)
{
    using opener::Step;
    const QString output = realOutput(), dir = at(u"new/dest"_s);
    // The sender's own log keeps the header; only the reader's traces count here.
    ASSERT_TRUE(QDir(at(u"templog"_s)).removeRecursively() && !passwordOnDisk());
    const struct {
        QStringList arguments;
        Step step;
        int stopAt; // 0: no signal, free space 10 bytes
        int code;
    } rows[] = {
        { { output }, Step::Checking, 1, 128 + SIGTERM },
        { { u"-d"_s, dir, output }, Step::Extracting, 3, 128 + SIGTERM },
        { { u"-d"_s, dir, output }, Step::Extracting, 0, 3 },
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.arguments.join(' ').toStdString());
        const QStringList before = world();
        const int status = testsupport::statusOfChild([&] {
            bool private_ = true;
            int calls = 0;
            opener::OpenHooks hooks;
            hooks.progress = [&](Step step) {
                if (step != row.step || ++calls != row.stopAt)
                    return;
                // The work folders and all in them (DIR itself gets the user's mode).
                QStringList work;
                for (const QString& root : { QDir::tempPath(), dir })
                    for (const QString& name : entriesOf(root).filter(u"tamberlox-open-"_s))
                        work << root + '/' + name;
                private_ = !work.isEmpty();
                for (const QString& folder : work) {
                    private_ = (testsupport::fileMode(folder) & 077) == 0 && private_;
                    for (QDirIterator it(folder,
                             QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                             QDirIterator::Subdirectories);
                         it.hasNext();)
                        private_ = (testsupport::fileMode(it.next()) & 077) == 0 && private_;
                }
                ::raise(SIGTERM);
            };
            if (row.stopAt == 0)
                hooks.freeSpace = [](const QString&) { return qint64(10); };
            QByteArray out, err;
            const int code = opener::runOpen(row.arguments, m_context.components, out, err, hooks);
            return private_ && code == row.code && out.isEmpty()
                && (row.stopAt != 0 ? err.isEmpty() : err.contains(": No space left on device"));
        });
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
        EXPECT_EQ(world(), before);
        EXPECT_FALSE(passwordOnDisk());
    }
}
