// tamberlox-open run as the user runs it, on outputs of a real run.
#include "RunFixture.h"

#include "archive/clsCab32.h"
#include "crypto/PassPhrase.h"
#include "crypto/clsCryptFile.h"
#include "platform/Folders.h"

#include <QDirIterator>
#include <QProcess>

using namespace Qt::StringLiterals;
using testsupport::entriesOf;
using testsupport::readBytes;

// Exit code, standard output, standard error.
using Ran = std::tuple<int, QString, QString>;

// A refusal: nothing on standard output, one line on standard error.
Ran refused(int code, const QString& message)
{
    return { code, {}, u"tamberlox-open: "_s + message + '\n' };
}

// Compressible, and out of step with the archive's 32 KiB blocks, so a
// misplaced block shows.
const QByteArray kReport = QByteArray("0123456789,abcdefghij\r\n").repeated(3044).left(70000);

class OpenTest : public RunFixture {
protected:
    Ran open(const QStringList& arguments)
    {
        QProcess process;
        // The system's texts in English.
        process.setEnvironment(QProcess::systemEnvironment() << u"LC_ALL=C.UTF-8"_s);
        process.start(platform::programFolder() + u"/tamberlox-open"_s, arguments);
        process.waitForFinished(600000);
        return { process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError()) };
    }
    // Every path under the test's tree, and the temporary folder's entries.
    QStringList world() const
    {
        QStringList paths = entriesOf(QDir::tempPath());
        for (QDirIterator it(m_root.path(), QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                 QDirIterator::Subdirectories);
             it.hasNext();)
            paths << it.next();
        return paths;
    }
    QString realOutput()
    {
        writeValidSettings();
        addReport(u"表示ソフト能力.csv"_s, kReport);
        addReport(u"〜波.txt"_s, "wave");
        run().cmdSend_Click();
        return at(u"output/TMPA12320261206030405.txt"_s);
    }
    // in, encrypted as a run encrypts its output.
    QString encrypt(const QString& in, const QString& out)
    {
        clsCryptFile file;
        file.setInFile(in);
        file.setOutFile(at(out));
        file.setPassword(passPhrase());
        EXPECT_TRUE(file.Encrypt()) << file.GetErrMsg().toStdString();
        return at(out);
    }
};

// 〜 (U+301C) is stored as CP932 0x8160, which Windows shows as ～ (U+FF5E).
TEST_F(OpenTest, ListsAndExtractsARealOutputAndReplacesAFileOnlyWithForce)
{
    const QString output = realOutput(), dir = at(u"new/dest"_s), dest = at(u"dest"_s);
    EXPECT_EQ(open({ output }),
        Ran(0,
            u"報告ID / report ID: トルメア\nユーザーID / user ID: A123\nパスワード / password: "
            u"********\n返信メールアドレス / reply address: reply@example.jp\n"
            u"          43  MAIN_TEXT.txt\n       70000  表示ソフト能力.csv\n           4  ～波.txt\n"_s,
            {}));

    const QStringList temporary = entriesOf(QDir::tempPath());
    EXPECT_EQ(open({ u"-d"_s, dir, output }),
        Ran(0,
            u"          43  %1/MAIN_TEXT.txt\n       70000  %1/表示ソフト能力.csv\n"
            u"           4  %1/～波.txt\n"_s.arg(dir),
            {}));
    EXPECT_EQ(entriesOf(dir).size(), 3);
    EXPECT_EQ(readBytes(dir + u"/MAIN_TEXT.txt"_s), kHeader);
    EXPECT_EQ(readBytes(dir + u"/表示ソフト能力.csv"_s), kReport);
    EXPECT_EQ(readBytes(dir + u"/～波.txt"_s), "wave");
    EXPECT_EQ(testsupport::fileMode(dir + u"/MAIN_TEXT.txt"_s), 0600u);
    EXPECT_EQ(entriesOf(QDir::tempPath()), temporary);

    // Refused before anything is written.
    const QString mine = dest + u"/～波.txt"_s;
    ASSERT_TRUE(testsupport::writeBytes(mine, "mine"));
    EXPECT_EQ(open({ u"-d"_s, dest, output }),
        refused(3,
            u"既にあります（置き換えるには --force） / already exists (--force replaces it): "_s
                + mine));
    EXPECT_EQ(entriesOf(dest), QStringList { u"～波.txt"_s });
    EXPECT_EQ(readBytes(mine), "mine");
    EXPECT_EQ(std::get<0>(open({ u"-d"_s, dest, u"--force"_s, output })), 0);
    EXPECT_EQ(readBytes(mine), "wave");
}

