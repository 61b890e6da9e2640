// The prerequisite checks of the start: the security library's version and
// the two components.
#include "startup/basTamberlox_01.h"

#include "TestSupport.h"

#include "platform/Folders.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace basTamberlox_01;

// From the major number down; each a signed 16-bit number, so 32768 or more
// is negative and smaller.
TEST(FncCmpVersion, ComparesSigned16BitNumbersFromTheMajor)
{
    const std::pair<ProductVersion, bool> cases[] = { { { 4, 0, 950, 0 }, true }, { { 4, 0, 949, 9999 }, false },
        { { 4, 1, 0, 0 }, true }, { { 3, 99, 2000, 0 }, false }, { { 4, 0, 950, -1 }, false },
        { productVersionOf(0x80000000u, 0), false }, { productVersionOf(0x00040001u, 0x03B60002u), true } };
    for (const auto& [found, newEnough] : cases) {
        SCOPED_TRACE(::testing::Message() << found.majorPart << '.' << found.buildPart << '.' << found.revisionPart);
        EXPECT_EQ(FncCmpVersion(found, kRequiredVersion), newEnough);
    }
    QString strMsg;
    EXPECT_TRUE(FncChkAdvapiVersion(strMsg, cryptoLayerVersion())) << "the crypto layer here is recent enough";
}

// Only the first missing component is reported.
TEST(FncChkDllExist, ReportsTheFirstMissingComponent)
{
    QTemporaryDir folder;
    RecordingMessageBox boxes;
    AppContext context = AppContext::forProcess(&boxes);
    context.components = { folder.path(), false };
    for (const auto& [missing, component] : { std::pair { "CAB32", platform::kCab32 }, { "CAPICOM", platform::kCapicom } }) {
        const QString library = QString::fromLatin1(component.fileName);
        EXPECT_FALSE(FncChkDllExist(context));
        ASSERT_EQ(boxes.boxes.size(), 1u);
        EXPECT_EQ(boxes.boxes[0].kind, BoxKind::Error);
        EXPECT_EQ(boxes.boxes[0].text, QString::fromLatin1(missing) + QStringLiteral(".DLLが見つかりません!!"));
        ASSERT_TRUE(QFile::copy(platform::joinPath(platform::programFolder(), library), folder.filePath(library)));
        boxes.boxes.clear();
    }
    EXPECT_TRUE(FncChkDllExist(context) && boxes.boxes.empty());
}
