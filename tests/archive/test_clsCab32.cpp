// clsCab32 against a fake component (the command line it hands over, byte
// for byte, and the texts GetErrMsg gives), then with the real component
// and with none that can be used.
#include "FakeCab32.h"
#include "TestSupport.h"
#include "archive/clsCab32.h"
#include "platform/Cp932.h"
#include "platform/Folders.h"

#include <QDir>
#include <QLibrary>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const QString kFailure = QStringLiteral("圧縮解凍処理にに失敗しました。Error Code:0x");

class Owner : public CabOwner {
public:
    std::int32_t hwnd() const override { return 0x1234; }
};

// An object that looks for the component only in folder.
clsCab32 only(const QString& folder, const QString& inFile, const QString& outFile = {})
{
    clsCab32 cab(platform::ComponentLookup{folder, false});
    cab.setInFile(inFile);
    cab.setOutFile(outFile);
    return cab;
}

// "@" in a path or a command line stands for m_dir, which holds Temp/a.txt
// and 表ソ/.
class clsCab32Fake : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_fake.setFileName(platform::programFolder() + "/fakecab/libcab32.so");
        ASSERT_TRUE(m_fake.load()) << m_fake.errorString().toStdString();
        m_state = reinterpret_cast<FakeCab32State* (*)()>(m_fake.resolve("fake_cab32_state"))();
        testsupport::writeBytes(m_dir.filePath("Temp/a.txt"), "a");
        QDir().mkpath(m_dir.filePath("表ソ"));
    }

    // A new object; the fake is reset and says whether InFile is a cabinet.
    clsCab32 make(const QString& inFile, const QString& outFile = {}, int isCabinet = 0)
    {
        *m_state = FakeCab32State{isCabinet, 0, {}, nullptr};
        const QString fake = platform::programFolder() + "/fakecab";
        return only(fake, QString(inFile).replace("@", m_dir.path()), QString(outFile).replace("@", m_dir.path()));
    }

    void expectCommand(clsCab32& cab, QByteArray expected)
    {
        EXPECT_TRUE(cab.Cabcmp(&m_owner)) << cab.GetErrMsg().toStdString();
        EXPECT_EQ(QByteArray(m_state->command), expected.replace("@", platform::toCp932(m_dir.path())));
    }

    QLibrary m_fake;
    FakeCab32State* m_state = nullptr;
    QTemporaryDir m_dir;
    Owner m_owner;
};

} // namespace

TEST_F(clsCab32Fake, HandsTheComponentTheCommandLineOfEachCase)
{
    const std::tuple<const char*, const char*, bool, const char*> packs[] = {
        {"@/Temp", "@/a.cab", false, R"(-a -r -mz "@/a.cab" "@/Temp/" *.*)"},
        {"@/Temp", "", true, R"(-a -r -i -o -mz "@/Temp.cab" "@/Temp/" *.*)"},
        {"@/Temp/", "", false, R"(-a -r -mz "@/Temp/.cab" "@/Temp//" *.*)"},
        {"@/Temp/a.txt", "@/b.cab", false, R"(-a -r -mz  "@/b.cab" "@/Temp/" "a.txt")"},
        {"@/Temp/a.txt", "", false, R"(-a -r -mz  "" "@/Temp/" "a.txt")"},
        {"@/表ソ", "@/能.cab", false, "-a -r -mz \"@/\x94\x5c.cab\" \"@/\x95\x5c\x83\x5c/\" *.*"},
        {"/x/p.cab", "", true, R"(-x -o -i "/x/p.cab" "/x/p/" *.*)"}};
    for (const auto& [inFile, outFile, flags, command] : packs) {
        clsCab32 cab = make(inFile, outFile, inFile[0] == '/');  // the fake's cabinets live in /x
        cab.setSilent(flags);
        cab.setOverWrite(flags);
        expectCommand(cab, command);
    }
    EXPECT_EQ(m_state->hwnd, reinterpret_cast<void*>(0x1234));
    // A cabinet goes into the folder beside it named after it.
    for (const auto& [inFile, target] : {std::pair{"/x/p.old.cab", "/x/p.old/"}, {"/x/pack", "/x/pack/"},
                                         {"/x/pack.", "/x/pack./"}, {"/x/.cab", "/x/"}, {"/x/y/", "/x/y/"},
                                         {"/a.b/c", "/a.b/c/"}}) {
        clsCab32 cab = make(inFile, {}, 1);
        expectCommand(cab, QString(R"(-x "%1" "%2" *.*)").arg(inFile, target).toUtf8());
    }
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
        expectCommand(cab, QByteArray("-a -r ") + method + R"( "@/Temp.cab" "@/Temp/" *.*)");
    }
}

