#pragma once

#include "UiTestSupport.h"

#include "settings/ui/frmIniFile.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using settings::Field;

// A settings window over the temporary tree, opened and activated as its
// callers show it.
class SettingsWindow : public GuiFixture {
protected:
    void open();
    QLineEdit* box(Field field) const;
    void setText(Field field, const QString& text) { box(field)->setText(text); }
    QStringList texts() const;
    void press(const char* name) { QTest::mouseClick(child<QPushButton>(*m_window, name), Qt::LeftButton); }

    std::unique_ptr<frmIniFile> m_window;
};
