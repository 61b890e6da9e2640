// The prerequisite checks of the start: the security library's version and
// the two components.
#include "startup/basTamberlox_01.h"

#include "TestSupport.h"

#include "platform/Folders.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using basTamberlox_01::FncCmpVersion;
using basTamberlox_01::kRequiredVersion;
using basTamberlox_01::ProductVersion;

TEST(FncCmpVersion, ComparesPartByPartFromTheMajor)
{
    EXPECT_TRUE(FncCmpVersion({ 4, 0, 950, 0 }, kRequiredVersion));
    EXPECT_FALSE(FncCmpVersion({ 4, 0, 949, 9999 }, kRequiredVersion));
    EXPECT_TRUE(FncCmpVersion({ 4, 1, 0, 0 }, kRequiredVersion));
    EXPECT_TRUE(FncCmpVersion({ 5, 0, 0, 0 }, kRequiredVersion));
    EXPECT_FALSE(FncCmpVersion({ 3, 99, 2000, 0 }, kRequiredVersion));
    EXPECT_TRUE(FncCmpVersion({ 4, 0, 950, 1 }, kRequiredVersion));
    EXPECT_FALSE(FncCmpVersion({ 4, 0, 950, -1 }, kRequiredVersion));
    EXPECT_TRUE(FncCmpVersion({ 6, 0, 0, 0 }, kRequiredVersion));
}

TEST(FncCmpVersion, APartOf32768OrMoreIsNegativeAndSoSmaller)
{
    const ProductVersion found = basTamberlox_01::productVersionOf(0x80000000u, 0);
    EXPECT_EQ(found.majorPart, -32768);
    EXPECT_FALSE(FncCmpVersion(found, kRequiredVersion));
    EXPECT_FALSE(FncCmpVersion(
        basTamberlox_01::productVersionOf(0x00040000u, 0xFFFF0000u), kRequiredVersion));
    const ProductVersion parts = basTamberlox_01::productVersionOf(0x00040001u, 0x03B60002u);
    EXPECT_EQ(parts, (ProductVersion { 4, 1, 950, 2 }));
}

TEST(FncChkAdvapiVersion, ATooOldVersionGivesTheTwoLineMessage)
{
    QString strMsg;
    EXPECT_FALSE(basTamberlox_01::FncChkAdvapiVersion(strMsg, [] {
        return std::optional(ProductVersion { 4, 0, 949, 1 });
    }));
    EXPECT_EQ(strMsg,
        QStringLiteral("ADVAPI32.DLLのﾊﾞｰｼﾞｮﾝが4.0.949.1です。\r\n"
                       "ADVAPI32.DLLのﾊﾞｰｼﾞｮﾝが4.0.950.0より新しいﾊﾞｰｼﾞｮﾝを使用してください。"));
    strMsg.clear();
    EXPECT_FALSE(basTamberlox_01::FncChkAdvapiVersion(
        strMsg, [] { return std::optional(basTamberlox_01::productVersionOf(0xFFFF0000u, 7)); }));
    EXPECT_TRUE(strMsg.startsWith(QStringLiteral("ADVAPI32.DLLのﾊﾞｰｼﾞｮﾝが-1.0.0.7です。\r\n")));
}

TEST(FncChkAdvapiVersion, AGoodVersionOrNoVersionLeavesTheMessageEmpty)
{
    QString strMsg;
    EXPECT_TRUE(basTamberlox_01::FncChkAdvapiVersion(
        strMsg, [] { return std::optional(kRequiredVersion); }));
    EXPECT_FALSE(basTamberlox_01::FncChkAdvapiVersion(
        strMsg, [] { return std::optional<ProductVersion>(); }));
    EXPECT_FALSE(basTamberlox_01::FncChkAdvapiVersion(strMsg, {}));
    EXPECT_TRUE(strMsg.isEmpty());
}

TEST(FncChkAdvapiVersion, TheCryptoLayerHereIsRecentEnough)
{
    QString strMsg;
    EXPECT_TRUE(basTamberlox_01::FncChkAdvapiVersion(strMsg, basTamberlox_01::cryptoLayerVersion()))
        << strMsg.toStdString();
}

class FncChkDllExist : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_folder.isValid());
        m_context.boxes = &m_boxes;
        m_context.components.programFolder = m_folder.path();
        m_context.components.searchSystem = false;
    }
    void provide(const char* fileName)
    {
        const QString name = QString::fromLatin1(fileName);
        ASSERT_TRUE(QFile::copy(
            platform::joinPath(platform::programFolder(), name), m_folder.filePath(name)));
    }
    bool check() { return basTamberlox_01::FncChkDllExist(m_context); }

    QTemporaryDir m_folder;
    RecordingMessageBox m_boxes;
    AppContext m_context;
};

TEST_F(FncChkDllExist, WithBothMissingOnlyCab32IsReported)
{
    EXPECT_FALSE(check());
    ASSERT_EQ(m_boxes.boxes.size(), 1u);
    EXPECT_EQ(m_boxes.boxes.at(0).kind, BoxKind::Error);
    EXPECT_EQ(m_boxes.boxes.at(0).title, QStringLiteral("Error"));
    EXPECT_EQ(m_boxes.boxes.at(0).text, QStringLiteral("CAB32.DLLが見つかりません!!"));
}

TEST_F(FncChkDllExist, AMissingCapicomIsReportedOnceCab32IsThere)
{
    provide("libcab32.so");
    EXPECT_FALSE(check());
    ASSERT_EQ(m_boxes.boxes.size(), 1u);
    EXPECT_EQ(m_boxes.boxes.at(0).kind, BoxKind::Error);
    EXPECT_EQ(m_boxes.boxes.at(0).text, QStringLiteral("CAPICOM.DLLが見つかりません!!"));
}

TEST_F(FncChkDllExist, BothFoundInTheProgramFolderPassSilently)
{
    provide("libcab32.so");
    provide("libcapicom.so");
    EXPECT_TRUE(check());
    EXPECT_TRUE(m_boxes.boxes.empty());
}
