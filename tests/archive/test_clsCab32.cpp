// clsCab32 against a recording fake component: properties, the command line
// byte for byte, and what Cabcmp reports.
#include "FakeCab32.h"
#include "TestSupport.h"
#include "archive/clsCab32.h"
#include "platform/Cp932.h"
#include "platform/Folders.h"

#include <QDir>
#include <QLibrary>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>

namespace {

const QString kFailure = QStringLiteral("圧縮解凍処理にに失敗しました。Error Code:0x");

class Owner : public CabOwner {
public:
    std::int32_t hwnd() const override { return 0x1234; }
};

class clsCab32Fake : public ::testing::Test {
protected:
    void SetUp() override
    {
        m_fake.setFileName(platform::programFolder() + "/fakecab/libcab32.so");
        ASSERT_TRUE(m_fake.load()) << m_fake.errorString().toStdString();
        auto stateOf = reinterpret_cast<FakeCab32State* (*)()>(m_fake.resolve("fake_cab32_state"));
        ASSERT_NE(stateOf, nullptr);
        m_state = stateOf();
        *m_state = FakeCab32State{};
        testsupport::writeBytes(m_w + "/Temp/a.txt", "a");
    }

    clsCab32 make() const { return clsCab32(platform::ComponentLookup{platform::programFolder() + "/fakecab", false}); }

    // Runs one Cabcmp and returns the command line the component received.
    QString run(const std::function<void(clsCab32&)>& setup)
    {
        clsCab32 cab = make();
        setup(cab);
        EXPECT_TRUE(cab.Cabcmp(&m_owner)) << cab.GetErrMsg().toStdString();
        return platform::fromCp932(QByteArray(m_state->command));
    }

    QLibrary m_fake;
    FakeCab32State* m_state = nullptr;
    QTemporaryDir m_dir;
    QString m_w = m_dir.filePath("w");
    Owner m_owner;
};

} // namespace

TEST_F(clsCab32Fake, StartsWithTheDefaultsAndClampsModeAndLevel)
{
    clsCab32 cab = make();
    EXPECT_EQ(cab.MODE(), 1);
    EXPECT_EQ(cab.LEVEL(), 0);
    EXPECT_FALSE(cab.Silent() || cab.OverWrite());
    EXPECT_TRUE(cab.InFile().isEmpty() && cab.OutFile().isEmpty() && cab.GetErrMsg().isEmpty());
    const struct {
        std::int16_t mode, level, expectedMode, expectedLevel;
    } cases[] = {{2, 30, 2, 15}, {2, 21, 2, 21}, {2, 14, 2, 15}, {3, 0, 3, 7}, {3, 8, 3, 7}, {3, 1, 3, 1},
                 {1, 5, 1, 0},   {4, 9, 4, 0},   {9, 3, 1, 0},   {0, 3, 1, 0}, {-1, 3, 1, 0}};
    for (const auto& c : cases) {
        cab.setMODE(c.mode);
        cab.setLEVEL(c.level);
        EXPECT_EQ(cab.MODE(), c.expectedMode) << c.mode;
        EXPECT_EQ(cab.LEVEL(), c.expectedLevel) << c.mode << " " << c.level;
    }
    cab.setMODE(3);
    EXPECT_EQ(cab.LEVEL(), 1);
    cab.setMODE(1);
    cab.setLEVEL(5);
    cab.setMODE(2);
    EXPECT_EQ(cab.LEVEL(), 15);  // LEVEL set before MODE does not survive
}

TEST_F(clsCab32Fake, BuildsTheCompressingCommandLines)
{
    const QString w = m_w;
    const QString folderForm = QString("-a -r -mz \"%1/a.cab\" \"%1/Temp/\" *.*").arg(w);
    EXPECT_EQ(run([&](clsCab32& c) { c.setInFile(w + "/Temp"); c.setOutFile(w + "/a.cab"); }), folderForm);
    EXPECT_EQ(run([&](clsCab32& c) { c.setInFile(w + "/Temp"); }),
              QString("-a -r -mz \"%1/Temp.cab\" \"%1/Temp/\" *.*").arg(w));
    EXPECT_EQ(run([&](clsCab32& c) { c.setInFile(w + "/Temp/"); }),
              QString("-a -r -mz \"%1/Temp/.cab\" \"%1/Temp//\" *.*").arg(w));
    EXPECT_EQ(run([&](clsCab32& c) {
                  c.setOverWrite(true);
                  c.setSilent(true);
                  c.setInFile(w + "/Temp");
                  c.setOutFile(w + "/TEMPU_FILE.cab");
              }),
              QString("-a -r -i -o -mz \"%1/TEMPU_FILE.cab\" \"%1/Temp/\" *.*").arg(w));
    EXPECT_EQ(m_state->hwnd, reinterpret_cast<void*>(0x1234));
    EXPECT_EQ(m_state->outputSize, 0u);
    EXPECT_EQ(m_state->outputWasEmpty, 1);
    EXPECT_EQ(QByteArray(m_state->checkedFile), platform::toCp932(w + "/Temp"));
    EXPECT_EQ(m_state->checkMode, 1);
    EXPECT_EQ(run([&](clsCab32& c) { c.setInFile(w + "/Temp/a.txt"); c.setOutFile(w + "/b.cab"); }),
              QString("-a -r -mz  \"%1/b.cab\" \"%1/Temp/\" \"a.txt\"").arg(w));
    EXPECT_EQ(run([&](clsCab32& c) { c.setInFile(w + "/Temp/a.txt"); }),
              QString("-a -r -mz  \"\" \"%1/Temp/\" \"a.txt\"").arg(w));
}

