#include "SettingsWindowFixture.h"

void SettingsWindow::open()
{
    m_window = std::make_unique<frmIniFile>(m_context, iniPath(), m_dialogs);
    activate(*m_window);
}

QLineEdit* SettingsWindow::box(Field field) const
{
    const char* names[] = { "txtUHoukoku", "txtUUserId", "txtUPassWord", "txtUMailAdress", "txtSOutPut", "txtSLog",
        "txtSTempLog", "txtSTemp" };
    return child<QLineEdit>(*m_window, QString::fromLatin1(names[static_cast<int>(field)]));
}

QStringList SettingsWindow::texts() const
{
    QStringList all;
    for (Field field : settings::kFields)
        all << box(field)->text();
    return all;
}
