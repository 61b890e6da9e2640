#pragma once

#include "UiTestSupport.h"

#include "mainwindow/ui/frmTamberlox_01.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDir>
#include <QListWidget>
#include <QMenu>
#include <QMimeData>

// The main window over the temporary tree, loaded with a settings file in
// place, shown and activated.
class MainWindowFixture : public GuiFixture {
protected:
    void openLoaded()
    {
        writeValidSettings();
        m_window = std::make_unique<frmTamberlox_01>(m_context, iniPath(), services());
        EXPECT_TRUE(m_window->Form_Load());
        activate(*m_window);
    }
    template <typename Widget = QWidget> Widget* control(const char* name) const
    {
        return child<Widget>(*m_window, QString::fromLatin1(name));
    }
    QListWidget* list() const { return control<QListWidget>("lstFile"); }
    QStringList entries() const
    {
        QStringList texts;
        for (int row = 0; row < list()->count(); ++row)
            texts << list()->item(row)->text();
        return texts;
    }
    static QStringList native(const QStringList& paths)
    {
        QStringList result;
        for (const QString& path : paths)
            result << QDir::toNativeSeparators(path);
        return result;
    }
    QString writeReport(const QString& name)
    {
        EXPECT_TRUE(testsupport::writeBytes(at(QStringLiteral("reports/") + name), "report"));
        return at(QStringLiteral("reports/") + name);
    }
    // A drop of local files as a file manager makes it (the paths also
    // offered as text), or of the text alone, offering copy, or copy and
    // move with move proposed (Shift). Whether the target took it as a copy.
    bool drop(QWidget* target, const QStringList& paths, bool asFiles = true, bool proposeMove = false)
    {
        QMimeData data;
        for (const QString& path : asFiles ? paths : QStringList())
            data.setUrls(data.urls() << QUrl::fromLocalFile(path));
        data.setText(paths.join(QLatin1Char('\n')));
        const Qt::DropActions offered = proposeMove ? Qt::CopyAction | Qt::MoveAction : Qt::CopyAction;
        const Qt::KeyboardModifiers keys = proposeMove ? Qt::ShiftModifier : Qt::NoModifier;
        QDragEnterEvent enter(QPoint(1, 1), offered, &data, Qt::LeftButton, keys);
        QApplication::sendEvent(target, &enter);
        QDropEvent dropped(QPointF(1, 1), offered, &data, Qt::LeftButton, keys);
        if (enter.isAccepted())
            QApplication::sendEvent(target, &dropped);
        QCoreApplication::processEvents(); // the window takes the files after the drop returned
        return enter.isAccepted() && dropped.isAccepted() && dropped.dropAction() == Qt::CopyAction;
    }
    // The window menu opened by a right click on target, or null.
    QMenu* rightClick(QWidget* target)
    {
        QContextMenuEvent event(QContextMenuEvent::Mouse, QPoint(5, 5), target->mapToGlobal(QPoint(5, 5)));
        QApplication::sendEvent(target, &event);
        auto* menu = m_window->findChild<QMenu*>(QStringLiteral("windowMenu"));
        return menu != nullptr && menu->isVisible() ? menu : nullptr;
    }

    std::unique_ptr<frmTamberlox_01> m_window;
};
