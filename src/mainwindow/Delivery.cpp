// The delivery and log steps of the output run.
#include "mainwindow/OutputRun.h"

#include "common/basCommon.h"
#include "mainwindow/RunFailure.h"
#include "platform/AtomicFile.h"
#include "platform/Cp932.h"
#include "platform/DateTimeText.h"
#include "platform/FileCopy.h"
#include "platform/FileTests.h"
#include "platform/Folders.h"
#include "settings/SettingsModel.h"

#include <QDir>
#include <QFileInfo>
#include <QFile>
#include <cerrno>

namespace {

const QString kBadOutputFolder =
    QStringLiteral("暗号化ﾌｧｲﾙの出力先ﾌｫﾙﾀﾞの指定に誤りがあります｡\r\n"
                   "設定ﾌｧｲﾙのﾌｧｲﾙ出力先ﾌｫﾙﾀﾞを確認してください。");
const QString kOverwriteQuestion = QStringLiteral("既に同じ名前の暗号化ﾌｧｲﾙが存在します。\r\n"
                                                  "上書きしますか？");
const QString kOverwriteRefused = QStringLiteral("暗号化ﾌｧｲﾙの出力はﾕｰｻﾞｰにより中止されました。");

// The folder the user configured: used as it is when it exists. One level
// only: a missing parent is a failure, as the user must fix it.
bool ensureFolder(const QString& path, QString& strErrMsg)
{
    if (platform::entryExists(path))
        return true;
    if (const int rc = platform::makeFolder(path, 0755); rc != 0) {
        runfailure::setFirst(strErrMsg, runfailure::describe(rc, path));
        return false;
    }
    return true;
}

// A folder of the program's own below a configured one: made, or one this
// user made before; never entered through a link or somebody else's folder
// planted at its predictable name, which would get the password.
bool ensureOwnFolder(const QString& path, int mode, QString& strErrMsg)
{
    if (const int rc = platform::makeOrUseOwnFolder(path, mode); rc != 0) {
        runfailure::setFirst(strErrMsg, runfailure::describe(rc, path));
        return false;
    }
    return true;
}

} // namespace

void OutputRun::FncTamberlox(QString& strErrMsg, bool& blnOK)
{
    blnOK = false;
    const QString output = setting(settings::kSectionSystem, settings::kKeyOutput);
    if (!platform::entryExists(output)) {
        strErrMsg = kBadOutputFolder;
        return;
    }
    const QString source = platform::joinPath(m_strWorkDir, m_strOutFileName);
    const QString target = platform::joinPath(output, m_strOutFileName);
    if (platform::fileExists(target)
        && show(BoxKind::Confirmation, kOverwriteQuestion) != BoxAnswer::Yes) {
        strErrMsg = kOverwriteRefused;
        return;
    }
    // The copy lands under the final name only when complete, and stays
    // through a crash (file and folder synced).
    progress(RunStage::Delivering, 0);
    const platform::CopyProgress copied = [this](qint64 bytes) {
        progress(RunStage::Delivering, bytes);
        return true;
    };
    if (const int rc = platform::copyFile(source, target, 0600, copied); rc != 0) {
        runfailure::setFirst(strErrMsg, runfailure::describe(rc, target));
        return;
    }
    blnOK = true;
}

void OutputRun::FncMoveLog(QString& strErrMsg, bool& blnOK)
{
    blnOK = false;
    const QString staging = stagingFolder();
    const QString tempLog = setting(settings::kSectionSystem, settings::kKeyTempLog);
    if (!ensureFolder(tempLog, strErrMsg))
        return;
    const QString runFolder = platform::joinPath(
        tempLog, platform::formatDateTime(m_context.clock(), platform::DateTimePattern::Dated));
    // Two runs in one second share it, as designed.
    if (!ensureOwnFolder(runFolder, 0700, strErrMsg))
        return;
    // The copies hold the password in plain text (the header): owner only.
    // The staged files are not needed after this step: they move (a rename
    // where the folders share a file system) rather than being copied.
    const QStringList names = QDir(staging).entryList(QDir::Files, QDir::Name);
    qint64 logged = 0;
    for (const QString& name : names) {
        const QString target = platform::joinPath(runFolder, name);
        logged += QFileInfo(platform::joinPath(staging, name)).size();
        progress(RunStage::Logging, logged);
        if (const int rc = platform::moveFile(platform::joinPath(staging, name), target, 0600);
            rc != 0) {
            runfailure::setFirst(strErrMsg, runfailure::describe(rc, target));
            return;
        }
    }
    // The copies are made durable together, once the work folder is gone so
    // that its files need not reach the disk first.
    blnOK = removeWorkFolder(strErrMsg);
    if (const int rc = platform::syncFileSystem(runFolder); rc != 0) {
        runfailure::setFirst(strErrMsg, runfailure::describe(rc, runFolder));
        blnOK = false;
    }
}

void OutputRun::FncCrtLogFile(const QString& strMessage, const QDateTime& dtmRun,
                              QString& strErrMsg, bool& blnOK)
{
    blnOK = false;
    QString base = setting(settings::kSectionSystem, settings::kKeyLog);
    const bool fellBack = !platform::entryExists(base);
    if (fellBack)
        base = basCommon::FncGetSpecialFolder(m_context, basCommon::kCsidlPersonal);
    if (base.isEmpty()) {
        runfailure::setFirst(strErrMsg, runfailure::describe(ENOENT, base));
        return;
    }
    const QString logFolder = platform::joinPath(base, QStringLiteral("TORMEA_REPORT"));
    if (!ensureOwnFolder(logFolder, 0755, strErrMsg))
        return;
    const QString logPath = platform::joinPath(
        logFolder, QStringLiteral("R_MESS%1.txt")
                       .arg(platform::formatDateTime(dtmRun, platform::DateTimePattern::Compact)));
    const QByteArray bytes = platform::toCp932(strMessage + QStringLiteral("\r\n"));
    if (const int rc = platform::writeFileAtomically(logPath, bytes, 0644); rc != 0) {
        runfailure::setFirst(strErrMsg, runfailure::describe(rc, logPath));
        return;
    }
    if (fellBack)
        show(BoxKind::Information,
                              QStringLiteral("ﾛｸﾞﾌｧｲﾙを出力するﾌｫﾙﾀﾞの指定に誤りがあります。\r\n"
                                             "設定ﾌｧｲﾙを確認してください。\r\nﾛｸﾞﾌｧｲﾙは")
                                  + logFolder + QStringLiteral("に出力されました。"));
    blnOK = true;
}
