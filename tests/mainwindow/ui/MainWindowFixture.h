#pragma once

#include "UiTestSupport.h"

#include "mainwindow/ui/frmTamberlox_01.h"

#include <QListWidget>
#include <memory>

class QMenu;

// The main window over the temporary tree: created, loaded with a settings
// file in place, shown and activated.
class MainWindowFixture : public GuiFixture {
protected:
    frmTamberlox_01& create();
    frmTamberlox_01& openLoaded();

    template <typename Widget = QWidget> Widget* control(const char* name) const
    {
        return uitest::child<Widget>(*m_window, QString::fromLatin1(name));
    }
    QListWidget* list() const { return control<QListWidget>("lstFile"); }
    QStringList entries() const;

    // The window menu as a right click on target opens it.
    void rightClick(QWidget* target);
    QMenu* windowMenu() const;
    // Clicks the menu entry with the given objectName.
    void choose(const char* actionName);

    std::unique_ptr<frmTamberlox_01> m_window;
};
