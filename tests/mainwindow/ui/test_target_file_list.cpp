#include "mainwindow/TargetFileList.h"

#include "TestSupport.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <vector>

namespace {

// The list box: entries with selection marks.
class FakeListControl : public IFileListControl {
public:
    int count() const override { return static_cast<int>(entries.size()); }
    QString entry(int index) const override { return entries.at(static_cast<size_t>(index)); }
    bool isSelected(int index) const override { return selected.contains(index); }
    void append(const QString& path) override { entries.push_back(path); }
    void remove(int index) override { entries.erase(entries.begin() + index); }

    std::vector<QString> entries;
    QList<int> selected;
};

QString unsupported(const char* what, const QString& path)
{
    return QStringLiteral("ﾌｧｲﾙ名にWindowsで使えない%1が含まれています。\r\n%2\r\nﾌｧｲﾙ名を変更して再度指定してください。").arg(what, path);
}

class TargetFileListTest : public ::testing::Test {
protected:
    QString file(const char* name)
    {
        EXPECT_TRUE(testsupport::writeBytes(m_root.filePath(QString::fromUtf8(name)), "x"));
        return m_root.filePath(QString::fromUtf8(name));
    }

    QTemporaryDir m_root;
    FakeListControl m_control;
    RecordingMessageBox m_boxes;
    TargetFileList m_list { m_control, m_boxes };
};

} // namespace

// The reserved name compares with case, a listed path exactly; a folder or a
// missing path does nothing. A hidden file is refused by the dialog with
// why, ignored as a drop; a refused drop of one file says why, the
// duplicate with "。". A name outside code page 932 is added and told.
TEST_F(TargetFileListTest, OneChosenOrDroppedPathIsAddedOrRefusedWithItsMessage)
{
    const QString reserved = "システムで予約されているファイル名です。\r\nファイル名を変更して再度指定してください。";
    const QString listed = file("listed.xls"), main = file("MAIN_TEXT.txt"), hidden = file(".hidden.xls");
    const QString hangul = file("한글.txt");
    const QString hiddenMessage = "隠しﾌｧｲﾙは指定できません (名前が「.」で始まっています)。\r\n" + hidden
                                  + "\r\nﾌｧｲﾙ名を変更して再度指定してください。";
    const QString hangulMessage = "ﾌｧｲﾙ名にShift_JIS (ｺｰﾄﾞﾍﾟｰｼﾞ932) にない文字「한」が含まれています。\r\n" + hangul
                                  + "\r\n受け取り側のWindowsでは、ﾌｧｲﾙ名が正しく表示されないことがあります。";
    std::vector<std::tuple<QString, bool, bool, QString>> cases = { { main, false, false, reserved },
        { main, true, false, reserved }, { listed, false, false, "既に選択されているファイルです" },
        { listed, true, false, "既に選択されているファイルです。" }, { file("Main_Text.txt"), false, true, {} },
        { file("LISTED.xls"), true, true, {} }, { hidden, false, false, hiddenMessage }, { hidden, true, false, {} },
        { m_root.path(), false, false, {} }, { m_root.path(), true, false, {} },
        { m_root.filePath("missing"), false, false, {} }, { m_root.filePath("missing"), true, false, {} },
        { file("COM10.txt"), false, true, {} }, { file("console.txt"), true, true, {} },
        { file("資料〜最終.xls"), false, true, {} }, { hangul, false, true, hangulMessage },
        { hangul, true, true, hangulMessage } };
    // Names the receiver's Windows cannot hold. Windows makes no such file,
    // so its dialog and drops never give one: Linux only.
    if (!testsupport::onWindows()) {
        const QString colon = file("a:b.xls"), tab = file("a\tb.xls"), dot = file("a.csv."), blank = file("a.csv ");
        const QString con = file("con"), lpt = file("LPT9.tar.gz"), nul = file("Nul .txt");
        cases.insert(cases.end(), { { colon, false, false, unsupported("文字「:」", colon) },
            { colon, true, false, unsupported("文字「:」", colon) }, { tab, true, false, unsupported("制御文字 (0x09)", tab) },
            { dot, false, false, unsupported("末尾の「.」", dot) }, { blank, true, false, unsupported("末尾の空白", blank) },
            { con, false, false, unsupported("装置名「con」", con) }, { lpt, true, false, unsupported("装置名「LPT9」", lpt) },
            { nul, false, false, unsupported("装置名「Nul」", nul) } });
    }
    for (const auto& [path, dropped, added, message] : cases) {
        SCOPED_TRACE(path.toStdString() + (dropped ? " dropped" : " chosen"));
        m_control.entries = { listed };
        m_boxes.boxes.clear();
        dropped ? m_list.addDropped({ path }) : m_list.addChosen(path);
        EXPECT_EQ(m_control.count(), added ? 2 : 1);
        ASSERT_EQ(m_boxes.boxes.size(), message.isEmpty() ? 0u : 1u);
        for (const RecordingMessageBox::Box& box : m_boxes.boxes)
            EXPECT_TRUE(box.kind == BoxKind::Information && box.text == message);
    }
}

