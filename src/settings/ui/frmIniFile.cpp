#include "settings/ui/frmIniFile.h"

#include "common/ui/UiFont.h"
#include "crypto/PassPhrase.h"
#include "crypto/clsCryptFile.h"
#include "platform/FileTests.h"
#include "settings/clsIniFile.h"

#include <QEvent>
#include <QKeyEvent>
#include <QFile>
#include <QLineEdit>

using settings::Field;

namespace {

const QString kFillFromFileFailed = QStringLiteral("INIﾌｧｲﾙを取得中にｴﾗｰが発生しました。");
const QString kFillDefaultsFailed = QStringLiteral("初期画面を設定中にｴﾗｰが発生しました。");

clsCryptFile newCryptFile(const AppContext& context, const QString& inFile)
{
    clsCryptFile::Environment environment;
    environment.componentLookup = context.components;
    clsCryptFile crypt(environment);
    crypt.setInFile(inFile);
    crypt.setPassword(passPhrase());
    return crypt;
}

} // namespace

frmIniFile::frmIniFile(
    const AppContext& context, QString strIniPath, IFolderPicker& folderPicker, QWidget* parent)
    : QDialog(parent,
        Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint)
    , m_context(context)
    , m_strIniPath(std::move(strIniPath))
    , m_folderPicker(folderPicker)
{
    setObjectName(QStringLiteral("frmIniFile"));
    setWindowTitle(QStringLiteral("トルメアﾌｧｲﾙ出力設定"));
    setFont(uifont::windowFont());
    createControls();
}

bool frmIniFile::event(QEvent* event)
{
    const bool handled = QDialog::event(event);
    if (event->type() == QEvent::WindowActivate && !m_blnActivated)
        Form_Activate();
    return handled;
}

void frmIniFile::keyPressEvent(QKeyEvent* event)
{
    // QDialog would reject() on Esc and drop everything typed.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void frmIniFile::Form_Activate()
{
    // Set before any box: closing a box activates the window again.
    m_blnActivated = true;
    m_blnNewFile = !platform::fileExists(m_strIniPath);
    if (m_blnNewFile) {
        if (!FncSetDisp(0))
            warn(kFillDefaultsFailed);
    } else if (!FncSetDisp(1)) {
        warn(kFillFromFileFailed);
    }
}

bool frmIniFile::FncSetDisp(short iMode)
{
    for (QLineEdit* textBox : m_boxes)
        textBox->clear();
    if (iMode == 1)
        return fillFromFile();
    if (iMode == 0)
        for (Field field : settings::kFields)
            box(field)->setText(settings::defaultValue(field, m_context));
    return true;
}

// A stored password that cannot be deciphered stops the filling: only the
// report ID and the user ID are shown then.
bool frmIniFile::fillFromFile()
{
    const clsIniFile ini;
    const auto stored = [&](Field field) {
        const settings::FieldInfo& info = settings::fieldInfo(field);
        return ini.GetValue(m_strIniPath, info.section, info.key);
    };
    box(Field::Houkoku)->setText(stored(Field::Houkoku));
    box(Field::UserId)->setText(stored(Field::UserId));
    clsCryptFile crypt = newCryptFile(m_context, stored(Field::Password));
    if (!crypt.Decrypt(1))
        return false;
    box(Field::Password)->setText(crypt.OutFile());
    for (Field field :
        { Field::MailAdress, Field::Output, Field::Log, Field::TempLog, Field::Temp })
        box(field)->setText(stored(field));
    return true;
}

bool frmIniFile::FncChkInput()
{
    std::array<QString, settings::kFieldCount> values;
    for (Field field : settings::kFields)
        values[static_cast<size_t>(field)] = text(field);
    settings::CheckResult result = settings::checkValues(values);
    if (result.ok) {
        // Enciphered here, so that a password whose stored form could not be
        // read back whole is refused before anything is written.
        QString strErrMsg;
        if (!encryptPassword(text(Field::Password), m_strStoredPassword, strErrMsg)) {
            warn(strErrMsg);
            return false;
        }
        result = settings::checkStoredPassword(m_strStoredPassword);
        if (result.ok)
            return true;
    }
    warn(result.message);
    box(result.field)->setFocus();
    return false;
}

// Writes the values key by key in the order of the fields; the first write
// that fails stops the rest.
bool frmIniFile::FncWriteIni()
{
    clsIniFile ini;
    ini.setPathIniFile(m_strIniPath);
    for (Field field : settings::kFields) {
        const QString strValue = field == Field::Password ? m_strStoredPassword : text(field);
        const settings::FieldInfo& info = settings::fieldInfo(field);
        ini.setSection(info.section);
        ini.setKey(info.key);
        if (!ini.WriteValue(strValue)) {
            failSave(ini.GetErrMessage());
            return false;
        }
    }
    return true;
}

// The enciphered text comes in lines; the settings file keeps it on one.
bool frmIniFile::encryptPassword(const QString& strValue, QString& strStored, QString& strErrMsg) const
{
    clsCryptFile crypt = newCryptFile(m_context, strValue);
    if (!crypt.Encrypt(1)) {
        strErrMsg = crypt.GetErrMsg();
        return false;
    }
    strStored = crypt.OutFile().remove(QStringLiteral("\r\n"));
    return true;
}

void frmIniFile::failSave(const QString& strErrMsg)
{
    warn(strErrMsg);
    if (m_blnNewFile && platform::fileExists(m_strIniPath))
        QFile::remove(m_strIniPath);
}

void frmIniFile::cmdEstablish_Click()
{
    if (FncChkInput() && FncWriteIni())
        accept();
}

void frmIniFile::cmdDialog_Click(int index)
{
    QString strFolder = m_folderPicker.FncSelectFolder(this);
    strFolder.remove(QChar(u'\0'));
    if (strFolder == kFolderCancelled)
        return;
    box(static_cast<Field>(static_cast<int>(Field::Output) + index))->setText(strFolder);
}

QLineEdit* frmIniFile::box(Field field) const
{
    return m_boxes[static_cast<size_t>(field)];
}

QString frmIniFile::text(Field field) const
{
    return box(field)->text();
}

void frmIniFile::warn(const QString& text) const
{
    m_context.boxes->show(BoxKind::Warning, text);
}
