#include "mainwindow/TargetFileList.h"

#include "TestSupport.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

// The list box: entries with selection marks, and every removal recorded.
class FakeListControl : public IFileListControl {
public:
    int count() const override { return static_cast<int>(entries.size()); }
    QString entry(int index) const override { return entries.at(static_cast<size_t>(index)); }
    bool isSelected(int index) const override { return selected.contains(index); }
    void append(const QString& path) override { entries.push_back(path); }
    void remove(int index) override
    {
        removed.push_back(index);
        entries.erase(entries.begin() + index);
    }

    std::vector<QString> entries;
    QList<int> selected;
    std::vector<int> removed;
};

using Entries = std::vector<QString>;

const QString kReserved
    = QStringLiteral("システムで予約されているファイル名です。\r\nファイル名を変更して再度指定してください。");

class TargetFileListTest : public ::testing::Test {
protected:
    QString file(const char* relative)
    {
        const QString path = m_root.filePath(QString::fromUtf8(relative));
        EXPECT_TRUE(testsupport::writeBytes(path, "x"));
        return path;
    }
    QString folder(const char* relative)
    {
        EXPECT_TRUE(QDir(m_root.path()).mkpath(QString::fromUtf8(relative)));
        return m_root.filePath(QString::fromUtf8(relative));
    }
    QString missing() const { return m_root.filePath(QStringLiteral("missing.xls")); }
    // The texts of the boxes so far, all of them information boxes.
    QStringList boxes() const
    {
        QStringList texts;
        for (const auto& box : m_boxes.boxes) {
            EXPECT_EQ(box.kind, BoxKind::Information);
            texts << box.text;
        }
        return texts;
    }

    QTemporaryDir m_root;
    FakeListControl m_control;
    RecordingMessageBox m_boxes;
    TargetFileList m_list { m_control, m_boxes };
};

} // namespace

// The reserved name compares with case, a listed path exactly; a folder or
// a missing path does nothing, a hidden file is taken.
TEST_F(TargetFileListTest, TheDialogsRules)
{
    const QString report = file("data/report.xls");
    const QString upper = file("DATA/report.xls");
    const QString otherCase = file("a/Main_Text.txt");
    const QString hidden = file(".hidden.xls");
    for (const QString& path : { file("a/MAIN_TEXT.txt"), otherCase, report, report, upper, folder("a folder"),
             missing(), QString(), hidden })
        m_list.addChosen(path);
    EXPECT_EQ(m_control.entries, (Entries { otherCase, report, upper, hidden }));
    EXPECT_EQ(boxes(), (QStringList { kReserved, QStringLiteral("既に選択されているファイルです") }));
}

// One dropped file says why it is refused (the duplicate message ends in
// "。" here); a drop of many skips the refused ones silently. A drop never
// sees a hidden file.
TEST_F(TargetFileListTest, TheDropsRules)
{
    const QString report = file("a/b.xls");
    const QString c = file("a/c.xls");
    for (const QString& path : { file("a/MAIN_TEXT.txt"), report, report, folder("dir"), missing(), QString(),
             file(".hidden.xls") })
        m_list.addDropped({ path });
    m_list.addDropped({});
    EXPECT_EQ(m_control.entries, Entries { report });
    EXPECT_EQ(boxes(), (QStringList { kReserved, QStringLiteral("既に選択されているファイルです。") }));

    m_boxes.boxes.clear();
    m_list.addDropped({ file("a/MAIN_TEXT.txt"), c, folder("dir"), report, missing(), file(".hidden.xls"), c });
    EXPECT_EQ(m_control.entries, (Entries { report, c }));
    EXPECT_TRUE(boxes().isEmpty());
}

TEST_F(TargetFileListTest, DeleteRemovesTheSelectedFromTheLastToTheFirst)
{
    for (int i = 1; i <= 5; ++i)
        m_control.entries.push_back(QStringLiteral("/r/%1").arg(i));
    m_control.selected = { 1, 3 };
    m_list.deleteSelected();
    EXPECT_EQ(m_control.entries, (Entries { "/r/1", "/r/3", "/r/5" }));
    EXPECT_EQ(m_control.removed, (std::vector<int> { 3, 1 }));
    m_control.selected.clear();
    m_list.deleteSelected();
    m_control.entries.clear();
    m_list.deleteSelected();
    EXPECT_TRUE(m_control.removed.size() == 2u && m_boxes.boxes.empty());
}

// Full at 32767: the dialog stops silently, a drop says it cannot add and
// keeps what it added before the list filled.
TEST_F(TargetFileListTest, TheListHoldsAtMost32767Entries)
{
    m_control.entries.assign(TargetFileList::kMaxEntries - 2, QStringLiteral("/placeholder"));
    const QString chosen = file("chosen.xls");
    const QString first = file("first.xls");
    m_list.addChosen(chosen);
    m_list.addDropped({ first, file("second.xls") });
    ASSERT_EQ(m_control.count(), 32767);
    EXPECT_EQ(Entries(m_control.entries.end() - 2, m_control.entries.end()), (Entries { chosen, first }));
    m_list.addChosen(file("more.xls"));
    m_list.addDropped({ file("one.xls") });
    EXPECT_EQ(m_control.count(), 32767);
    ASSERT_EQ(m_boxes.boxes.size(), 2u);
    for (const auto& box : m_boxes.boxes) {
        EXPECT_EQ(box.kind, BoxKind::Warning);
        EXPECT_EQ(box.text, QStringLiteral("そのｵﾌﾞｼﾞｪｸﾄはﾘｽﾄに追加できません。"));
    }
}
