#include "mainwindow/TargetFileList.h"

#include "platform/FileTests.h"

#include <QFileInfo>

namespace {

const QString kReservedMessage = QStringLiteral(
    "システムで予約されているファイル名です。\r\nファイル名を変更して再度指定してください。");
// The dialog's message has no closing "。"; the drop's has one.
const QString kChosenTwice = QStringLiteral("既に選択されているファイルです");
const QString kDroppedTwice = QStringLiteral("既に選択されているファイルです。");
const QString kCannotAdd = QStringLiteral("そのｵﾌﾞｼﾞｪｸﾄはﾘｽﾄに追加できません。");

} // namespace

const QString TargetFileList::kReservedName = QStringLiteral("MAIN_TEXT.txt");

TargetFileList::TargetFileList(IFileListControl& control, IMessageBox& boxes)
    : m_control(control)
    , m_boxes(boxes)
{
}

void TargetFileList::addChosen(const QString& strPath)
{
    // The dialog path has no existence search: a hidden file gets in here.
    const QFileInfo info(strPath);
    if (strPath.isEmpty() || !info.exists() || info.isDir())
        return;
    if (fileNamePart(strPath) == kReservedName) {
        inform(kReservedMessage);
        return;
    }
    if (isListed(strPath)) {
        inform(kChosenTwice);
        return;
    }
    if (!isFull())
        m_control.append(strPath);
}

void TargetFileList::addDropped(const QStringList& paths)
{
    if (paths.isEmpty())
        return;
    if (paths.size() == 1) {
        addOneDropped(paths.first());
        return;
    }
    if (!addManyDropped(paths))
        m_boxes.show(BoxKind::Warning, kCannotAdd);
}

void TargetFileList::addOneDropped(const QString& strPath)
{
    // The file search sees neither folders nor hidden files.
    if (!platform::fileExists(strPath))
        return;
    if (fileNamePart(strPath) == kReservedName) {
        inform(kReservedMessage);
        return;
    }
    if (isListed(strPath)) {
        inform(kDroppedTwice);
        return;
    }
    if (isFull()) {
        m_boxes.show(BoxKind::Warning, kCannotAdd);
        return;
    }
    m_control.append(strPath);
}

// False when the list filled up before every file was taken.
bool TargetFileList::addManyDropped(const QStringList& paths)
{
    for (const QString& strPath : paths) {
        if (fileNamePart(strPath) == kReservedName || !platform::fileExists(strPath))
            continue;
        if (isListed(strPath))
            continue;
        if (isFull())
            return false;
        m_control.append(strPath);
    }
    return true;
}

void TargetFileList::deleteSelected()
{
    for (int index = m_control.count() - 1; index >= 0; --index)
        if (m_control.isSelected(index))
            m_control.remove(index);
}

QString TargetFileList::fileNamePart(const QString& strPath)
{
    return strPath.mid(strPath.lastIndexOf(QLatin1Char('/')) + 1);
}

bool TargetFileList::isListed(const QString& strPath) const
{
    const int count = m_control.count();
    for (int index = 0; index < count; ++index)
        if (m_control.entry(index) == strPath)
            return true;
    return false;
}

bool TargetFileList::isFull() const
{
    return m_control.count() >= kMaxEntries;
}

void TargetFileList::inform(const QString& text) const
{
    m_boxes.show(BoxKind::Information, text);
}
