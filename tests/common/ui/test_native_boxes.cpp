// The system's message box: each kind reaches it with its style value and
// title, and its answer comes back, without a box on the screen.
#include "common/ui/NativeDialogs.h"
#include "platform/NativeUi.h"

#include <gtest/gtest.h>

#include <QString>

namespace {

struct Call {
    QString text;
    QString title;
    unsigned style = 0;
    int calls = 0;
};
Call g_call;
int g_answer = 0;

int recordBox(platform::NativeWindow, const char16_t* text, const char16_t* title, unsigned style)
{
    g_call.text = QString::fromUtf16(text);
    g_call.title = QString::fromUtf16(title);
    g_call.style = style;
    ++g_call.calls;
    return g_answer;
}

class NativeBoxes : public ::testing::Test {
protected:
    void SetUp() override
    {
        g_call = {};
        m_previous = platform::setMessageBoxFunction(&recordBox);
    }
    void TearDown() override { platform::setMessageBoxFunction(m_previous); }

    platform::MessageBoxFunction m_previous = nullptr;
};

TEST_F(NativeBoxes, EachKindReachesTheSystemWithItsStyleAndTitle)
{
    const struct {
        BoxKind kind;
        unsigned style;
        QString title;
    } rows[] = {
        { BoxKind::Warning, 48, QStringLiteral("トルメア暗号化ﾌｧｲﾙ出力") },
        { BoxKind::Information, 64, QStringLiteral("トルメア暗号化ﾌｧｲﾙ出力") },
        { BoxKind::Question, 36, QStringLiteral("トルメア暗号化ﾌｧｲﾙ出力") },
        { BoxKind::Confirmation, 68, QStringLiteral("Tamberlox") },
        { BoxKind::Error, 16, QStringLiteral("Error") },
        { BoxKind::Plain, 0, QStringLiteral("Tamberlox") },
    };
    NativeMessageBox boxes;
    for (const auto& row : rows) {
        SCOPED_TRACE(row.style);
        g_answer = platform::kBoxOk;
        boxes.show(row.kind, QStringLiteral("一行目\r\n二行目"));
        EXPECT_EQ(g_call.style, row.style);
        EXPECT_EQ(g_call.title, row.title);
        EXPECT_EQ(g_call.text, QStringLiteral("一行目\r\n二行目"));
    }
    EXPECT_EQ(g_call.calls, 6);
}

TEST_F(NativeBoxes, YesNoAnswersAndABoxThatCouldNotBeShownAnswersNo)
{
    NativeMessageBox boxes;
    g_answer = platform::kBoxYes;
    EXPECT_EQ(boxes.show(BoxKind::Question, QStringLiteral("q")), BoxAnswer::Yes);
    g_answer = platform::kBoxNo;
    EXPECT_EQ(boxes.show(BoxKind::Confirmation, QStringLiteral("q")), BoxAnswer::No);
    g_answer = 0;
    EXPECT_EQ(boxes.show(BoxKind::Question, QStringLiteral("q")), BoxAnswer::No);
    EXPECT_EQ(boxes.show(BoxKind::Warning, QStringLiteral("w")), BoxAnswer::Ok);
}

} // namespace
