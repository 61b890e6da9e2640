#include "mainwindow/TargetFileList.h"

#include "platform/FileTests.h"

#include <QFileInfo>
#include <QSet>

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
    if (const QString unsupported = unsupportedNameMessage(strPath); !unsupported.isEmpty()) {
        inform(unsupported);
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
    QString unsupported;
    for (const QString& strPath : paths) {
        unsupported = unsupportedNameMessage(strPath);
        if (!unsupported.isEmpty() && platform::fileExists(strPath))
            break;
        unsupported.clear();
    }
    if (!addManyDropped(paths))
        m_boxes.show(BoxKind::Warning, kCannotAdd);
    if (!unsupported.isEmpty())
        inform(unsupported);
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
    if (const QString unsupported = unsupportedNameMessage(strPath); !unsupported.isEmpty()) {
        inform(unsupported);
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
    // The list is read once per drop, not once per dropped file: a drop of
    // thousands of files onto a long list stays linear.
    QSet<QString> listed;
    for (int index = 0; index < m_control.count(); ++index)
        listed.insert(m_control.entry(index));
    for (const QString& strPath : paths) {
        if (fileNamePart(strPath) == kReservedName || !platform::fileExists(strPath)
            || !unsupportedNameMessage(strPath).isEmpty())
            continue;
        if (listed.contains(strPath))
            continue;
        if (isFull())
            return false;
        m_control.append(strPath);
        listed.insert(strPath);
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

QString TargetFileList::unsupportedNameMessage(const QString& strPath)
{
    static const QString kUnsupported = QStringLiteral("\\:*?\"<>|");
    const QString name = fileNamePart(strPath);
    for (const QChar ch : name) {
        QString what;
        if (ch.unicode() < 0x20)
            what = QStringLiteral("制御文字 (0x%1)")
                       .arg(QString::number(ch.unicode(), 16).toUpper().rightJustified(2, QLatin1Char('0')));
        else if (kUnsupported.contains(ch))
            what = QStringLiteral("文字「%1」").arg(ch);
        else
            continue;
        return QStringLiteral("ﾌｧｲﾙ名にWindowsで使えない%1が含まれています。\r\n%2\r\n"
                              "ﾌｧｲﾙ名を変更して再度指定してください。")
            .arg(what, strPath);
    }
    return QString();
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
