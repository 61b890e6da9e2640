#pragma once

#include "UiTestSupport.h"

#include "mainwindow/ui/frmTamberlox_01.h"

#include <QListWidget>
#include <QMenu>

// The main window over the temporary tree, loaded with a settings file in
// place, shown and activated.
class MainWindowFixture : public GuiFixture {
protected:
    void openLoaded();

    template <typename Widget = QWidget> Widget* control(const char* name) const
    {
        return child<Widget>(*m_window, QString::fromLatin1(name));
    }
    QListWidget* list() const { return control<QListWidget>("lstFile"); }
    QStringList entries() const;
    QString writeReport(const QString& name);
    // A drop of local files as a file manager makes it (the paths also
    // offered as text), or of the text alone, offering copy, or copy and
    // move with move proposed. Whether the target took it as a copy.
    bool drop(QWidget* target, const QStringList& paths, bool asFiles = true, bool proposeMove = false);
    // The window menu opened by a right click on target, or null.
    QMenu* rightClick(QWidget* target);

    std::unique_ptr<frmTamberlox_01> m_window;
};