TEST_F(clsCab32Fake, ShowsEachFailureAndKeepsTheFirstText)
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
    // Failures before the component runs, each on a new object.
    const std::tuple<const char*, int, const CabOwner*, QString> failures[] = {
        {"@/missing", 0, &m_owner, "ファイルが見つかりません。(@/missing)"},
        {"p.cab", 1, &m_owner, "パスにフォルダーの区切り \"/\" がありません。(p.cab)"},
        {"@/Temp", 0, nullptr, "オーナー ウィンドウが指定されていません。"}};
    for (const auto& [inFile, isCabinet, owner, text] : failures) {
        clsCab32 fresh = make(inFile, {}, isCabinet);
        EXPECT_FALSE(fresh.Cabcmp(owner));
        EXPECT_EQ(fresh.GetErrMsg(), QString(text).replace("@", m_dir.path()));
        EXPECT_STREQ(m_state->command, "") << "the component is not run";
    }
}

TEST(clsCab32Component, PacksAndUnpacksJapaneseNamesAndShowsTheComponentsCode)
{
    QTemporaryDir dir;
    const QString w = dir.filePath("w"), bin = platform::programFolder();
    const QStringList names = {"MAIN_TEXT.txt", "月次報告表.xls", "添付/ソース.txt"};
    for (const QString& name : names)
        testsupport::writeBytes(w + "/Temp/" + name, name.toUtf8().repeated(1000));
    const Owner owner;
    clsCab32 pack = only(bin, w + "/Temp", w + "/TEMPU_FILE.cab");
    ASSERT_TRUE(pack.Cabcmp(&owner)) << pack.GetErrMsg().toStdString();
    clsCab32 unpack = only(bin, w + "/TEMPU_FILE.cab");
    ASSERT_TRUE(unpack.Cabcmp(&owner)) << unpack.GetErrMsg().toStdString();
    EXPECT_EQ(testsupport::entriesOf(w + "/TEMPU_FILE"), (QStringList{"MAIN_TEXT.txt", "月次報告表.xls", "添付"}));
    for (const QString& name : names)
        EXPECT_EQ(testsupport::readBytes(w + "/TEMPU_FILE/" + name), name.toUtf8().repeated(1000));
    // Without OverWrite the archive stays and the component's code is shown.
    EXPECT_FALSE(pack.Cabcmp(&owner));
    EXPECT_EQ(pack.GetErrMsg(), kFailure + "8004");
}

TEST(clsCab32Component, MissingOrUnusableComponentsFailWithADescription)
{
    QTemporaryDir broken;
    const auto failure = [&](const QString& folder) {
        clsCab32 cab = only(folder, broken.path());
        const Owner owner;
        EXPECT_FALSE(cab.Cabcmp(&owner));
        return cab.GetErrMsg();
    };
    EXPECT_EQ(failure(broken.path()), QStringLiteral("CAB32.DLL (libcab32.so) が見つかりません。"));
    testsupport::writeBytes(broken.filePath("libcab32.so"), "not a shared library");
    EXPECT_TRUE(failure(broken.path()).startsWith(QStringLiteral("CAB32.DLL を読み込めません。")));
    EXPECT_EQ(failure(platform::programFolder() + "/fakecab_partial"), QStringLiteral("CAB32.DLL に Cab がありません。"));
}
