#include "MainWindowFixture.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QTest>

frmTamberlox_01& MainWindowFixture::create()
{
    m_window = std::make_unique<frmTamberlox_01>(m_context, iniPath(), services());
    return *m_window;
}

frmTamberlox_01& MainWindowFixture::openLoaded()
{
    writeValidSettings();
    create();
    EXPECT_TRUE(m_window->Form_Load());
    uitest::activate(*m_window);
    return *m_window;
}

QStringList MainWindowFixture::entries() const
{
    QStringList texts;
    for (int row = 0; row < list()->count(); ++row)
        texts << list()->item(row)->text();
    return texts;
}

void MainWindowFixture::rightClick(QWidget* target)
{
    const QPoint pos(5, 5);
    QContextMenuEvent event(QContextMenuEvent::Mouse, pos, target->mapToGlobal(pos));
    QApplication::sendEvent(target, &event);
}

QMenu* MainWindowFixture::windowMenu() const
{
    return m_window->findChild<QMenu*>(QStringLiteral("windowMenu"));
}

void MainWindowFixture::choose(const char* actionName)
{
    QMenu* menu = windowMenu();
    ASSERT_TRUE(menu != nullptr && menu->isVisible());
    auto* action = menu->findChild<QAction*>(QString::fromLatin1(actionName));
    ASSERT_NE(action, nullptr);
    QTest::mouseClick(menu, Qt::LeftButton, {}, menu->actionGeometry(action).center());
}
