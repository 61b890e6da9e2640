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

const QString kReserved = QStringLiteral(
    "システムで予約されているファイル名です。\r\nファイル名を変更して再度指定してください。");

} // namespace

class TargetFileListTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_root.isValid()); }

    QString file(const QString& relative)
    {
        const QString path = m_root.filePath(relative);
        EXPECT_TRUE(testsupport::writeBytes(path, "x"));
        return path;
    }
    QString folder(const QString& relative)
    {
        EXPECT_TRUE(QDir(m_root.path()).mkpath(relative));
        return m_root.filePath(relative);
    }
    std::vector<QString> entries() const { return m_control.entries; }
    // (kind, text) of each box so far.
    std::vector<std::pair<BoxKind, QString>> boxes() const
    {
        std::vector<std::pair<BoxKind, QString>> shown;
        for (const auto& box : m_boxes.boxes)
            shown.emplace_back(box.kind, box.text);
        return shown;
    }

    QTemporaryDir m_root;
    FakeListControl m_control;
    RecordingMessageBox m_boxes;
    TargetFileList m_list { m_control, m_boxes };
};

using Boxes = std::vector<std::pair<BoxKind, QString>>;

TEST_F(TargetFileListTest, TheDialogRefusesTheReservedNameOnlyWithItsExactCase)
{
    m_list.addChosen(file(QStringLiteral("a/MAIN_TEXT.txt")));
    EXPECT_TRUE(entries().empty());
    EXPECT_EQ(boxes(), (Boxes { { BoxKind::Information, kReserved } }));

    const QString otherCase = file(QStringLiteral("a/Main_Text.txt"));
    m_list.addChosen(otherCase);
    EXPECT_EQ(entries(), std::vector<QString> { otherCase });
    EXPECT_EQ(boxes().size(), 1u);
}

TEST_F(TargetFileListTest, TheDialogRefusesAListedPathWithoutAFullStop)
{
    const QString report = file(QStringLiteral("data/report.xls"));
    m_list.addChosen(report);
    m_list.addChosen(report);
    EXPECT_EQ(boxes(),
        (Boxes { { BoxKind::Information, QStringLiteral("既に選択されているファイルです") } }));
    // Another letter case is another entry.
    const QString upper = file(QStringLiteral("DATA/report.xls"));
    m_list.addChosen(upper);
    EXPECT_EQ(entries(), (std::vector<QString> { report, upper }));
}

TEST_F(TargetFileListTest, TheDialogTakesAHiddenFileButNoFolderOrMissingPath)
{
    m_list.addChosen(folder(QStringLiteral("a folder")));
    m_list.addChosen(m_root.filePath(QStringLiteral("gone.xls")));
    m_list.addChosen(QString());
    EXPECT_TRUE(entries().empty());
    // A drop does not see a hidden file; the dialog has no such search.
    const QString hidden = file(QStringLiteral(".hidden.xls"));
    m_list.addDropped({ hidden });
    m_list.addDropped({ hidden, file(QStringLiteral("seen.xls")) });
    EXPECT_EQ(entries(), std::vector<QString> { m_root.filePath(QStringLiteral("seen.xls")) });
    m_list.addChosen(hidden);
    EXPECT_EQ(entries().back(), hidden);
    EXPECT_TRUE(boxes().empty());
}

TEST_F(TargetFileListTest, OneDroppedFileIsRefusedWithItsMessages)
{
    const QString reserved = file(QStringLiteral("a/MAIN_TEXT.txt"));
    const QString report = file(QStringLiteral("a/b.xls"));
    m_list.addDropped({ reserved });
    m_list.addDropped({ report });
    m_list.addDropped({ report });
    EXPECT_EQ(entries(), std::vector<QString> { report });
    EXPECT_EQ(boxes(),
        (Boxes { { BoxKind::Information, kReserved },
            { BoxKind::Information, QStringLiteral("既に選択されているファイルです。") } }));
}

TEST_F(TargetFileListTest, OneDroppedFolderOrMissingFileDoesNothing)
{
    m_list.addDropped({ folder(QStringLiteral("dir")) });
    m_list.addDropped({ m_root.filePath(QStringLiteral("missing.xls")) });
    m_list.addDropped({ QString() });
    m_list.addDropped({});
    EXPECT_TRUE(entries().empty());
    EXPECT_TRUE(boxes().empty());
}

TEST_F(TargetFileListTest, ManyDroppedFilesSkipTheRestSilently)
{
    const QString listed = file(QStringLiteral("listed.xls"));
    m_list.addChosen(listed);
    const QString b = file(QStringLiteral("a/b.xls"));
    const QString c = file(QStringLiteral("a/c.xls"));
    m_list.addDropped({ file(QStringLiteral("a/MAIN_TEXT.txt")), b, folder(QStringLiteral("dir")),
        listed, m_root.filePath(QStringLiteral("missing")), c, b });
    EXPECT_EQ(entries(), (std::vector<QString> { listed, b, c }));
    // The same files again add nothing.
    m_list.addDropped({ b, c });
    EXPECT_EQ(entries().size(), 3u);
    EXPECT_TRUE(boxes().empty());
}

TEST_F(TargetFileListTest, DeleteRemovesTheSelectedFromTheLastToTheFirst)
{
    for (int i = 1; i <= 5; ++i)
        m_control.entries.push_back(QStringLiteral("/r/%1").arg(i));
    m_control.selected = { 1, 3 };
    m_list.deleteSelected();
    EXPECT_EQ(entries(), (std::vector<QString> { "/r/1", "/r/3", "/r/5" }));
    EXPECT_EQ(m_control.removed, (std::vector<int> { 3, 1 }));

    m_control.selected.clear();
    m_list.deleteSelected();
    EXPECT_EQ(entries().size(), 3u);
    m_control.entries.clear();
    m_list.deleteSelected();
    EXPECT_TRUE(m_control.removed.size() == 2u && boxes().empty());
}

TEST_F(TargetFileListTest, TheListHoldsAtMost32767Entries)
{
    m_control.entries.assign(TargetFileList::kMaxEntries - 1, QStringLiteral("/placeholder"));
    const QString last = file(QStringLiteral("last.xls"));
    m_list.addChosen(last);
    ASSERT_EQ(m_control.count(), 32767);
    EXPECT_EQ(entries().back(), last);

    // Full: the dialog stops silently, a drop says it cannot add.
    m_list.addChosen(file(QStringLiteral("more.xls")));
    EXPECT_TRUE(boxes().empty());
    m_list.addDropped({ file(QStringLiteral("one.xls")) });
    const Boxes cannotAdd { { BoxKind::Warning,
        QStringLiteral("そのｵﾌﾞｼﾞｪｸﾄはﾘｽﾄに追加できません。") } };
    EXPECT_EQ(boxes(), cannotAdd);
    EXPECT_EQ(m_control.count(), 32767);
}

TEST_F(TargetFileListTest, AManyFileDropThatFillsTheListKeepsWhatItAdded)
{
    m_control.entries.assign(TargetFileList::kMaxEntries - 1, QStringLiteral("/placeholder"));
    const QString first = file(QStringLiteral("first.xls"));
    m_list.addDropped(
        { first, file(QStringLiteral("second.xls")), file(QStringLiteral("third.xls")) });
    EXPECT_EQ(m_control.count(), 32767);
    EXPECT_EQ(entries().back(), first);
    ASSERT_EQ(boxes().size(), 1u);
    EXPECT_EQ(boxes().at(0).first, BoxKind::Warning);
}
