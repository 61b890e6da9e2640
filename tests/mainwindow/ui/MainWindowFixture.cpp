#include "MainWindowFixture.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QMimeData>
#include <QTest>
#include <QUrl>

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

namespace {

bool sendDrop(QWidget* target, QMimeData& data)
{
    const QPoint pos = target->rect().center();
    QDragEnterEvent enter(pos, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    if (!enter.isAccepted())
        return false;
    QDropEvent drop(QPointF(pos), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    // The window takes the files once the drop has returned.
    QCoreApplication::processEvents();
    return drop.isAccepted() && drop.dropAction() == Qt::CopyAction;
}

} // namespace

bool MainWindowFixture::dropFiles(QWidget* target, const QStringList& paths)
{
    QMimeData data;
    QList<QUrl> urls;
    for (const QString& path : paths)
        urls << QUrl::fromLocalFile(path);
    data.setUrls(urls);
    data.setText(paths.join(QLatin1Char('\n')));
    return sendDrop(target, data);
}

bool MainWindowFixture::dropText(QWidget* target, const QString& text)
{
    QMimeData data;
    data.setText(text);
    return sendDrop(target, data);
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
