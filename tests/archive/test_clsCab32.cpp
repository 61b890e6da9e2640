// clsCab32 against a recording fake component: the command line byte for
// byte, and what Cabcmp reports.
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

// The edge cases: no OutFile, a folder given with its "/", the
// single-file form with two blanks, and each method with its level clamped
// (setting MODE resets LEVEL).
TEST_F(clsCab32Fake, BuildsTheCompressingCommandLines)
{
    const QString w = m_w;
    const auto folder = [&](const QString& out) {
        return [=](clsCab32& c) { c.setInFile(w + "/Temp"); c.setOutFile(out); };
    };
    EXPECT_EQ(run(folder(w + "/a.cab")), QString("-a -r -mz \"%1/a.cab\" \"%1/Temp/\" *.*").arg(w));
    EXPECT_EQ(run(folder({})), QString("-a -r -mz \"%1/Temp.cab\" \"%1/Temp/\" *.*").arg(w));
    EXPECT_EQ(run([&](clsCab32& c) { c.setInFile(w + "/Temp/"); }),
              QString("-a -r -mz \"%1/Temp/.cab\" \"%1/Temp//\" *.*").arg(w));
    EXPECT_EQ(run([&](clsCab32& c) {
                  folder(w + "/TEMPU_FILE.cab")(c);
                  c.setOverWrite(true);
                  c.setSilent(true);
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

    const std::tuple<std::int16_t, std::int16_t, const char*> methods[] = {
        {2, 30, " -ml15 "}, {2, 21, " -ml21 "}, {2, 14, " -ml15 "}, {3, 0, " -mq7 "},
        {3, 3, " -mq3 "},   {4, 9, " -ms "},    {9, 3, " -mz "},    {-1, 3, " -mz "}};
    for (const auto& [mode, level, expected] : methods) {
        EXPECT_EQ(run([&](clsCab32& c) {
                      folder(w + "/a.cab")(c);
                      c.setMODE(mode);
                      c.setLEVEL(level);
                  }),
                  QString("-a -r%1\"%2/a.cab\" \"%2/Temp/\" *.*").arg(expected, w));
    }
    // A LEVEL set before MODE does not survive it.
    EXPECT_TRUE(run([&](clsCab32& c) {
                    c.setInFile(w + "/Temp");
                    c.setLEVEL(5);
                    c.setMODE(3);
                }).startsWith("-a -r -mq1 \""));
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
