#pragma once

#include "UiTestSupport.h"

#include "settings/SettingsModel.h"
#include "settings/ui/frmIniFile.h"

#include <QLineEdit>
#include <memory>

// The boxes in the order of the fields.
inline constexpr const char* kBoxNames[] = { "txtUHoukoku", "txtUUserId", "txtUPassWord",
    "txtUMailAdress", "txtSOutPut", "txtSLog", "txtSTempLog", "txtSTemp" };

// A settings window over the temporary tree, opened and activated as its
// callers show it.
class SettingsWindowFixture : public GuiFixture {
protected:
    frmIniFile& open();
    QLineEdit* box(const char* name) const;
    QString textOf(const char* name) const { return box(name)->text(); }
    QStringList texts() const;
    void setText(const char* name, const QString& text) { box(name)->setText(text); }
    // Eight values that pass every check.
    void fillValid();
    void press(const char* buttonName);
    // The value stored in the settings file.
    QString stored(settings::Field field) const;
    QString decryptedPassword() const;
    bool focusIn(const char* name) const;

    std::unique_ptr<frmIniFile> m_window;
};
