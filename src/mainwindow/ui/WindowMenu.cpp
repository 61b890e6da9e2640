#include "mainwindow/ui/WindowMenu.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QContextMenuEvent>
#include <QMenu>
#include <QShortcut>
#include <QWidget>

WindowMenu::WindowMenu(QWidget& window, CommandHandler handler, bool systemMenu)
    : QObject(&window)
    , m_window(window)
    , m_handler(std::move(handler))
    , m_menu(new QMenu(&window))
    , m_useSystemMenu(systemMenu)
{
    m_menu->setObjectName(QStringLiteral("windowMenu"));
    addCommand(QStringLiteral("actClose"), QStringLiteral("閉じる(&C)\tAlt+F4"), SC_CLOSE);
    m_menu->addSeparator();
    addCommand(QStringLiteral("actVersion"), QStringLiteral("バージョン情報"), MENU_ID_VERSION);
    addCommand(QStringLiteral("actSetting"), QStringLiteral("設定"), MENU_ID_SETTING);
    m_altSpace = newShortcut(QKeySequence(Qt::ALT | Qt::Key_Space));
    m_menuKey = newShortcut(QKeySequence(Qt::Key_Menu));
}

void WindowMenu::addCommand(const QString& name, const QString& text, int wParam)
{
    QAction* action = m_menu->addAction(text);
    action->setObjectName(name);
    connect(action, &QAction::triggered, this, [this, wParam] { WindowProc(wParam); });
}

QShortcut* WindowMenu::newShortcut(const QKeySequence& keys)
{
    auto* shortcut = new QShortcut(keys, &m_window);
    shortcut->setEnabled(false);
    connect(shortcut, &QShortcut::activated, this, &WindowMenu::popupAtWindow);
    return shortcut;
}

bool WindowMenu::install()
{
    if (m_installed)
        return true;
    if (m_useSystemMenu) {
        if (!platform::SystemMenu::append(m_window.winId(),
                { { true, 0, QString() }, { false, MENU_ID_VERSION, QStringLiteral("バージョン情報") },
                    { false, MENU_ID_SETTING, QStringLiteral("設定") } }))
            return false;
    } else {
        m_window.installEventFilter(this);
        m_altSpace->setEnabled(true);
        m_menuKey->setEnabled(true);
    }
    m_installed = true;
    return true;
}

void WindowMenu::remove()
{
    m_window.removeEventFilter(this);
    m_altSpace->setEnabled(false);
    m_menuKey->setEnabled(false);
    m_menu->hide();
    m_installed = false;
}

void WindowMenu::popup(const QPoint& globalPos)
{
    if (m_installed)
        m_menu->popup(globalPos);
}

// Where the system menu opens from the keyboard: the window's top left.
void WindowMenu::popupAtWindow()
{
    popup(m_window.mapToGlobal(QPoint(0, 0)));
}

// The background is the window with its frames and labels; a button or a
// list is a control of its own, even where it lets a right click pass.
bool WindowMenu::isBackground(const QPoint& windowPos) const
{
    for (QWidget* widget = m_window.childAt(windowPos); widget != nullptr && widget != &m_window;
         widget = widget->parentWidget())
        if (qobject_cast<QAbstractButton*>(widget) || qobject_cast<QAbstractItemView*>(widget))
            return false;
    return true;
}

// A right click that no control took, on the window or passed up to it.
bool WindowMenu::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != &m_window || event->type() != QEvent::ContextMenu)
        return false;
    const auto* menuEvent = static_cast<QContextMenuEvent*>(event);
    if (menuEvent->reason() != QContextMenuEvent::Mouse)
        popupAtWindow();
    else if (isBackground(m_window.mapFromGlobal(menuEvent->globalPos())))
        popup(menuEvent->globalPos());
    return true;
}

void WindowMenu::WindowProc(quintptr wParam)
{
    handleCommand(wParam);
    CallWindowProc(wParam);
}

// The system's own handling follows when the window's procedure goes on.
void WindowMenu::nativeEvent(const QByteArray& eventType, const void* message)
{
    if (!m_installed || !m_useSystemMenu)
        return;
    if (const std::optional<quintptr> wParam
        = platform::SystemMenu::commandOf(m_window.winId(), eventType, message))
        handleCommand(*wParam);
}

// Compared whole: no bits of wParam are masked off.
void WindowMenu::handleCommand(quintptr wParam)
{
    if (!m_blnInSysCommand && (wParam == MENU_ID_VERSION || wParam == MENU_ID_SETTING)) {
        m_blnInSysCommand = true;
        m_handler(static_cast<int>(wParam));
        m_blnInSysCommand = false;
    }
}

// The stand-in's standard handling of a system command; the two added ids
// mean nothing to it. The system menu's is the system's own.
void WindowMenu::CallWindowProc(quintptr wParam)
{
    if (wParam == SC_CLOSE)
        m_window.close();
}
