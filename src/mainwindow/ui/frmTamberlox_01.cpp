#include "mainwindow/ui/frmTamberlox_01.h"

#include "common/ui/NativeDialogs.h"
#include "common/ui/UiFont.h"
#include "common/ui/frmAbout.h"
#include "mainwindow/ui/FileDropFilter.h"
#include "mainwindow/ui/frmProgress.h"
#include "mainwindow/ui/WindowMenu.h"
#include "platform/FileTests.h"
#include "settings/ui/frmIniFile.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDir>
#include <QGroupBox>
#include <QListWidget>
#include <QPushButton>

#include "mainwindow/ui/tamberlox_icon.xpm"

frmTamberlox_01::frmTamberlox_01(
    const AppContext& context, QString strIniPath, UiServices services, QWidget* parent)
    : QWidget(parent,
        Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint
            | Qt::WindowCloseButtonHint)
    , m_context(context)
    , m_strIniPath(std::move(strIniPath))
    , m_services(services)
    , m_list(*this, *context.boxes)
{
    setObjectName(QStringLiteral("frmTamberlox_01"));
    setWindowTitle(kAppCaption);
    setWindowIcon(programIcon());
    setFont(uifont::windowFont());
    createControls();
    m_run = std::make_unique<OutputRun>(m_context, m_strIniPath, *this);
    m_windowMenu = new WindowMenu(
        *this, [this](int wParam) { showSystemCommand(wParam); }, useSystemDialogs());
    m_dropFilter
        = new FileDropFilter([this](const QStringList& paths) { Form_OLEDragDrop(paths); }, this);
    m_dropFilter->attach(*this);
    connect(m_cmdSend, &QPushButton::clicked, this, &frmTamberlox_01::cmdSend_Click);
    connect(m_cmdAdd, &QPushButton::clicked, this, &frmTamberlox_01::cmdAdd_Click);
    connect(m_cmdDelete, &QPushButton::clicked, this, &frmTamberlox_01::cmdDelete_Click);
    connect(m_lstFile, &QListWidget::itemClicked, this, &frmTamberlox_01::lstFile_Click);
}

frmTamberlox_01::~frmTamberlox_01()
{
    setWaitPointer(false);
}

QIcon frmTamberlox_01::programIcon()
{
    return QIcon(QPixmap(tamberlox_icon_xpm));
}

bool frmTamberlox_01::Form_Load()
{
    if (!platform::fileExists(m_strIniPath)) {
        const BoxAnswer answer = m_context.boxes->show(
            BoxKind::Question, QStringLiteral("設定ファイルを作成しますか？"));
        if (answer != BoxAnswer::Yes)
            return false;
        showSystemCommand(WindowMenu::MENU_ID_SETTING);
    }
    // Without its two entries the program cannot reach its settings: it
    // ends, as when the user declined.
    if (!m_windowMenu->install())
        return false;
    setWindowTitle(kAppCaption);
    return true;
}

bool frmTamberlox_01::event(QEvent* event)
{
    const bool handled = QWidget::event(event);
    if (event->type() == QEvent::WindowActivate)
        Form_Activate();
    return handled;
}

// The system menu's commands; the window's own handling follows.
bool frmTamberlox_01::nativeEvent(const QByteArray& eventType, void* message, qintptr* result)
{
    m_windowMenu->nativeEvent(eventType, message);
    return QWidget::nativeEvent(eventType, message, result);
}

// Every activation: without a settings file the program cannot work.
void frmTamberlox_01::Form_Activate()
{
    if (!platform::fileExists(m_strIniPath))
        close();
}

void frmTamberlox_01::closeEvent(QCloseEvent* event)
{
    // The run is on the stack below this event: it finishes, or stops, first.
    if (m_running) {
        event->ignore();
        return;
    }
    m_windowMenu->remove();
    event->accept();
}

void frmTamberlox_01::showSystemCommand(int wParam)
{
    if (wParam == WindowMenu::MENU_ID_VERSION) {
        frmAbout about(windowIcon(), this);
        m_services.modal.run(about);
    } else if (wParam == WindowMenu::MENU_ID_SETTING) {
        frmIniFile settings(m_context, m_strIniPath, m_services.folderPicker, this);
        m_services.modal.run(settings);
    }
}

