// tamberlox-open run as the user runs it, on outputs of a real run.
#include "RunFixture.h"

#include "archive/clsCab32.h"
#include "crypto/PassPhrase.h"
#include "crypto/clsCryptFile.h"
#include "platform/Folders.h"

#include <QDirIterator>
#include <QProcess>
#include <QRandomGenerator>

using namespace Qt::StringLiterals;

namespace {

struct Ran {
    int code = -1;
    QString out;
    QString err;
};

// トルメア,A123,パス,word1,reply@example.jp in CP932, as the run writes it.
const QByteArray kHeader = QByteArray::fromHex("8367838b83818341") + ",A123,"
    + QByteArray::fromHex("83708358") + ",word1,reply@example.jp\r\n";
const QString kUsage
    = u"tamberlox-open: 使い方が正しくありません（--help を参照） / bad usage (see --help)"_s;

QByteArray pattern(int size)
{
    QByteArray bytes(size, '\0');
    for (int i = 0; i < size; ++i)
        bytes[i] = static_cast<char>(i * 7 % 251);
    return bytes;
}

class OpenTest : public RunFixture {
protected:
    Ran open(const QStringList& arguments, const QString& workingFolder = QString())
    {
        QProcess process;
        process.setWorkingDirectory(workingFolder);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(u"LC_ALL"_s, u"C.UTF-8"_s); // the system's texts in English
        process.setProcessEnvironment(environment);
        process.start(platform::programFolder() + u"/tamberlox-open"_s, arguments);
        process.waitForFinished(600000);
        return { process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()),
            QString::fromUtf8(process.readAllStandardError()) };
    }
    // Every path under the test's tree, and the temporary folder's entries.
    QStringList world() const
    {
        QStringList paths = testsupport::entriesOf(QDir::tempPath());
        for (QDirIterator it(m_root.path(), QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                 QDirIterator::Subdirectories);
             it.hasNext();)
            paths << it.next();
        return paths;
    }
    QString realOutput()
    {
        writeValidSettings();
        addReport(u"表示ソフト能力.csv"_s, pattern(70000));
        addReport(u"〜波.txt"_s, "wave");
        run().cmdSend_Click();
        EXPECT_EQ(m_boxes.boxes.size(), 1u);
        return at(u"output/TMPA12320261206030405.txt"_s);
    }
    QString crypt(const QString& in, const QString& out, const QString& password, bool encrypting)
    {
        clsCryptFile file;
        file.setInFile(in);
        file.setOutFile(at(out));
        file.setPassword(password);
        EXPECT_TRUE(encrypting ? file.Encrypt() : file.Decrypt()) << file.GetErrMsg().toStdString();
        return at(out);
    }
};

} // namespace

TEST_F(OpenTest, ListsTheHeaderWithoutPasswordAndEveryFileAsWindowsNamesIt)
{
    const Ran ran = open({ QFileInfo(realOutput()).fileName() }, at(u"output"_s));
    EXPECT_EQ(ran.code, 0);
    EXPECT_EQ(ran.err, u""_s);
    // 〜 (U+301C) is stored as CP932 0x8160, which Windows shows as ～ (U+FF5E).
    EXPECT_EQ(ran.out,
        u"報告ID / report ID: トルメア\nユーザーID / user ID: A123\nパスワード / password: "
        u"********\n"
        "返信メールアドレス / reply address: reply@example.jp\n          43  MAIN_TEXT.txt\n"
        "       70000  表示ソフト能力.csv\n           4  ～波.txt\n"_s);
}

TEST_F(OpenTest, ExtractsByteIdenticalIntoANewFolderAndCleansUp)
{
    const QString output = realOutput();
    const QStringList temporary = testsupport::entriesOf(QDir::tempPath());
    const QString dir = at(u"new/dest"_s);
    const Ran ran = open({ u"-d"_s, dir, output });
    ASSERT_EQ(ran.code, 0) << ran.err.toStdString();
    const QMap<QString, QByteArray> expected { { u"MAIN_TEXT.txt"_s, kHeader },
        { u"表示ソフト能力.csv"_s, pattern(70000) }, { u"～波.txt"_s, "wave" } };
    EXPECT_EQ(testsupport::entriesOf(dir), QStringList(expected.keys()));
    QString printed;
    for (const QString& name : expected.keys()) {
        EXPECT_EQ(testsupport::readBytes(dir + '/' + name), expected[name]) << name.toStdString();
        printed += u"%1  %2/%3\n"_s.arg(expected[name].size(), 12).arg(dir, name);
    }
    EXPECT_EQ(ran.out, printed);
    EXPECT_EQ(testsupport::fileMode(dir + u"/MAIN_TEXT.txt"_s), 0600u);
    EXPECT_EQ(testsupport::entriesOf(QDir::tempPath()), temporary);
}

TEST_F(OpenTest, AnExistingFileIsKeptWithoutForceAndReplacedWithIt)
{
    const QString output = realOutput();
    const QString mine = at(u"dest/～波.txt"_s);
    ASSERT_TRUE(testsupport::writeBytes(mine, "mine"));
    const Ran kept = open({ u"-d"_s, at(u"dest"_s), output });
    EXPECT_EQ(kept.code, 3);
    EXPECT_EQ(kept.err,
        u"tamberlox-open: 既にあります（置き換えるには --force） / already exists (--force replaces it): "_s
            + mine + '\n');
    EXPECT_EQ(testsupport::entriesOf(at(u"dest"_s)), QStringList { u"～波.txt"_s });
    EXPECT_EQ(testsupport::readBytes(mine), "mine");

    EXPECT_EQ(open({ u"-d"_s, at(u"dest"_s), u"--force"_s, output }).code, 0);
    EXPECT_EQ(testsupport::entriesOf(at(u"dest"_s)).size(), 3);
    EXPECT_EQ(testsupport::readBytes(mine), "wave");
}

