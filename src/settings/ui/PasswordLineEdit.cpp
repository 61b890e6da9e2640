#include "settings/ui/PasswordLineEdit.h"

TypingLimitValidator::TypingLimitValidator(int maxChars, QObject* parent)
    : QValidator(parent)
    , m_maxChars(maxChars)
{
}

QValidator::State TypingLimitValidator::validate(QString& input, int& pos) const
{
    Q_UNUSED(pos);
    return input.size() > m_maxChars ? Invalid : Acceptable;
}

PasswordLineEdit::PasswordLineEdit(QWidget* parent)
    : QLineEdit(parent)
{
    setEchoMode(QLineEdit::Password);
    // The style sheet sets the style's SH_LineEdit_PasswordCharacter for this
    // box only; Qt's own mask character is a bullet.
    setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));
    setAttribute(Qt::WA_InputMethodEnabled, false);
}

QVariant PasswordLineEdit::inputMethodQuery(Qt::InputMethodQuery query) const
{
    if (query == Qt::ImEnabled)
        return false;
    return QLineEdit::inputMethodQuery(query);
}