// Bad usage is 1, what is no output 2 (listed or extracted into a missing
// DIR), I/O 3 with the system's text; none of them writes anything.
TEST_F(OpenTest, EachRefusalHasItsExitCodeAndOneLineAndWritesNothing)
{
    const QString output = realOutput(), cut = at(u"cut.txt"_s), none = at(u"none.txt"_s);
    const QString hostile = QStringLiteral(TAMBERLOX_SOURCE_DIR "/tests/cab32/testdata/");
    const QString linked = at(u"linked"_s);
    ASSERT_TRUE(testsupport::writeBytes(cut, readBytes(output).chopped(100)));
    // A cabinet with a sub-folder from our own archiver, encrypted as a run does.
    ASSERT_TRUE(testsupport::writeBytes(at(u"pack/MAIN_TEXT.txt"_s), kHeader)
        && testsupport::writeBytes(at(u"pack/sub/a.txt"_s), "inside"));
    struct : CabOwner {
        std::int32_t hwnd() const override { return 0; }
    } owner;
    clsCab32 cab(m_context.components);
    cab.setInFile(at(u"pack"_s));
    cab.setOutFile(at(u"pack.cab"_s));
    ASSERT_TRUE(cab.Cabcmp(&owner)) << cab.GetErrMsg().toStdString();
    const QString sub = encrypt(at(u"pack.cab"_s), u"sub.txt"_s);
    // DIR/sub is a link out of DIR: following it would write elsewhere.
    ASSERT_TRUE(QDir().mkpath(at(u"elsewhere"_s)) && QDir().mkpath(linked)
        && QFile::link(at(u"elsewhere"_s), linked + u"/sub"_s));
    const QString usage = u"使い方が正しくありません（--help を参照） / bad usage (see --help)"_s;
    std::vector<std::pair<QStringList, Ran>> cases = {
        { {}, refused(1, usage) },
        { { u"-d"_s }, refused(1, usage + u": -d"_s) },
        { { u"-x"_s, cut }, refused(1, usage + u": -x"_s) },
        { { u"--force"_s, cut }, refused(1, usage + u": --force"_s) },
        { { cut, cut }, refused(1, usage + u": "_s + cut) },
        { { none },
            refused(3, u"読めません / cannot read: %1: No such file or directory"_s.arg(none)) },
        { { u"-d"_s, cut + u"/dest"_s, output },
            refused(3, u"書き込めません / cannot write: %1/dest: Not a directory"_s.arg(cut)) },
        { { u"-d"_s, linked, sub },
            refused(3, u"書き込めません / cannot write: %1/sub: Not a directory"_s.arg(linked)) },
    };
    const std::tuple<QString, QString, QString> notOutputs[] = {
        { cut, u"大きさが合いません"_s, u"wrong size"_s },
        { hostile + u"not-a-cabinet.cab"_s, u"復号しても CAB 書庫になりません"_s,
            u"no cabinet after decryption"_s },
        { encrypt(hostile + u"dotdot-name.cab"_s, u"climb.txt"_s), u"書庫の外を指す名前があります"_s,
            u"a name points outside the archive"_s },
        { encrypt(hostile + u"bad-checksum.cab"_s, u"checksum.txt"_s), u"書庫が壊れています"_s,
            u"damaged archive"_s },
        { encrypt(hostile + u"trail-byte-dotdot-name.cab"_s, u"headless.txt"_s),
            u"MAIN_TEXT.txt がないか読めません"_s, u"no readable MAIN_TEXT.txt"_s },
    };
    for (const auto& [file, japanese, english] : notOutputs) {
        const Ran ran = refused(2,
            u"トルメアの出力ファイルではありません（%1） / not a Tamberlox output (%2): %3"_s.arg(
                japanese, english, file));
        cases.push_back({ { file }, ran });
        cases.push_back({ { u"-d"_s, at(u"new/dest"_s), file }, ran });
    }
    for (const auto& [arguments, expected] : cases) {
        SCOPED_TRACE(arguments.join(' ').toStdString());
        const QStringList before = world();
        EXPECT_EQ(open(arguments), expected);
        EXPECT_EQ(world(), before);
    }
    // Where no link is in the way, the sub-folder is made.
    ASSERT_EQ(std::get<0>(open({ u"-d"_s, at(u"plain"_s), sub })), 0);
    EXPECT_EQ(readBytes(at(u"plain/sub/a.txt"_s)), "inside");
}
