// tamberlox-open run as the user runs it, on outputs of a real run.
#include "OpenFixture.h"

#include "platform/Folders.h"
#include "platform/OpenSupport.h"

using testsupport::entriesOf;
using testsupport::readBytes;

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
    // Each name joined with the system's separator.
    const QString in = dir + platform::pathSeparator();
    EXPECT_EQ(open({ u"-d"_s, dir, output }),
        Ran(0,
            u"          43  %1MAIN_TEXT.txt\n       70000  %1表示ソフト能力.csv\n"
            u"           4  %1～波.txt\n"_s.arg(in),
            {}));
    EXPECT_EQ(entriesOf(dir).size(), 3);
    EXPECT_EQ(readBytes(dir + u"/MAIN_TEXT.txt"_s), kHeader);
    EXPECT_EQ(readBytes(dir + u"/表示ソフト能力.csv"_s), kReport);
    EXPECT_EQ(readBytes(dir + u"/～波.txt"_s), "wave");
    EXPECT_TRUE(testsupport::isPrivate(dir + u"/MAIN_TEXT.txt"_s));
    EXPECT_EQ(entriesOf(QDir::tempPath()), temporary);

    // Refused before anything is written.
    const QString mine = platform::joinPath(dest, u"～波.txt"_s);
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
    // A cabinet with a sub-folder from our own archiver.
    const QString sub
        = pack({ { u"MAIN_TEXT.txt"_s, kHeader }, { u"sub/a.txt"_s, "inside" } }, u"sub.txt"_s);
    // DIR/sub is a link out of DIR: following it would write elsewhere.
    ASSERT_TRUE(QDir().mkpath(at(u"elsewhere"_s)) && QDir().mkpath(linked)
        && testsupport::makeLink(at(u"elsewhere"_s), linked + u"/sub"_s));
    const QString usage = u"使い方が正しくありません（--help を参照） / bad usage (see --help)"_s;
    std::vector<std::pair<QStringList, Ran>> cases = {
        { {}, refused(1, usage) },
        { { u"-d"_s }, refused(1, usage + u": -d"_s) },
        { { u"-x"_s, cut }, refused(1, usage + u": -x"_s) },
        { { u"--force"_s, cut }, refused(1, usage + u": --force"_s) },
        { { cut, cut }, refused(1, usage + u": "_s + cut) },
        { { none },
            refused(3, u"読めません / cannot read: %1: No such file or directory"_s.arg(none)) },
        // Windows calls a file in the way a missing path.
        { { u"-d"_s, cut + u"/dest"_s, output },
            refused(3,
                u"書き込めません / cannot write: %1/dest: %2"_s.arg(cut,
                    testsupport::onWindows() ? u"No such file or directory"_s : u"Not a directory"_s)) },
        { { u"-d"_s, linked, sub },
            refused(3,
                u"書き込めません / cannot write: %1: Not a directory"_s.arg(
                    platform::joinPath(linked, u"sub"_s))) },
    };
    const std::tuple<QString, QString, QString> notOutputs[] = {
        { cut, u"大きさが合いません"_s, u"wrong size"_s },
        { hostile + u"not-a-cabinet.cab"_s, u"復号しても CAB 書庫になりません"_s,
            u"no cabinet after decryption"_s },
        { encrypt(hostile + u"dotdot-name.cab"_s, u"climb.txt"_s),
            u"書庫の外を指す名前があります"_s, u"a name points outside the archive"_s },
        { encrypt(hostile + u"bad-checksum.cab"_s, u"checksum.txt"_s), u"書庫が壊れています"_s,
            u"damaged archive"_s },
        { encrypt(hostile + u"trail-byte-dotdot-name.cab"_s, u"headless.txt"_s),
            u"MAIN_TEXT.txt がないか読めません"_s, u"no readable MAIN_TEXT.txt"_s },
        // Refused from the directory: nothing is decompressed, let alone written.
        { encrypt(hostile + u"overlap.cab"_s, u"overlap.txt"_s), u"書庫が壊れています"_s,
            u"damaged archive"_s },
        { encrypt(hostile + u"over-declared.cab"_s, u"4GiB.txt"_s), u"書庫が壊れています"_s,
            u"damaged archive"_s },
        { encrypt(hostile + u"empty-name.cab"_s, u"empty.txt"_s), u"書庫が壊れています"_s,
            u"damaged archive"_s },
        { encrypt(hostile + u"file-and-folder.cab"_s, u"x.txt"_s), u"書庫に同じ名前が2つあります"_s,
            u"a name occurs twice in the archive"_s },
        { encrypt(hostile + u"folder-and-file.cab"_s, u"a.txt"_s), u"書庫に同じ名前が2つあります"_s,
            u"a name occurs twice in the archive"_s },
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

// A 244-byte name (80 報 and ".csv") fits while written too; names that
// would steer the terminal print with "?". (Windows makes no file with
// such a name to pack: there a hand-made cabinet below holds one.)
TEST_F(OpenTest, EveryNameIsWrittenAndShownSafely)
{
    const bool windows = testsupport::onWindows();
    const QString longName = QString(80, u'報') + u".csv"_s;
    const QString steering = u"\x1b[2J\u009b\u202e\u2066\u200e\u061c\u2028.txt"_s;
    QMap<QString, QByteArray> files { { u"MAIN_TEXT.txt"_s, kHeader }, { longName, "long" },
        { u"big.txt"_s, QByteArray(1 << 20, '0') } };
    if (!windows)
        files.insert(steering, "s");
    const QString output = pack(files, u"names.txt"_s);
    const QString dir = at(u"got"_s);
    QStringList listed { u"          43  MAIN_TEXT.txt"_s, u"     1048576  big.txt"_s,
        u"           4  "_s + longName, QString() };
    if (!windows)
        listed.prepend(u"           1  ?[2J??????.txt"_s);
    EXPECT_EQ(std::get<1>(open({ output })).split('\n').mid(4), listed);
    ASSERT_EQ(std::get<0>(open({ u"-d"_s, dir, output })), 0);
    EXPECT_EQ(readBytes(dir + '/' + longName), "long");
    if (!windows) {
        EXPECT_EQ(readBytes(dir + '/' + steering), "s");
    }
}

// Listed everywhere; Windows holds no control character in a name, so there
// nothing is written and the refusal names the file as safely as the
// listing does.
TEST_F(OpenTest, ANameThisSystemCannotHoldIsListedAndRefusedBeforeWriting)
{
    const QString output = encrypt(
        QStringLiteral(TAMBERLOX_SOURCE_DIR "/tests/cab32/testdata/control-name.cab"), u"control.txt"_s);
    const QString dir = at(u"got"_s);
    EXPECT_EQ(std::get<1>(open({ output })).split('\n').mid(4),
        QStringList({ u"           1  ?[2J.txt"_s, u"          43  MAIN_TEXT.txt"_s, QString() }));
    if (!testsupport::onWindows()) {
        ASSERT_EQ(std::get<0>(open({ u"-d"_s, dir, output })), 0);
        EXPECT_EQ(readBytes(dir + u"/\x1b[2J.txt"_s), "s");
        return;
    }
    const QStringList before = world();
    EXPECT_EQ(open({ u"-d"_s, dir, output }),
        refused(3,
            u"書き込めません / cannot write: %1: このシステムでは使えない名前です"
            u" / a name this system cannot hold"_s.arg(platform::joinPath(dir, u"?[2J.txt"_s))));
    EXPECT_EQ(world(), before);
}

// What a killed copy left is removed by the next run, in the temporary
// folder and in DIR; a folder whose copy still holds its lock stays.
TEST_F(OpenTest, TheNextRunRemovesWhatAKilledCopyLeftButNotALiveOnesFolder)
{
    const QString output = realOutput(), dir = at(u"dest"_s);
    const QString dead = QDir::tempPath() + u"/tamberlox-open-0000dead"_s;
    const QString live = QDir::tempPath() + u"/tamberlox-open-0000a11e"_s;
    const QString deadHere = dir + u"/.tamberlox-open-0000dead"_s;
    for (const QString& folder : { dead, deadHere })
        ASSERT_TRUE(testsupport::writeBytes(folder + u"/lock"_s, {}));
    for (const QString& folder : { dead, live, deadHere })
        ASSERT_TRUE(testsupport::writeBytes(folder + u"/MAIN_TEXT.txt"_s, kHeader));
    int error = 0;
    platform::Handle lock
        = platform::createLockedMarker(platform::openFolder(live, error), u"lock"_s, error);
    ASSERT_TRUE(lock.isOpen()) << error;
    EXPECT_EQ(std::get<0>(open({ u"-d"_s, dir, output })), 0);
    EXPECT_FALSE(QFileInfo::exists(dead));
    EXPECT_FALSE(QFileInfo::exists(deadHere));
    EXPECT_TRUE(QFileInfo::exists(live + u"/MAIN_TEXT.txt"_s));
    lock.close();
    QDir(live).removeRecursively();
}
