// The create side of Cab(): each return code from one command line, nothing
// left behind by a failure, and the output buffer.
#include "CabTestKit.h"
#include "TestSupport.h"
#include "cab32.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(Cab32Api, EachCommandLineGivesItsCodeAndAFailureLeavesNoFile)
{
    QTemporaryDir dir;
    // 表 and ソ end in 0x5C in CP932: it must stay part of the character.
    const QString source = dir.filePath("表ソ"), x = QString(127, 'x'), y = QString(127, 'y');
    cabtest::putFile(source + "/a.txt", "a");
    cabtest::putFile(source + "/" + x + "/" + y, "255 bytes with the separator");
    cabtest::putFile(source + "/" + x + "/" + y + "y", "256 bytes");
    cabtest::putFile(dir.filePath("old.cab"), "previous");
    cabtest::putFile(dir.filePath("file"), "not a folder");
    QFile huge(dir.filePath("big/huge"));  // sparse, one byte over 2 GiB - 32 KiB
    ASSERT_TRUE(QDir().mkpath(dir.filePath("big")) && huge.open(QIODevice::WriteOnly));
    ASSERT_TRUE(huge.resize(65535 * 32768LL + 1));
    // Names the receiver's Windows takes for one: one CP932 spelling, or no case.
    // Windows itself takes the last three pairs for one name: there a folder
    // cannot hold both, so only the first pair is tried.
    const char* const twice[] = {"〜テスト〜.txt|～テスト～.txt", "Ａ.txt|ａ.txt", "a.TXT|A.txt", "д/Ⅱ.txt|Д/ⅱ.txt"};
    const int pairs = testsupport::onWindows() ? 1 : 4;
    for (int pair = 0; pair < pairs; ++pair)
        for (const QString& name : QString(twice[pair]).split('|'))
            cabtest::putFile(dir.filePath("twice/%1/%2").arg(pair).arg(name), name.toUtf8());
    std::vector<std::pair<QString, int>> rows = {
        {R"(-a "@/out.cab" "@/表ソ/" "missing.txt")", CAB32_ERROR_NOT_FOUND},
        {R"(-a "@/out.cab" "@/nowhere/" *.*)", CAB32_ERROR_NOT_FOUND},
        {R"(-a "@/out.cab" "@/表ソ/" "../a.txt")", CAB32_ERROR_NAME},
        {R"(-a -r "@/out.cab" "@/表ソ/" *.*)", CAB32_ERROR_NAME},  // the 256-byte name
        {R"(-a "@/out.cab" "@/表ソ/" *.csv)", CAB32_ERROR_NO_FILES},
        {R"(-a "@/out.cab" "@/big/" *.*)", CAB32_ERROR_LIMIT},
        {R"(-a "@/old.cab" "@/表ソ/" *.*)", CAB32_ERROR_EXISTS},
        {R"(-a -r "@/out.cab" "@/twice/0/" *.*)", CAB32_ERROR_DUPLICATE},
        {R"(-a -o "@/file/out.cab" "@/表ソ/" *.*)", CAB32_ERROR_WRITE},
        {R"(-a -o "@/nowhere/out.cab" "@/表ソ/" *.*)", CAB32_ERROR_WRITE},
        {R"(-a -o "@" "@/表ソ/" *.*)", CAB32_ERROR_WRITE},  // a folder of that name
        // LZX and Quantum are read, never written.
        {R"(-a -ml15 "@/out.cab" "@/表ソ/")", CAB32_ERROR_METHOD}, {R"(-a -ml21 "@/o" "@/")", CAB32_ERROR_METHOD},
        {R"(-a -mq1 "@/out.cab" "@/表ソ/")", CAB32_ERROR_METHOD}, {R"(-a -mq7 "@/o" "@/")", CAB32_ERROR_METHOD},
        // Both forms clsCab32 builds, letters in any case; -r reaches sub-folders.
        {R"(-a -i -o -mz "@/ok.cab" "@/表ソ/" *.*)", CAB32_OK},
        {R"(-a -r -o "@/ok.cab" "@/表ソ/" )" + x + "/" + y, CAB32_OK},
        {R"(-A -R -O -MZ  "@/ok.cab" "@/表ソ/" "a.txt")", CAB32_OK},
    };
    for (int pair = 1; pair < pairs; ++pair)
        rows.emplace_back(QString(R"(-a -r "@/out.cab" "@/twice/%1/" *.*)").arg(pair), CAB32_ERROR_DUPLICATE);
    for (const auto& [command, code] : rows)
        EXPECT_EQ(cabtest::cab(QString(command).replace("@", dir.path())), code) << command.toStdString();
    for (const char* bad :
         {"", R"("a" "b/")", R"(-a -x "a" "b/")", R"(-a -mz -ms "a" "b/")", R"(-a -q "a" "b/")", R"(-a -rr a b/)",
          R"(-a "a")", R"(-a "a" "b/)", R"(-a  "" "b/")", "-a \"\x81\" \"b/\"", "-a -ml14 a b/", "-a -ml22 a b/",
          "-a -mq0 a b/", "-a -mq8 a b/", "-a -ml a b/", "-a -mz1 a b/", "-a -ms0 a b/", "-a -mx a b/", "-a -m a b/"})
        EXPECT_EQ(Cab(nullptr, bad, nullptr, 0), CAB32_ERROR_COMMAND) << bad;
    // The text names the second name, folder and all, as it would be stored.
    char text[80] = "";
    const QByteArray clash = platform::toCp932(
        QString(R"(-a -r "@/out.cab" "@/twice/%1/")").arg(pairs - 1).replace("@", dir.path()));
    EXPECT_EQ(Cab(nullptr, clash.constData(), text, sizeof text), CAB32_ERROR_DUPLICATE);
    EXPECT_EQ(QByteArray(text), "two files would be stored under one name: "
                                    + platform::toCp932(testsupport::onWindows() ? QStringLiteral("～テスト～.txt")
                                                                                 : QStringLiteral("д\\Ⅱ.txt")));
    EXPECT_EQ(testsupport::entriesOf(dir.path()), (QStringList{"big", "file", "ok.cab", "old.cab", "twice", "表ソ"}));
    EXPECT_EQ(testsupport::readBytes(dir.filePath("old.cab")), QByteArray("previous"));
    const auto layout = cabtest::readLayout(testsupport::readBytes(dir.filePath("ok.cab")));
    ASSERT_EQ(layout.files.size(), 1u);
    EXPECT_EQ(layout.files[0].name, QByteArray("a.txt"));
}

