#include "MainWindowFixture.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QMimeData>

void MainWindowFixture::openLoaded()
{
    writeValidSettings();
    m_window = std::make_unique<frmTamberlox_01>(m_context, iniPath(), services());
    EXPECT_TRUE(m_window->Form_Load());
    activate(*m_window);
}

QStringList MainWindowFixture::entries() const
{
    QStringList texts;
    for (int row = 0; row < list()->count(); ++row)
        texts << list()->item(row)->text();
    return texts;
}

QString MainWindowFixture::writeReport(const QString& name)
{
    EXPECT_TRUE(testsupport::writeBytes(at(QStringLiteral("reports/") + name), "report"));
    return at(QStringLiteral("reports/") + name);
}

bool MainWindowFixture::drop(QWidget* target, const QStringList& paths, bool asFiles, bool proposeMove)
{
    QMimeData data;
    for (const QString& path : asFiles ? paths : QStringList())
        data.setUrls(data.urls() << QUrl::fromLocalFile(path));
    data.setText(paths.join(QLatin1Char('\n')));
    // Shift proposes a move where a move is offered.
    const Qt::DropActions offered = proposeMove ? Qt::CopyAction | Qt::MoveAction : Qt::CopyAction;
    const Qt::KeyboardModifiers keys = proposeMove ? Qt::ShiftModifier : Qt::NoModifier;
    QDragEnterEvent enter(QPoint(1, 1), offered, &data, Qt::LeftButton, keys);
    QApplication::sendEvent(target, &enter);
    QDropEvent dropped(QPointF(1, 1), offered, &data, Qt::LeftButton, keys);
    EXPECT_EQ(dropped.proposedAction(), proposeMove ? Qt::MoveAction : Qt::CopyAction);
    if (enter.isAccepted())
        QApplication::sendEvent(target, &dropped);
    QCoreApplication::processEvents(); // the window takes the files after the drop returned
    return enter.isAccepted() && dropped.isAccepted() && dropped.dropAction() == Qt::CopyAction;
}

QMenu* MainWindowFixture::rightClick(QWidget* target)
{
    QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), target->mapToGlobal(QPoint(5, 5)));
    QApplication::sendEvent(target, &event);
    auto* menu = m_window->findChild<QMenu*>(QStringLiteral("windowMenu"));
    return menu != nullptr && menu->isVisible() ? menu : nullptr;
}
