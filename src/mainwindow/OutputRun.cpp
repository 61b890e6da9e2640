#include "mainwindow/OutputRun.h"

#include "common/basCommon.h"
#include "mainwindow/ArchiveLimits.h"
#include "mainwindow/Leftovers.h"
#include "mainwindow/TargetFileList.h"
#include "platform/DateTimeText.h"
#include "platform/FileTests.h"
#include "platform/Folders.h"
#include "settings/clsIniFile.h"

#include <QDir>
#include <QFileInfo>

namespace {

const QString kNoFiles = QStringLiteral("暗号化するﾌｧｲﾙを指定してください。");
const QString kMissingFiles = QStringLiteral("存在しないﾌｧｲﾙが指定されています。\r\n"
                                             "ﾘｽﾄで選択されているﾌｧｲﾙを確認してください。");
const QString kNoSettings = QStringLiteral("設定ファイルが存在しません。\r\n"
                                           "設定ファイルを確認してください。");
const QString kNoSettingsLabel = QStringLiteral("INIファイル存在エラー");
const QString kStopped = QStringLiteral("出力を中止しました。");

qint64 listedBytes(const IOutputWindow& window)
{
    qint64 bytes = 0;
    for (int i = 0; i < window.fileCount(); ++i)
        bytes += QFileInfo(window.filePath(i)).size();
    return bytes;
}

} // namespace

OutputRun::OutputRun(const AppContext& context, QString strIniPath, IOutputWindow& window)
    : m_context(context), m_strIniPath(std::move(strIniPath)), m_window(window)
{
}

void OutputRun::cmdSend_Click()
{
    m_window.setWaitPointer(true);
    if (!FncChkFile()) {
        m_window.setWaitPointer(false);
        return;
    }
    if (!platform::fileExists(m_strIniPath)) {
        show(BoxKind::Warning, kNoSettings);
        basCommon::FncWriteErrLog(m_context, kNoSettings, kNoSettingsLabel);
        m_window.setWaitPointer(false);
        return;
    }
    m_meter = RunMeter(listedBytes(m_window));
    m_stopping = m_delivering = false;
    QString strErrMsg;
    const auto step = [&](auto member) {
        return [this, member](QString& msg, bool& ok) { (this->*member)(msg, ok); };
    };
    if (!runStep(QStringLiteral("FncCrtWorkSpace"), step(&OutputRun::FncCrtWorkSpace))
        || !runStep(QStringLiteral("FncMoveFile"), step(&OutputRun::FncMoveFile))
        || !runStep(QStringLiteral("FncCrtText"), step(&OutputRun::FncCrtText))
        || !runStep(QStringLiteral("FncCompress"), step(&OutputRun::FncCompress)))
        return;

    const QDateTime dtmRun = m_context.clock();
    const QString strRunTime = platform::formatDateTime(dtmRun, platform::DateTimePattern::Japanese);
    if (!runStep(QStringLiteral("FncFixFileName"),
                 [&](QString& msg, bool& ok) { FncFixFileName(dtmRun, msg, ok); })
        || !runStep(QStringLiteral("FncEncrypt"), step(&OutputRun::FncEncrypt)))
        return;
    // From here the run completes: the output is on its way out.
    m_delivering = true;
    m_window.deliveryBegins();
    if (!runStep(QStringLiteral("FncTamberlox"), step(&OutputRun::FncTamberlox))
        || !runStep(QStringLiteral("FncMoveLog"), step(&OutputRun::FncMoveLog)))
        return;

    const QString message = QStringLiteral("トルメアﾌｧｲﾙは") + strRunTime
                            + QStringLiteral("正常に出力されました。\r\n出力ﾌｧｲﾙ名は")
                            + m_strOutFileName + QStringLiteral("です。");
    bool blnOK = false;
    FncCrtLogFile(message, dtmRun, strErrMsg, blnOK);
    if (blnOK)
        m_window.showProgress(RunStage::Logging, m_meter.total(), m_meter.total());
    if (!blnOK) {
        // The output is complete: nothing to remove, and the list stays.
        basCommon::FncWriteErrLog(m_context, strErrMsg, QStringLiteral("FncCrtLogFile"));
        m_window.setWaitPointer(false);
        show(BoxKind::Warning, strErrMsg);
        return;
    }
    m_window.setWaitPointer(false);
    show(BoxKind::Information, message);
    FncClrList();
}