TEST(Cab32Api, OutputTextIsCutWithinTheBufferNeverInsideACharacter)
{
    char buffer[32] = "unchanged";
    EXPECT_EQ(Cab(nullptr, nullptr, buffer, 0), CAB32_ERROR_COMMAND);
    EXPECT_STREQ(buffer, "unchanged");
    EXPECT_EQ(Cab(nullptr, nullptr, buffer, 5), CAB32_ERROR_COMMAND);
    EXPECT_STREQ(buffer, "malf");
    EXPECT_EQ(buffer[5], 'n');
    // "not found: /nowhere/" is 20 bytes; 表 is 0x95 0x5C.
    const char* missing = "-x \"/nowhere/\x95\x5c.cab\" \"/nowhere/\"";
    EXPECT_EQ(Cab(nullptr, missing, buffer, 22), CAB32_ERROR_NOT_FOUND);
    EXPECT_STREQ(buffer, "not found: /nowhere/");
    EXPECT_EQ(Cab(nullptr, missing, buffer, sizeof buffer), CAB32_ERROR_NOT_FOUND);
    EXPECT_STREQ(buffer, "not found: /nowhere/\x95\x5c.cab");
}

// Asked after every block: the k-th "stop" ends the call there, leaves no
// cabinet and no temporary file, and is asked no more. Never stopping is Cab().
TEST(Cab32Api, CabStoppableEndsWhereItIsAskedToStop)
{
    QTemporaryDir dir;
    cabtest::putFile(dir.filePath("in/a.bin"), cabtest::randomBytes(5 * 32768, 1));
    cabtest::putFile(dir.filePath("in/b.bin"), cabtest::randomBytes(100, 2));
    struct Asked {
        int calls = 0, stopAt = 0;
    };
    const CabStopFn ask = [](void* context) {
        auto* asked = static_cast<Asked*>(context);
        return ++asked->calls >= asked->stopAt ? 1 : 0;
    };
    const QByteArray command = platform::toCp932(QString(R"(-a -r -o "@/out/x.cab" "@/in/" *.*)").replace("@", dir.path()));
    QDir().mkpath(dir.filePath("out"));
    for (const int stopAt : {1, 4, 7}) {
        Asked asked{0, stopAt};
        EXPECT_EQ(CabStoppable(nullptr, command.constData(), nullptr, 0, ask, &asked), CAB32_ERROR_STOPPED);
        EXPECT_EQ(asked.calls, stopAt);
        EXPECT_TRUE(testsupport::entriesOf(dir.filePath("out")).isEmpty());
    }
    Asked never{0, 1000};
    ASSERT_EQ(CabStoppable(nullptr, command.constData(), nullptr, 0, ask, &never), CAB32_OK);
    EXPECT_EQ(never.calls, 2 + 6) << "before each file and after each block read";
    EXPECT_EQ(testsupport::cabextract(dir.filePath("out/x.cab"), dir.filePath("x")), 0);
    EXPECT_EQ(testsupport::readBytes(dir.filePath("x/a.bin")), cabtest::randomBytes(5 * 32768, 1));
}