TEST_F(clsCab32Fake, WritesTheMethodSwitchWithItsLevel)
{
    const struct {
        std::int16_t mode, level;
        const char* expected;
    } cases[] = {{2, 30, " -ml15 "}, {2, 21, " -ml21 "}, {3, 0, " -mq7 "}, {3, 3, " -mq3 "}, {4, 0, " -ms "}};
    for (const auto& m : cases) {
        EXPECT_EQ(run([&](clsCab32& c) {
                      c.setInFile(m_w + "/Temp");
                      c.setOutFile(m_w + "/a.cab");
                      c.setMODE(m.mode);
                      c.setLEVEL(m.level);
                  }),
                  QString("-a -r%1\"%2/a.cab\" \"%2/Temp/\" *.*").arg(m.expected, m_w));
    }
    EXPECT_TRUE(run([&](clsCab32& c) { c.setInFile(m_w + "/Temp"); c.setMODE(3); }).startsWith("-a -r -mq1 \""));
}

TEST_F(clsCab32Fake, SendsJapanesePathsAsCp932Bytes)
{
    QDir().mkpath(m_w + "/表ソ");
    run([&](clsCab32& c) { c.setInFile(m_w + "/表ソ"); c.setOutFile(m_w + "/能.cab"); });
    const QByteArray w = platform::toCp932(m_w);
    EXPECT_EQ(QByteArray(m_state->command), "-a -r -mz \"" + w + "/\x94\x5c.cab\" \"" + w + "/\x95\x5c\x83\x5c/\" *.*");
}

TEST_F(clsCab32Fake, ExtractsIntoTheFolderNamedAfterTheArchive)
{
    m_state->checkResult = 1;
    const char* const cases[][2] = {{"/x/p.old.cab", "/x/p.old/"}, {"/x/pack", "/x/pack/"},
                                    {"/x/pack.", "/x/pack./"},     {"/x/.cab", "/x/"},
                                    {"/x/y/", "/x/y/"},            {"/a.b/c", "/a.b/c/"}};
    for (const auto& [inFile, target] : cases) {
        EXPECT_EQ(run([&](clsCab32& c) { c.setInFile(inFile); }), QString("-x \"%1\" \"%2\" *.*").arg(inFile, target));
    }
    EXPECT_EQ(run([&](clsCab32& c) {
                  c.setOverWrite(true);
                  c.setSilent(true);
                  c.setInFile("/x/pack.cab");
              }),
              QString(R"(-x -o -i "/x/pack.cab" "/x/pack/" *.*)"));
}

TEST_F(clsCab32Fake, ReportsTheComponentsCodeAndNeverClearsIt)
{
    clsCab32 cab = make();
    cab.setInFile(m_w + "/Temp");
    for (const auto& [code, hex] : {std::pair{31, "1F"}, std::pair{0x8005, "8005"}, std::pair{-1, "FFFFFFFF"},
                                    std::pair{-2147483647 - 1, "80000000"}}) {
        m_state->cabResult = code;
        EXPECT_FALSE(cab.Cabcmp(&m_owner));
        EXPECT_EQ(cab.GetErrMsg(), kFailure + hex);
    }
    m_state->cabResult = 0;
    EXPECT_TRUE(cab.Cabcmp(&m_owner));
    EXPECT_EQ(cab.GetErrMsg(), kFailure + "80000000");
    // A runtime error does not replace a text that is already there.
    cab.setInFile(m_w + "/missing");
    EXPECT_FALSE(cab.Cabcmp(&m_owner));
    EXPECT_EQ(cab.GetErrMsg(), kFailure + "80000000");
}

TEST_F(clsCab32Fake, FailsThroughTheRuntimeErrorPath)
{
    const auto failure = [this](const QString& inFile, const CabOwner* owner) {
        clsCab32 cab = make();
        cab.setInFile(inFile);
        EXPECT_FALSE(cab.Cabcmp(owner));
        return cab.GetErrMsg();
    };
    EXPECT_TRUE(failure(m_w + "/missing", &m_owner).contains(m_w + "/missing"));
    const int checks = m_state->checkCalls;
    EXPECT_FALSE(failure(m_w + "/Temp", nullptr).isEmpty());
    EXPECT_EQ(m_state->checkCalls, checks + 1);  // the owner is read only after the archive test
    // A file in the current folder, named without "/", cannot be split.
    const QString previous = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(m_w + "/Temp"));
    const QString noSeparator = failure("a.txt", &m_owner);
    QDir::setCurrent(previous);
    EXPECT_TRUE(noSeparator.contains("a.txt"));
    m_state->checkResult = 1;
    EXPECT_TRUE(failure("pack.cab", &m_owner).contains("pack.cab"));
    EXPECT_EQ(m_state->cabCalls, 0);
}
