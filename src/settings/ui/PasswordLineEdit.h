#pragma once

#include <QLineEdit>
#include <QValidator>

// A text box that stops typing at a number of characters but, unlike
// QLineEdit::setMaxLength, keeps a longer text set by the program (a folder
// chosen in the dialog), so the byte-limit check still sees it.
class TypingLimitValidator : public QValidator {
public:
    TypingLimitValidator(int maxChars, QObject* parent);
    State validate(QString& input, int& pos) const override;

private:
    int m_maxChars;
};

// The password box: every character shows as "*", and input methods are off.
// Qt asks the widget itself whether input methods apply (Qt::ImEnabled);
// QLineEdit answers yes even with WA_InputMethodEnabled cleared, so this
// box answers no.
class PasswordLineEdit : public QLineEdit {
    Q_OBJECT
public:
    explicit PasswordLineEdit(QWidget* parent = nullptr);

    using QLineEdit::inputMethodQuery;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;
};
