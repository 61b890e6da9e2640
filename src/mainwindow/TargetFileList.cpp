#include "mainwindow/TargetFileList.h"

#include "platform/Cp932.h"
#include "platform/FileTests.h"
#include "platform/Folders.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

namespace {

const QString kReservedMessage = QStringLiteral(
    "システムで予約されているファイル名です。\r\nファイル名を変更して再度指定してください。");
// The dialog's message has no closing "。"; the drop's has one.
const QString kChosenTwice = QStringLiteral("既に選択されているファイルです");
const QString kDroppedTwice = QStringLiteral("既に選択されているファイルです。");
const QString kCannotAdd = QStringLiteral("そのｵﾌﾞｼﾞｪｸﾄはﾘｽﾄに追加できません。");

const QString kHiddenMessage = QStringLiteral(
    "隠しﾌｧｲﾙは指定できません (名前が「.」で始まっています)。\r\n%1\r\n"
    "ﾌｧｲﾙ名を変更して再度指定してください。");

// What in name Windows cannot hold, in words, or empty: a character it
// refuses, a trailing dot or blank (Windows drops them, so "a.csv." becomes
// "a.csv"), or a device name such as "CON" or "com1.txt", which opens the
// device instead of a file.
QString whatWindowsCannotHold(const QString& name)
{
    static const QString kUnsupported = QStringLiteral("\\:*?\"<>|");
    for (const QChar ch : name) {
        if (ch.unicode() < 0x20)
            return QStringLiteral("制御文字 (0x%1)")
                .arg(QString::number(ch.unicode(), 16).toUpper().rightJustified(2, QLatin1Char('0')));
        if (kUnsupported.contains(ch))
            return QStringLiteral("文字「%1」").arg(ch);
    }
    if (name.endsWith(QLatin1Char('.')))
        return QStringLiteral("末尾の「.」");
    if (name.endsWith(QLatin1Char(' ')))
        return QStringLiteral("末尾の空白");
    static const QRegularExpression kDevice(QStringLiteral("^(CON|PRN|AUX|NUL|COM[1-9]|LPT[1-9]) *$"),
                                            QRegularExpression::CaseInsensitiveOption);
    const QString stem = name.left(name.indexOf(QLatin1Char('.')));
    if (kDevice.match(stem).hasMatch())
        return QStringLiteral("装置名「%1」").arg(stem.trimmed());
    return QString();
}

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
    // The run would later call it missing: its file test sees no hidden file.
    if (platform::isHidden(strPath)) {
        inform(kHiddenMessage.arg(strPath));
        return;
    }
    if (isListed(strPath)) {
        inform(kChosenTwice);
        return;
    }
    if (isFull())
        return;
    m_control.append(strPath);
    informAboutSpelling({strPath});
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
    QStringList added;
    if (!addManyDropped(paths, added))
        m_boxes.show(BoxKind::Warning, kCannotAdd);
    if (!unsupported.isEmpty())
        inform(unsupported);
    informAboutSpelling(added);
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
    informAboutSpelling({strPath});
}

// False when the list filled up before every file was taken.
bool TargetFileList::addManyDropped(const QStringList& paths, QStringList& added)
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
        added.append(strPath);
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
    qsizetype start = strPath.size();
    while (start > 0 && !platform::isPathSeparator(strPath.at(start - 1)))
        --start;
    return strPath.mid(start);
}

QString TargetFileList::unsupportedNameMessage(const QString& strPath)
{
    const QString what = whatWindowsCannotHold(fileNamePart(strPath));
    if (what.isEmpty())
        return QString();
    return QStringLiteral("ﾌｧｲﾙ名にWindowsで使えない%1が含まれています。\r\n%2\r\n"
                          "ﾌｧｲﾙ名を変更して再度指定してください。")
        .arg(what, strPath);
}

void TargetFileList::informAboutSpelling(const QStringList& added) const
{
    for (const QString& strPath : added) {
        // Twins such as "〜" are stored as Windows spells them: no surprise.
        const QString lacking = platform::firstCharOutsideCp932(fileNamePart(strPath), true);
        if (lacking.isEmpty())
            continue;
        inform(QStringLiteral("ﾌｧｲﾙ名にShift_JIS (ｺｰﾄﾞﾍﾟｰｼﾞ932) にない文字「%1」が含まれています。\r\n%2\r\n"
                              "受け取り側のWindowsでは、ﾌｧｲﾙ名が正しく表示されないことがあります。")
                   .arg(lacking, strPath));
        return;
    }
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