template <typename Step>
bool OutputRun::runStep(const QString& label, Step step)
{
    QString strErrMsg;
    bool blnOK = false;
    step(strErrMsg, blnOK);
    m_window.keepPainted();
    // A stop wins over a failure it caused (a cancelled copy).
    if (stopAt()) {
        stopRun();
        return false;
    }
    if (!blnOK)
        failStep(label, strErrMsg);
    return blnOK;
}

bool OutputRun::stopAt()
{
    if (!m_delivering && !m_stopping)
        m_stopping = m_window.stopRequested();
    return m_stopping && !m_delivering;
}

// The user's own decision: no error log.
void OutputRun::stopRun()
{
    if (!m_strWorkDir.isEmpty()) {
        QString ignored;
        removeWorkFolder(ignored);
    }
    m_window.setWaitPointer(false);
    show(BoxKind::Information, kStopped);
}

void OutputRun::progress(RunStage stage, qint64 doneInStage)
{
    m_window.showProgress(stage, m_meter.doneAt(stage, doneInStage), m_meter.total());
}

void OutputRun::failStep(const QString& label, const QString& strErrMsg)
{
    basCommon::FncWriteErrLog(m_context, strErrMsg, label);
    if (!m_strWorkDir.isEmpty()) {
        QString ignored;
        removeWorkFolder(ignored);
    }
    m_window.setWaitPointer(false);
    show(BoxKind::Warning, strErrMsg);
}

bool OutputRun::FncChkFile()
{
    const int count = m_window.fileCount();
    if (count == 0) {
        show(BoxKind::Warning, kNoFiles);
        return false;
    }
    bool missing = false;
    for (int i = 0; i < count; ++i) {
        const bool present = platform::fileExists(m_window.filePath(i));
        m_window.setFileSelected(i, !present);
        missing = missing || !present;
    }
    if (missing) {
        show(BoxKind::Warning, kMissingFiles);
        return false;
    }
    // A list from before names were checked on adding: the archiver would
    // fail on such a name, or the receiver could not extract it.
    QString unsupported;
    for (int i = 0; i < count; ++i) {
        const QString message = TargetFileList::unsupportedNameMessage(m_window.filePath(i));
        m_window.setFileSelected(i, !message.isEmpty());
        if (unsupported.isEmpty())
            unsupported = message;
    }
    if (!unsupported.isEmpty()) {
        show(BoxKind::Warning, unsupported);
        return false;
    }
    return checkSizes();
}

bool OutputRun::checkSizes()
{
    QList<qint64> sizes;
    for (int i = 0; i < m_window.fileCount(); ++i)
        sizes.append(QFileInfo(m_window.filePath(i)).size());
    const archivelimits::Verdict verdict = archivelimits::check(sizes);
    if (verdict.ok)
        return true;
    for (int i = 0; i < m_window.fileCount(); ++i)
        m_window.setFileSelected(i, i == verdict.file);
    const QString path = verdict.file >= 0 ? m_window.filePath(verdict.file) : QString();
    show(BoxKind::Warning, archivelimits::message(verdict, path));
    return false;
}

BoxAnswer OutputRun::show(BoxKind kind, const QString& text)
{
    m_window.boxShows();
    return m_context.boxes->show(kind, text);
}

bool OutputRun::removeWorkFolder(QString& strMsg)
{
    const QStringList names = QDir(m_strWorkDir).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::NoSort);
    for (const QString& name : names) {
        if (name == leftovers::kWorkMarker)
            continue;
        if (!basCommon::FncDelPath(platform::joinPath(m_strWorkDir, name), strMsg))
            return false;
        // Removing a large file takes a while.
        m_window.keepPainted();
    }
    return basCommon::FncDelPath(m_strWorkDir, strMsg);
}

void OutputRun::FncClrList()
{
    for (int i = m_window.fileCount() - 1; i >= 0; --i)
        m_window.removeFile(i);
    m_window.focusAddButton();
}

QString OutputRun::setting(const QString& section, const QString& key) const
{
    return clsIniFile().GetValue(m_strIniPath, section, key);
}

QString OutputRun::stagingFolder() const
{
    return platform::joinPath(m_strWorkDir, QStringLiteral("Temp"));
}

QString OutputRun::archivePath() const
{
    return platform::joinPath(m_strWorkDir, QStringLiteral("TEMPU_FILE.cab"));
}
