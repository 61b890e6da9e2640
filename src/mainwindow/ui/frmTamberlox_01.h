#pragma once

#include "common/AppContext.h"
#include "common/ui/UiServices.h"
#include "mainwindow/OutputRun.h"
#include "mainwindow/OutputWindow.h"
#include "mainwindow/TargetFileList.h"

#include <QElapsedTimer>
#include <QWidget>
#include <memory>

class FileDropFilter;
class frmProgress;
class QGroupBox;
class QLabel;
class QListWidget;
class QPushButton;
class WindowMenu;

// The main window: the output button, the list of target files with its add
// and delete buttons, and the window menu. It lives as long as the program;
// closing it ends the program.
class frmTamberlox_01 : public QWidget, public IOutputWindow, private IFileListControl {
    Q_OBJECT
public:
    // context and services must outlive the window; strIniPath is the
    // settings file.
    frmTamberlox_01(const AppContext& context, QString strIniPath, UiServices services,
        QWidget* parent = nullptr);
    ~frmTamberlox_01() override;

    // The load, before the window is shown: offers to create a missing
    // settings file (the settings window, modally), installs the window menu
    // and sets the caption. False when the user declined or the menu could
    // not be installed: the program ends and the window is never shown.
    bool Form_Load();

    // The window's own 16x16 icon, also shown by frmAbout.
    static QIcon programIcon();

    WindowMenu& windowMenu() const { return *m_windowMenu; }
    const OutputRun& outputRun() const { return *m_run; }

    // IOutputWindow
    int fileCount() const override;
    QString filePath(int index) const override;
    void setFileSelected(int index, bool selected) override;
    void removeFile(int index) override;
    void focusAddButton() override;
    void setWaitPointer(bool wait) override;
    std::int32_t hwnd() const override;
    void keepPainted() override;
    void showProgress(RunStage stage, qint64 done, qint64 total) override;
    bool stopRequested() const override;
    void deliveryBegins() override;
    void boxShows() override;

    // A run that lasts this long gets its progress window; a short one never
    // flashes it. Tests show it at once.
    static constexpr int kProgressDelayMs = 500;
    void setProgressDelay(int milliseconds) { m_progressDelayMs = milliseconds; }
    // The progress window of the run going on, or null.
    frmProgress* progressWindow() const { return m_progress.get(); }

protected:
    bool event(QEvent* event) override;
    bool nativeEvent(const QByteArray& eventType, void* message, qintptr* result) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // Layout (frmTamberlox_01Layout.cpp).
    void createControls();
    QPushButton* newButton(QWidget* parent, const QString& name, const QString& caption);
    QLabel* newLabel(QWidget* parent, const QString& name, const QString& caption);

    void Form_Activate();
    void Form_OLEDragDrop(const QStringList& paths);
    void cmdSend_Click();
    void cmdAdd_Click();
    void cmdDelete_Click();
    void lstFile_Click();
    void showSystemCommand(int wParam);
    // Opens the progress window once the run has lasted long enough, then
    // shows the latest progress in it.
    void updateProgress();

    // IFileListControl
    int count() const override;
    QString entry(int index) const override;
    bool isSelected(int index) const override;
    void append(const QString& path) override;
    void remove(int index) override;

    const AppContext& m_context;
    QString m_strIniPath;
    UiServices m_services;
    QPushButton* m_cmdSend = nullptr;
    QGroupBox* m_frame1 = nullptr;
    QPushButton* m_cmdAdd = nullptr;
    QPushButton* m_cmdDelete = nullptr;
    QListWidget* m_lstFile = nullptr;
    TargetFileList m_list;
    std::unique_ptr<OutputRun> m_run;
    WindowMenu* m_windowMenu = nullptr;
    FileDropFilter* m_dropFilter = nullptr;
    bool m_waitPointer = false;
    bool m_running = false;
    // The progress of the run going on.
    std::unique_ptr<frmProgress> m_progress;
    QElapsedTimer m_runClock;
    QElapsedTimer m_lastShown;
    int m_progressDelayMs = kProgressDelayMs;
    RunStage m_stage = RunStage::Preparing;
    qint64 m_done = 0;
    qint64 m_total = 0;
    bool m_deliveryBegun = false;
};
