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

QStringList SettingsWindowFixture::texts() const
{
    QStringList all;
    for (const char* name : kBoxNames)
        all << textOf(name);
    return all;
}

void SettingsWindowFixture::fillValid()
{
    const QStringList values { QStringLiteral("トルメア"), QStringLiteral("A123"), QStringLiteral("secret"),
        QStringLiteral("reply@example.jp"), at(QStringLiteral("output")), at(QStringLiteral("log")),
        at(QStringLiteral("templog")), at(QStringLiteral("work")) };
    for (int i = 0; i < values.size(); ++i)
        setText(kBoxNames[i], values[i]);
}

void SettingsWindowFixture::press(const char* buttonName)
{
    QTest::mouseClick(uitest::child<QPushButton>(*m_window, QString::fromLatin1(buttonName)), Qt::LeftButton);
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
