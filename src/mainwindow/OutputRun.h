#pragma once

#include "common/AppContext.h"
#include "crypto/clsCryptFile.h"
#include "mainwindow/OutputWindow.h"
#include "mainwindow/RunProgress.h"

#include <QDateTime>

class clsCab32;
#include <QString>

// One output run of the main window: the input check, the nine steps and
// their driver. Each step takes the run's error text and success flag by
// reference: it sets blnOK false on entry and true when all its work is done;
// on failure it leaves its own message, or the description of the failure,
// in strErrMsg unless an earlier message is there. No failure escapes a step.
//
// Every setting is read from strIniPath at the moment a step needs it. The
// window sees the run's progress and may ask it to stop before the delivery
// (IOutputWindow::stopRequested): the run then removes its work folder,
// writes nothing to the output folder, keeps the list and says so.
class OutputRun {
public:
    // context and window must outlive the run; strIniPath is the settings file.
    OutputRun(const AppContext& context, QString strIniPath, IOutputWindow& window);

    // The click on "出力": the whole run, with its boxes and logs.
    void cmdSend_Click();

    // Marks missing entries; shows its own box and returns false when the
    // list is empty or an entry is missing.
    bool FncChkFile();
    void FncCrtWorkSpace(QString& strErrMsg, bool& blnOK);
    void FncMoveFile(QString& strErrMsg, bool& blnOK);
    void FncCrtText(QString& strErrMsg, bool& blnOK);
    void FncCompress(QString& strErrMsg, bool& blnOK);
    void FncFixFileName(const QDateTime& dtmRun, QString& strErrMsg, bool& blnOK);
    void FncEncrypt(QString& strErrMsg, bool& blnOK);
    void FncTamberlox(QString& strErrMsg, bool& blnOK);
    void FncMoveLog(QString& strErrMsg, bool& blnOK);
    void FncCrtLogFile(const QString& strMessage, const QDateTime& dtmRun, QString& strErrMsg,
                       bool& blnOK);
    void FncClrList();

    // The run's work folder and output file name; they keep their values
    // after a run.
    QString strWorkDir() const { return m_strWorkDir; }
    QString strOutFileName() const { return m_strOutFileName; }

private:
    QString setting(const QString& section, const QString& key) const;
    QString stagingFolder() const;
    QString archivePath() const;
    clsCryptFile newCryptFile() const;
    // Runs one step; on failure logs it under label, removes the work folder
    // and shows the message. Returns the step's flag.
    template <typename Step>
    bool runStep(const QString& label, Step step);
    void failStep(const QString& label, const QString& strErrMsg);
    // Every box of the run goes through here, so the progress window goes first.
    BoxAnswer show(BoxKind kind, const QString& text);
    // Removes the work folder, its marker last, so that a run killed
    // meanwhile leaves a folder the next start still knows as its own.
    bool removeWorkFolder(QString& strMsg);
    // The limits of the formats, checked before anything is copied.
    bool checkSizes();
    // The user's stop, seen at a safe point before the delivery: true from
    // then on. The stop itself removes the work folder and says so once.
    bool stopAt();
    void stopRun();
    // Tells the window how far the whole run is.
    void progress(RunStage stage, qint64 doneInStage);
    void archiveInBackground(clsCab32& cab, bool& ok);

    const AppContext& m_context;
    QString m_strIniPath;
    IOutputWindow& m_window;
    QString m_strWorkDir;
    QString m_strOutFileName;
    RunMeter m_meter;
    bool m_stopping = false;
    bool m_delivering = false;
};
