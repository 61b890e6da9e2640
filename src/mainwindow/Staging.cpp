// The work space and staging steps of the output run.
#include "mainwindow/OutputRun.h"

#include "mainwindow/Leftovers.h"
#include "mainwindow/RunFailure.h"
#include "mainwindow/TargetFileList.h"
#include "platform/AtomicFile.h"
#include "platform/Cp932.h"
#include "platform/FileCopy.h"
#include "platform/FileTests.h"
#include "platform/Folders.h"
#include "settings/SettingsModel.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <cerrno>
#include <climits>

namespace {

const QString kBadWorkFolder = QStringLiteral("作業ﾌｫﾙﾀﾞの指定に誤りがあります｡\r\n"
                                              "設定ﾌｧｲﾙの作業フォルダを確認してください。");
const QString kNoFreeWorkFolder = QStringLiteral("作業ﾌｫﾙﾀﾞの指定に誤りがあります｡\r\n"
                                                 "作業ﾌｫﾙﾀﾞを確認してください。");
const QString kNoFreeName = QStringLiteral("同じ名前のﾌｧｲﾙが処理数を超えています。\r\n"
                                           "ﾌｧｲﾙ名を変更してください。");
// The invalid-argument error of the name split, as the user knows it.
const QString kNoExtension = QStringLiteral("プロシージャの呼び出し、または引数が不正です。");

struct NameParts {
    QString base;
    QString extension; // from the last "." on, dot included
};

// False for a name without ".", which cannot be split.
bool splitName(const QString& fileName, NameParts& parts)
{
    const qsizetype dot = fileName.lastIndexOf(QLatin1Char('.'));
    if (dot < 0)
        return false;
    parts = {fileName.left(dot), fileName.mid(dot)};
    return true;
}

// Staged names compare as the receiver's Windows sees them once archived:
// in their CP932 spelling ("〜" and "～" are both 0x8160) and without case,
// full-width letters included.
QString nameKey(const QString& name)
{
    return platform::windowsSpelling(name).toCaseFolded();
}

// A copy that saw its source change was racing the program still writing it.
QString copyFailure(int rc, const QString& source)
{
    if (rc == EBUSY)
        return QStringLiteral("ﾌｧｲﾙは他のﾌﾟﾛｸﾞﾗﾑが書き込み中です。\r\n%1\r\n"
                              "書き込みが終わってから、もう一度出力してください。")
            .arg(source);
    return runfailure::describe(rc, source);
}

} // namespace

void OutputRun::FncCrtWorkSpace(QString& strErrMsg, bool& blnOK)
{
    blnOK = false;
    m_strWorkDir.clear();
    const QString temp = setting(settings::kSectionSystem, settings::kKeyTemp);
    if (!platform::entryExists(temp)) {
        strErrMsg = kBadWorkFolder;
        return;
    }
    QString candidate = platform::joinPath(temp, QStringLiteral("WorkSpace"));
    for (int i = 0;; ++i) {
        // A link of any kind, even dangling, counts as taken; and so does a
        // name made by somebody else since the test.
        const int rc = platform::nameTaken(candidate) ? EEXIST : platform::makeFolder(candidate, 0700);
        if (rc != 0 && rc != EEXIST) {
            runfailure::setFirst(strErrMsg, runfailure::describe(rc, candidate));
            return;
        }
        if (rc == 0) {
            // Only a folder this run made is ever removed again.
            m_strWorkDir = candidate;
            // Marked as ours, so that the next start removes it should this
            // run be killed before it does.
            const QString marker = platform::joinPath(candidate, leftovers::kWorkMarker);
            if (const int written = platform::writeFileAtomically(marker, QByteArray()); written != 0) {
                runfailure::setFirst(strErrMsg, runfailure::describe(written, marker));
                return;
            }
            blnOK = true;
            return;
        }
        candidate += QString::number(i);
        if (i == INT_MAX) {
            strErrMsg = kNoFreeWorkFolder;
            return;
        }
    }
}

void OutputRun::FncMoveFile(QString& strErrMsg, bool& blnOK)
{
    blnOK = false;
    const QString staging = stagingFolder();
    if (const int rc = platform::makeFolder(staging, 0700); rc != 0) {
        runfailure::setFirst(strErrMsg, runfailure::describe(rc, staging));
        return;
    }
    // The header is written later under this name; a listed file must not
    // be replaced by it.
    QSet<QString> taken{nameKey(QStringLiteral("MAIN_TEXT.txt"))};
    // Per name, the first suffix not yet tried: names only get taken, so a
    // suffix found taken stays taken, and many equal names cost no rescans.
    QHash<QString, int> nextSuffix;
    qint64 staged = 0;
    // A stop asked for in the middle of a large file ends its copy there.
    const platform::CopyProgress copied = [&](qint64 bytes) {
        progress(RunStage::Preparing, staged + bytes);
        return !stopAt();
    };
    for (int index = 0; index < m_window.fileCount(); ++index) {
        const QString source = m_window.filePath(index);
        const QString fileName = TargetFileList::fileNamePart(source);
        NameParts parts;
        if (!splitName(fileName, parts)) {
            runfailure::setFirst(strErrMsg, kNoExtension + QStringLiteral("\r\n") + source);
            return;
        }
        QString target = fileName;
        if (taken.contains(nameKey(target))) {
            int& j = nextSuffix[nameKey(fileName)];
            for (;; ++j) {
                if (j == INT_MAX) {
                    strErrMsg = kNoFreeName;
                    return;
                }
                target = parts.base + QString::number(j) + parts.extension;
                if (!taken.contains(nameKey(target)))
                    break;
            }
        }
        // The work folder goes at the end of the run: no sync, no temporary name.
        const QString copy = platform::joinPath(staging, target);
        if (const int rc = platform::copyFileUnsynced(source, copy, 0600, copied); rc != 0) {
            runfailure::setFirst(strErrMsg, copyFailure(rc, source));
            return;
        }
        taken.insert(nameKey(target));
        staged += QFileInfo(copy).size();
    }
    blnOK = true;
}