// Deleting from the first selected would shift the second out of place.
TEST_F(TargetFileListTest, ADropOfManySkipsTheRefusedAndDeleteRemovesTheSelected)
{
    const QString listed = file("listed.xls"), fresh = file("fresh.xls"), more = file("more.xls");
    m_control.entries = { listed };
    // Windows makes no file named "a?.xls" or "b|.xls": there they are not
    // in the drop, and only the spelling is told.
    const bool windows = testsupport::onWindows();
    QStringList dropped { file("MAIN_TEXT.txt"), fresh, m_root.path(), listed, m_root.filePath("missing"),
        file(".hidden.xls"), fresh, more, file("報告😀.txt"), file("last😀.txt") };
    if (!windows) {
        dropped.insert(7, file("a?.xls"));
        dropped.insert(9, file("b|.xls"));
    }
    m_list.addDropped(dropped);
    EXPECT_EQ(m_control.entries, (std::vector<QString> { listed, fresh, more, file("報告😀.txt"), file("last😀.txt") }));
    // Told: the first name Windows cannot hold, the first name outside code page 932.
    ASSERT_EQ(m_boxes.boxes.size(), windows ? 1u : 2u);
    if (!windows) {
        EXPECT_EQ(m_boxes.boxes[0].text, unsupported("文字「?」", file("a?.xls")));
    }
    EXPECT_TRUE(m_boxes.boxes.back().text.startsWith("ﾌｧｲﾙ名にShift_JIS (ｺｰﾄﾞﾍﾟｰｼﾞ932) にない文字「😀」が含まれています。\r\n"
                                                 + file("報告😀.txt") + "\r\n"));
    m_control.selected = { 0, 2 };
    m_list.deleteSelected();
    EXPECT_EQ(m_control.entries, (std::vector<QString> { fresh, file("報告😀.txt"), file("last😀.txt") }));
}

// Full at 32767: the dialog stops silently, a drop says it cannot add and
// keeps what it added before the list filled.
TEST_F(TargetFileListTest, TheListHoldsAtMost32767Entries)
{
    m_control.entries.assign(TargetFileList::kMaxEntries - 2, QStringLiteral("/placeholder"));
    const QString chosen = file("chosen.xls"), first = file("first.xls");
    m_list.addChosen(chosen);
    m_list.addDropped({ first, file("second.xls") });
    m_list.addChosen(file("more.xls"));
    ASSERT_EQ(m_control.count(), 32767);
    EXPECT_EQ(m_control.entries[32765] + m_control.entries[32766], chosen + first);
    ASSERT_EQ(m_boxes.boxes.size(), 1u);
    EXPECT_TRUE(m_boxes.boxes[0].kind == BoxKind::Warning && m_boxes.boxes[0].text == "そのｵﾌﾞｼﾞｪｸﾄはﾘｽﾄに追加できません。");
}
