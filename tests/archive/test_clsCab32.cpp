// clsCab32 against a fake component (the command line it hands over, byte
// for byte, and the texts GetErrMsg gives) and with none that can be used;
// the run's tests use the real one.
#include "FakeCab32.h"
#include "TestSupport.h"
#include "archive/clsCab32.h"
#include "platform/Cp932.h"
#include "platform/Folders.h"

#include <QFileInfo>
#include <QLibrary>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const QString kFailure = QStringLiteral("圧縮解凍処理にに失敗しました。Error Code:0x");
const QString kLibrary = QString::fromLatin1(platform::kCab32.fileName);

// The rows write "/" for the system's separator ("\" on Windows).
QString sep(QString text)
{
    return text.replace(QLatin1Char('/'), platform::pathSeparator());
}

struct Owner : CabOwner {
    std::int32_t hwnd() const override { return 0x1234; }
};

// "@" in a path or a command line stands for m_dir, which holds Temp/a.txt
// and 表ソ/b.txt.
class clsCab32Test : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_fake.setFileName(platform::programFolder() + "/fakecab/" + kLibrary);
        ASSERT_TRUE(m_fake.load()) << m_fake.errorString().toStdString();
        m_state = reinterpret_cast<FakeCab32State* (*)()>(m_fake.resolve("fake_cab32_state"))();
        testsupport::writeBytes(m_dir.filePath("Temp/a.txt"), "a");
        testsupport::writeBytes(m_dir.filePath("表ソ/b.txt"), "b");
    }

    // A new object that looks for the component in folder (below the
    // program's unless it starts with "@"); the fake is reset and says
    // whether InFile is a cabinet.
    clsCab32 make(const QString& inFile, const QString& outFile = {}, int isCabinet = 0,
                  const QString& folder = "fakecab")
    {
        *m_state = FakeCab32State{isCabinet, 0, {}, nullptr};
        clsCab32 cab(platform::ComponentLookup{
            folder.startsWith('@') ? m_dir.path() + folder.mid(1) : platform::programFolder() + '/' + folder, false});
        cab.setInFile(sep(inFile).replace("@", m_dir.path()));
        cab.setOutFile(sep(outFile).replace("@", m_dir.path()));
        return cab;
    }

    void expectCommand(clsCab32 cab, QByteArray expected)
    {
        EXPECT_TRUE(cab.Cabcmp(&m_owner)) << cab.GetErrMsg().toStdString();
        EXPECT_EQ(QByteArray(m_state->command),
                  expected.replace('/', platform::pathSeparator().toLatin1()).replace("@", platform::toCp932(m_dir.path())));
    }

    QLibrary m_fake;
    FakeCab32State* m_state = nullptr;
    QTemporaryDir m_dir;
    Owner m_owner;
};

} // namespace

