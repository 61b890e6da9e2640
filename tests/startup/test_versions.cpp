// The prerequisite checks of the start: the security library's version and
// the two components.
#include "startup/basTamberlox_01.h"

#include "TestSupport.h"

#include "platform/Folders.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace basTamberlox_01;

// From the major number down; each a signed 16-bit number, so 32768
// or more is negative and smaller.
TEST(FncCmpVersion, ComparesSigned16BitNumbersFromTheMajor)
{
    const std::pair<ProductVersion, bool> cases[] = {{{4, 0, 950, 0}, true}, {{4, 0, 949, 9999}, false},
        {{4, 1, 0, 0}, true}, {{5, 0, 0, 0}, true}, {{3, 99, 2000, 0}, false}, {{4, 0, 950, 1}, true},
        {{4, 0, 950, -1}, false}, {productVersionOf(0x80000000u, 0), false},
        {productVersionOf(0x00040000u, 0xFFFF0000u), false}};
    for (const auto& [found, newEnough] : cases)
        EXPECT_EQ(FncCmpVersion(found, kRequiredVersion), newEnough) << found.majorPart << "." << found.buildPart;
    EXPECT_EQ(productVersionOf(0x80000000u, 0).majorPart, -32768);
    EXPECT_EQ(productVersionOf(0x00040001u, 0x03B60002u), (ProductVersion { 4, 1, 950, 2 }));
}

TEST(FncChkAdvapiVersion, ATooOldVersionGivesTheTwoLineMessageNoVersionNone)
{
    QString strMsg;
    EXPECT_FALSE(FncChkAdvapiVersion(strMsg, [] { return std::optional(ProductVersion { 4, 0, 949, 1 }); }));
    EXPECT_EQ(strMsg,
        QStringLiteral("ADVAPI32.DLLのﾊﾞｰｼﾞｮﾝが4.0.949.1です。\r\n"
                       "ADVAPI32.DLLのﾊﾞｰｼﾞｮﾝが4.0.950.0より新しいﾊﾞｰｼﾞｮﾝを使用してください。"));
    strMsg.clear();
    EXPECT_FALSE(FncChkAdvapiVersion(strMsg, [] { return std::optional(productVersionOf(0xFFFF0000u, 7)); }));
    EXPECT_TRUE(strMsg.startsWith(QStringLiteral("ADVAPI32.DLLのﾊﾞｰｼﾞｮﾝが-1.0.0.7です。\r\n")));
    strMsg.clear();
    EXPECT_TRUE(FncChkAdvapiVersion(strMsg, [] { return std::optional(kRequiredVersion); }));
    EXPECT_FALSE(FncChkAdvapiVersion(strMsg, [] { return std::optional<ProductVersion>(); }));
    EXPECT_FALSE(FncChkAdvapiVersion(strMsg, {}));
    EXPECT_TRUE(strMsg.isEmpty());
    EXPECT_TRUE(FncChkAdvapiVersion(strMsg, cryptoLayerVersion())) << "the crypto layer here is recent enough";
}

// Only the first missing component is reported, in the program folder first.
TEST(FncChkDllExist, ReportsTheFirstMissingComponent)
{
    QTemporaryDir folder;
    RecordingMessageBox boxes;
    AppContext context;
    context.boxes = &boxes;
    context.components.programFolder = folder.path();
    context.components.searchSystem = false;
    for (const QString& missing : { QStringLiteral("CAB32"), QStringLiteral("CAPICOM") }) {
        EXPECT_FALSE(FncChkDllExist(context));
        ASSERT_EQ(boxes.boxes.size(), 1u);
        EXPECT_EQ(boxes.boxes.at(0).kind, BoxKind::Error);
        EXPECT_EQ(boxes.boxes.at(0).title, QStringLiteral("Error"));
        EXPECT_EQ(boxes.boxes.at(0).text, missing + QStringLiteral(".DLLが見つかりません!!"));
        const QString name = QStringLiteral("lib%1.so").arg(missing.toLower());
        ASSERT_TRUE(QFile::copy(platform::joinPath(platform::programFolder(), name), folder.filePath(name)));
        boxes.boxes.clear();
    }
    EXPECT_TRUE(FncChkDllExist(context));
    EXPECT_TRUE(boxes.boxes.empty());
}
