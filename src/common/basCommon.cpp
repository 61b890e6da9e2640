#include "common/basCommon.h"

#include "platform/AtomicFile.h"
#include "platform/Cp932.h"
#include "platform/DateTimeText.h"
#include "platform/Entries.h"
#include "platform/FileTests.h"
#include "platform/Folders.h"
#include "platform/SystemError.h"

#include <QDir>
#include <QFile>
#include <cerrno>

namespace basCommon {
namespace {

const QString kNoSuchPath = QStringLiteral("指定されたパスが存在しません。");
const QString kUnknownSystemError = QStringLiteral("登録されていない、ｼｽﾃﾑｴﾗｰが発生しました。");

QString errorText(int errorNumber)
{
    const QString text = platform::systemErrorText(errorNumber);
    return text.isEmpty() ? kUnknownSystemError : text;
}

void setFirstMessage(QString& strMsg, const QString& text)
{
    if (strMsg.isEmpty())
        strMsg = text;
}

// Removes one non-folder entry; a read-only file is refused as on Windows.
bool deleteFile(const QString& path, QString& strMsg)
{
    const platform::EntryKind kind = platform::entryKind(path);
    if (kind != platform::EntryKind::Missing && kind != platform::EntryKind::Link && platform::isReadOnly(path)) {
        setFirstMessage(strMsg, errorText(EACCES));
        return false;
    }
    if (const int rc = platform::removeEntry(path); rc != 0) {
        setFirstMessage(strMsg, errorText(rc));
        return false;
    }
    return true;
}

bool deleteFolder(const QString& path, QString& strMsg)
{
    const QDir folder(path);
    // Collect first: deleting while listing may skip entries.
    const QStringList names = folder.entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::NoSort);
    for (const QString& name : names) {
        const QString entry = platform::joinPath(path, name);
        const bool isFolder = platform::entryKind(entry) == platform::EntryKind::Folder;
        if (isFolder ? !FncDelPath(entry, strMsg) : !deleteFile(entry, strMsg))
            return false;
    }
    if (const int rc = platform::removeEmptyFolder(path); rc != 0 && rc != ENOENT) {
        setFirstMessage(strMsg, errorText(rc));
        return false;
    }
    return true;
}

bool isAllowedMailByte(char c)
{
    return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z')
           || c == '-' || c == '.' || c == '@' || c == '_';
}

// The address split into characters (a surrogate pair is one character).
QStringList characters(const QString& text)
{
    QStringList out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const bool pair = text.at(i).isHighSurrogate() && i + 1 < text.size()
                          && text.at(i + 1).isLowSurrogate();
        out.append(text.mid(i, pair ? 2 : 1));
        if (pair)
            ++i;
    }
    return out;
}

} // namespace

bool FncWriteErrLog(const AppContext& context, const QString& strMsg, const QString& strLabel)
{
    const QString path = platform::joinPath(
        context.programFolder,
        QStringLiteral("Err_%1.LOG")
            .arg(platform::formatDateTime(context.clock(), platform::DateTimePattern::Compact)));
    const QByteArray record = platform::toCp932(strMsg + QLatin1Char(',') + strLabel + "\r\n");
    const int rc = platform::writeFileAtomically(path, record, 0644);
    if (rc == 0)
        return true;
    if (context.boxes != nullptr)
        context.boxes->show(BoxKind::Plain, errorText(rc));
    return false;
}

bool FncChkMailAddress(const QString& strMailAddress, QString& strMsg)
{
    const qsizetype atSigns = strMailAddress.count(QLatin1Char('@'));
    if (atSigns == 0) {
        strMsg = QStringLiteral("メールアドレス内に\"@\"がありません。");
        return false;
    }
    if (atSigns > 1) {
        strMsg = QStringLiteral("メールアドレス内に\"@\"が複数あります。");
        return false;
    }
    const QStringList chars = characters(strMailAddress);
    for (const QString& ch : chars) {
        if (platform::cp932Length(ch) == 2) {
            strMsg = QStringLiteral("メールアドレスに全角は入力できません。");
            return false;
        }
    }
    for (const QString& ch : chars) {
        const QByteArray bytes = platform::toCp932(ch);
        if (bytes.size() != 1 || !isAllowedMailByte(bytes.at(0))) {
            strMsg = QStringLiteral("電子メールに使用できない文字が入力されています。");
            return false;
        }
    }
    return true;
}

QString FncGetSpecialFolder(const AppContext& context, int lngCsidl)
{
    return lngCsidl == kCsidlPersonal ? context.documentsFolder : QString();
}

bool FncDelPath(const QString& strPath, QString& strMsg)
{
    const platform::EntryKind kind = strPath.isEmpty() || QDir::isRelativePath(strPath)
                                         ? platform::EntryKind::Missing
                                         : platform::entryKind(strPath);
    if (kind == platform::EntryKind::Missing) {
        setFirstMessage(strMsg, kNoSuchPath);
        return false;
    }
    if (kind == platform::EntryKind::Folder)
        return deleteFolder(strPath, strMsg);
    return deleteFile(strPath, strMsg);
}

} // namespace basCommon
