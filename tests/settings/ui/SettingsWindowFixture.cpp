#include "SettingsWindowFixture.h"

#include "crypto/PassPhrase.h"
#include "crypto/clsCryptFile.h"
#include "settings/clsIniFile.h"

#include <QApplication>
#include <QPushButton>
#include <QTest>

frmIniFile& SettingsWindowFixture::open()
{
    m_window = std::make_unique<frmIniFile>(m_context, iniPath(), m_folderPicker);
    uitest::activate(*m_window);
    return *m_window;
}

QLineEdit* SettingsWindowFixture::box(const char* name) const
{
    return uitest::child<QLineEdit>(*m_window, QString::fromLatin1(name));
}

void SettingsWindowFixture::fillValid()
{
    setText("txtUHoukoku", QStringLiteral("トルメア"));
    setText("txtUUserId", QStringLiteral("A123"));
    setText("txtUPassWord", QStringLiteral("secret"));
    setText("txtUMailAdress", QStringLiteral("reply@example.jp"));
    setText("txtSOutPut", at(QStringLiteral("output")));
    setText("txtSLog", at(QStringLiteral("log")));
    setText("txtSTempLog", at(QStringLiteral("templog")));
    setText("txtSTemp", at(QStringLiteral("work")));
}

void SettingsWindowFixture::press(const char* buttonName)
{
    QTest::mouseClick(
        uitest::child<QPushButton>(*m_window, QString::fromLatin1(buttonName)), Qt::LeftButton);
}

QString SettingsWindowFixture::stored(settings::Field field) const
{
    const settings::FieldInfo& info = settings::fieldInfo(field);
    return clsIniFile().GetValue(iniPath(), info.section, info.key);
}

QString SettingsWindowFixture::decryptedPassword() const
{
    clsCryptFile::Environment environment;
    environment.componentLookup = m_context.components;
    clsCryptFile crypt(environment);
    crypt.setInFile(stored(settings::Field::Password));
    crypt.setPassword(passPhrase());
    return crypt.Decrypt(1) ? crypt.OutFile() : QStringLiteral("<not decryptable>");
}

bool SettingsWindowFixture::focusIn(const char* name) const
{
    return QApplication::focusWidget() == box(name);
}