TEST_F(OpenTest, SubFoldersAreMadeUnderDirAndALinkInTheWayIsRefused)
{
    // A cabinet with a sub-folder from our own archiver, encrypted as a run does.
    ASSERT_TRUE(testsupport::writeBytes(at(u"pack/MAIN_TEXT.txt"_s), kHeader));
    ASSERT_TRUE(testsupport::writeBytes(at(u"pack/sub/a.txt"_s), "inside"));
    struct : CabOwner {
        std::int32_t hwnd() const override { return 0; }
    } owner;
    clsCab32 cab(m_context.components);
    cab.setInFile(at(u"pack"_s));
    cab.setOutFile(at(u"pack.cab"_s));
    ASSERT_TRUE(cab.Cabcmp(&owner)) << cab.GetErrMsg().toStdString();
    const QString output = crypt(at(u"pack.cab"_s), u"sub.txt"_s, passPhrase(), true);

    // DIR/sub is a link out of DIR: following it would write elsewhere.
    ASSERT_TRUE(QDir().mkpath(at(u"elsewhere"_s)) && QDir().mkpath(at(u"linked"_s)));
    ASSERT_TRUE(QFile::link(at(u"elsewhere"_s), at(u"linked/sub"_s)));
    const QStringList before = world();
    const Ran refused = open({ u"-d"_s, at(u"linked"_s), output });
    EXPECT_EQ(refused.code, 3);
    EXPECT_EQ(refused.err,
        u"tamberlox-open: 書き込めません / cannot write: %1: Not a directory\n"_s.arg(
            at(u"linked/sub"_s)));
    EXPECT_EQ(world(), before);

    ASSERT_EQ(open({ u"-d"_s, at(u"plain"_s), output }).code, 0);
    EXPECT_EQ(testsupport::readBytes(at(u"plain/sub/a.txt"_s)), "inside");
}

TEST_F(OpenTest, HostileInputsAreNotOutputsAndWriteNothing)
{
    const QString output = realOutput();
    const QString cabinet = crypt(output, u"plain.cab"_s, passPhrase(), false);
    const QString hostile = QStringLiteral(TAMBERLOX_SOURCE_DIR "/tests/cab32/testdata/");
    QByteArray random(4096, '\0');
    QRandomGenerator(7).fillRange(reinterpret_cast<quint32*>(random.data()), random.size() / 4);
    ASSERT_TRUE(
        testsupport::writeBytes(at(u"cut.txt"_s), testsupport::readBytes(output).chopped(100)));
    ASSERT_TRUE(testsupport::writeBytes(at(u"random.txt"_s), random));
    const QString noCabinet
        = u"復号しても CAB 書庫になりません） / not a Tamberlox output (no cabinet after decryption"_s;
    const struct {
        QString file;
        QString reason;
    } cases[] = {
        { at(u"cut.txt"_s), u"大きさが合いません） / not a Tamberlox output (wrong size"_s },
        { at(u"random.txt"_s), noCabinet },
        { crypt(cabinet, u"other.txt"_s, u"Zubr"_s, true), noCabinet },
        { crypt(hostile + u"dotdot-name.cab"_s, u"climb.txt"_s, passPhrase(), true),
            u"書庫の外を指す名前があります） / not a Tamberlox output (a name points outside the archive"_s },
        { crypt(hostile + u"bad-checksum.cab"_s, u"checksum.txt"_s, passPhrase(), true),
            u"書庫が壊れています） / not a Tamberlox output (damaged archive"_s },
    };
    // DIR is missing: what the run makes of it must go again.
    for (const auto& c : cases) {
        for (const QStringList& arguments :
            { QStringList { c.file }, QStringList { u"-d"_s, at(u"new/dest"_s), c.file } }) {
            SCOPED_TRACE(arguments.join(' ').toStdString());
            const QStringList before = world();
            const Ran ran = open(arguments);
            EXPECT_EQ(ran.code, 2);
            EXPECT_EQ(ran.err,
                u"tamberlox-open: トルメアの出力ファイルではありません（%1): %2\n"_s.arg(
                    c.reason, c.file));
            EXPECT_EQ(ran.out, u""_s);
            EXPECT_EQ(world(), before);
        }
    }
}

TEST_F(OpenTest, BadUsageIsOneAndIoFailuresAreThreeWithTheSystemsText)
{
    const QString file = at(u"any.txt"_s);
    ASSERT_TRUE(testsupport::writeBytes(file, "x"));
    const struct {
        QStringList arguments;
        int code;
        QString err;
    } cases[] = {
        { {}, 1, kUsage + '\n' },
        { { u"-d"_s }, 1, kUsage + u": -d\n"_s },
        { { u"-x"_s, file }, 1, kUsage + u": -x\n"_s },
        { { u"--force"_s, file }, 1, kUsage + u": --force\n"_s },
        { { file, file }, 1, kUsage + u": "_s + file + '\n' },
        { { at(u"missing.txt"_s) }, 3,
            u"tamberlox-open: 読めません / cannot read: %1: No such file or directory\n"_s.arg(
                at(u"missing.txt"_s)) },
        { { u"-d"_s, file + u"/dest"_s, realOutput() }, 3,
            u"tamberlox-open: 書き込めません / cannot write: %1/dest: Not a directory\n"_s.arg(
                file) },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        const Ran ran = open(c.arguments);
        EXPECT_EQ(ran.code, c.code);
        EXPECT_EQ(ran.err, c.err);
        EXPECT_EQ(ran.out, u""_s);
    }
}