// A cabinet (the fake's cabinets live in /x) goes into the folder beside it
// named after it.
TEST_F(clsCab32Test, HandsTheComponentTheCommandLineOfEachCase)
{
    const std::tuple<const char*, const char*, bool, const char*> commands[] = {
        {"@/Temp", "@/a.cab", false, R"(-a -r -mz "@/a.cab" "@/Temp/" *.*)"},
        {"@/Temp", "", true, R"(-a -r -i -o -mz "@/Temp.cab" "@/Temp/" *.*)"},
        {"@/Temp/", "", false, R"(-a -r -mz "@/Temp/.cab" "@/Temp//" *.*)"},
        {"@/Temp/a.txt", "@/b.cab", false, R"(-a -r -mz  "@/b.cab" "@/Temp/" "a.txt")"},
        {"@/Temp/a.txt", "", false, R"(-a -r -mz  "" "@/Temp/" "a.txt")"},
        {"@/表ソ", "@/能.cab", false, "-a -r -mz \"@/\x94\x5c.cab\" \"@/\x95\x5c\x83\x5c/\" *.*"},
        {"/x/p.cab", "", true, R"(-x -o -i "/x/p.cab" "/x/p/" *.*)"}};
    for (const auto& [inFile, outFile, flags, command] : commands) {
        clsCab32 cab = make(inFile, outFile, inFile[0] == '/');
        cab.setSilent(flags);
        cab.setOverWrite(flags);
        expectCommand(std::move(cab), command);
    }
    EXPECT_EQ(m_state->hwnd, reinterpret_cast<void*>(0x1234));
    for (const auto& [inFile, target] : {std::pair{"/x/p.old.cab", "/x/p.old/"}, {"/x/pack", "/x/pack/"},
                                         {"/x/pack.", "/x/pack./"}, {"/x/.cab", "/x/"}, {"/x/y/", "/x/y/"},
                                         {"/a.b/c", "/a.b/c/"}})
        expectCommand(make(inFile, {}, 1), QString(R"(-x "%1" "%2" *.*)").arg(inFile, target).toUtf8());
    // Each starts from LZX at 21, so each also shows that MODE resets LEVEL; -1: LEVEL not set.
    const std::tuple<std::int16_t, std::int16_t, const char*> methods[] = {
        {2, -1, "-ml15"}, {2, 14, "-ml15"}, {2, 21, "-ml21"}, {2, 22, "-ml15"}, {3, -1, "-mq1"},
        {3, 0, "-mq7"},   {3, 3, "-mq3"},   {4, 9, "-ms"},    {0, -1, "-mz"},   {5, -1, "-mz"}};
    for (const auto& [mode, level, method] : methods) {
        clsCab32 cab = make("@/Temp");
        cab.setMODE(2);
        cab.setLEVEL(21);
        cab.setMODE(mode);
        if (level >= 0)
            cab.setLEVEL(level);
        expectCommand(std::move(cab), QByteArray("-a -r ") + method + R"( "@/Temp.cab" "@/Temp/" *.*)");
    }
}

TEST_F(clsCab32Test, ShowsEachFailureAndKeepsTheFirstText)
{
    clsCab32 cab = make("@/Temp");
    for (const auto& [code, hex] : {std::pair{31, "1F"}, std::pair{-1, "FFFFFFFF"}}) {
        m_state->cabResult = code;
        EXPECT_FALSE(cab.Cabcmp(&m_owner));
        EXPECT_EQ(cab.GetErrMsg(), kFailure + hex);
    }
    m_state->cabResult = 0;
    EXPECT_TRUE(cab.Cabcmp(&m_owner));
    cab.setInFile(m_dir.filePath("missing"));
    EXPECT_FALSE(cab.Cabcmp(&m_owner));
    EXPECT_EQ(cab.GetErrMsg(), kFailure + "FFFFFFFF") << "never cleared, never replaced";
    // Failures before the component runs, each on a new object; the
    // component is found and loaded first.
    testsupport::writeBytes(m_dir.filePath("broken/" + kLibrary), "not a shared library");
    QLibrary broken(m_dir.filePath("broken/" + kLibrary));
    EXPECT_FALSE(broken.load());
    const std::tuple<const char*, const char*, int, const CabOwner*, QString> failures[] = {
        {"fakecab", "@/missing", 0, &m_owner, sep("ファイルが見つかりません。(@/missing)")},
        {"fakecab", "p.cab", 1, &m_owner, sep("パスにフォルダーの区切り \"/\" がありません。(p.cab)")},
        {"fakecab", "@/Temp", 0, nullptr, "オーナー ウィンドウが指定されていません。"},
        {"@", "@/Temp", 0, &m_owner,
         testsupport::onWindows() ? "CAB32.DLL が見つかりません。" : "CAB32.DLL (libcab32.so) が見つかりません。"},
        {"@/broken", "@/Temp", 0, &m_owner, "CAB32.DLL を読み込めません。(" + broken.errorString() + ")"},
        {"fakecab_partial", "@/Temp", 0, &m_owner, "CAB32.DLL に Cab がありません。"}};
    for (const auto& [folder, inFile, isCabinet, owner, text] : failures) {
        SCOPED_TRACE(text.toStdString());
        clsCab32 fresh = make(inFile, {}, isCabinet, folder);
        EXPECT_FALSE(fresh.Cabcmp(owner));
        EXPECT_EQ(fresh.GetErrMsg(), QString(text).replace("@", m_dir.path()));
        EXPECT_STREQ(m_state->command, "") << "the component is not run";
    }
}


// The real component is asked the stop check and stops: no archive, its
// code in the text. The fake, which cannot stop, still runs.
TEST_F(clsCab32Test, AStopCheckReachesAComponentThatCanStop)
{
    clsCab32 real(platform::ComponentLookup{platform::programFolder(), false});
    real.setInFile(m_dir.filePath("Temp"));
    real.setOutFile(m_dir.filePath("Temp.cab"));
    int asked = 0;
    real.setStopCheck([&] { return ++asked > 0; });
    EXPECT_FALSE(real.Cabcmp(&m_owner));
    EXPECT_EQ(real.GetErrMsg(), kFailure + "8010");
    EXPECT_EQ(asked, 1);
    EXPECT_FALSE(QFileInfo::exists(m_dir.filePath("Temp.cab")));
    clsCab32 fake = make("@/Temp");
    fake.setStopCheck([] { return true; });
    EXPECT_TRUE(fake.Cabcmp(&m_owner));
    EXPECT_STRNE(m_state->command, "");
}