void frmTamberlox_01::cmdSend_Click()
{
    m_running = true;
    m_dropFilter->setAccepting(false);
    m_runClock.start();
    m_stage = RunStage::Preparing;
    m_done = m_total = 0;
    m_deliveryBegun = false;
    m_run->cmdSend_Click();
    m_progress.reset();
    m_dropFilter->setAccepting(true);
    m_running = false;
}

// Qt's dialog and drops write "/" everywhere; the list, its messages and the
// logs show paths as the system writes them.
void frmTamberlox_01::cmdAdd_Click()
{
    const std::optional<QString> chosen = m_services.fileOpen.showOpen(this);
    if (chosen)
        m_list.addChosen(QDir::toNativeSeparators(*chosen));
}

void frmTamberlox_01::cmdDelete_Click()
{
    m_list.deleteSelected();
}

void frmTamberlox_01::lstFile_Click()
{
    const QListWidgetItem* current = m_lstFile->currentItem();
    const QString text = current != nullptr ? current->text() : QString();
    // The viewport shows the tooltip where the entries are.
    m_lstFile->setToolTip(text);
    m_lstFile->viewport()->setToolTip(text);
}

void frmTamberlox_01::Form_OLEDragDrop(const QStringList& paths)
{
    // An output run takes no other input.
    if (m_running)
        return;
    QStringList native;
    for (const QString& path : paths)
        native << QDir::toNativeSeparators(path);
    m_list.addDropped(native);
}

int frmTamberlox_01::fileCount() const
{
    return m_lstFile->count();
}

QString frmTamberlox_01::filePath(int index) const
{
    return m_lstFile->item(index)->text();
}

void frmTamberlox_01::setFileSelected(int index, bool selected)
{
    m_lstFile->item(index)->setSelected(selected);
}

void frmTamberlox_01::removeFile(int index)
{
    delete m_lstFile->takeItem(index);
}

void frmTamberlox_01::focusAddButton()
{
    m_cmdAdd->setFocus();
}

void frmTamberlox_01::setWaitPointer(bool wait)
{
    if (wait == m_waitPointer)
        return;
    m_waitPointer = wait;
    if (wait)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else
        QApplication::restoreOverrideCursor();
}

std::int32_t frmTamberlox_01::hwnd() const
{
    return static_cast<std::int32_t>(effectiveWinId());
}

void frmTamberlox_01::keepPainted()
{
    updateProgress();
    // Once the progress window is up it is modal: input reaches only it.
    QCoreApplication::processEvents(m_progress ? QEventLoop::AllEvents : QEventLoop::ExcludeUserInputEvents);
}

void frmTamberlox_01::showProgress(RunStage stage, qint64 done, qint64 total)
{
    const bool changed = stage != m_stage || done == total;
    m_stage = stage;
    m_done = done;
    m_total = total;
    // Five updates a second are enough to see it move.
    if (changed || !m_lastShown.isValid() || m_lastShown.elapsed() >= 100)
        keepPainted();
}

bool frmTamberlox_01::stopRequested() const
{
    return m_progress && m_progress->stopRequested();
}

void frmTamberlox_01::deliveryBegins()
{
    m_deliveryBegun = true;
    if (m_progress)
        m_progress->deliveryBegins();
}

void frmTamberlox_01::boxShows()
{
    // Should the run go on after the box, its window comes back only once
    // the rest has lasted long enough of its own.
    m_progress.reset();
    m_runClock.restart();
}

void frmTamberlox_01::updateProgress()
{
    if (!m_running)
        return;
    if (!m_progress && m_runClock.elapsed() >= m_progressDelayMs) {
        m_progress = std::make_unique<frmProgress>(this);
        if (m_deliveryBegun)
            m_progress->deliveryBegins();
        m_progress->show();
        // The hourglass would hide that "中止" can be pressed.
        if (QApplication::overrideCursor() != nullptr)
            QApplication::changeOverrideCursor(Qt::BusyCursor);
    }
    if (m_progress)
        m_progress->showProgress(m_stage, m_done, m_total);
    m_lastShown.start();
}

int frmTamberlox_01::count() const
{
    return m_lstFile->count();
}

QString frmTamberlox_01::entry(int index) const
{
    return m_lstFile->item(index)->text();
}

bool frmTamberlox_01::isSelected(int index) const
{
    return m_lstFile->item(index)->isSelected();
}

void frmTamberlox_01::append(const QString& path)
{
    m_lstFile->addItem(path);
}

void frmTamberlox_01::remove(int index)
{
    delete m_lstFile->takeItem(index);
}
