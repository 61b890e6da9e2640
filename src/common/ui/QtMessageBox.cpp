#include "common/ui/QtMessageBox.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace {

QMessageBox::Icon iconOf(BoxKind kind)
{
    switch (kind) {
    case BoxKind::Warning:
        return QMessageBox::Warning;
    case BoxKind::Information:
    case BoxKind::Confirmation:
        return QMessageBox::Information;
    case BoxKind::Question:
        return QMessageBox::Question;
    case BoxKind::Error:
        return QMessageBox::Critical;
    case BoxKind::Plain:
        return QMessageBox::NoIcon;
    }
    return QMessageBox::NoIcon;
}

// The Japanese system's own button captions, whatever Qt's translation, and
// no button icons.
void addButton(QMessageBox& box, QMessageBox::StandardButton which, const QString& caption)
{
    QPushButton* button = box.addButton(which);
    button->setText(caption);
    button->setIcon(QIcon());
}

void addButtons(QMessageBox& box, BoxKind kind)
{
    if (boxHasYesNo(kind)) {
        addButton(box, QMessageBox::Yes, QStringLiteral("はい(&Y)"));
        addButton(box, QMessageBox::No, QStringLiteral("いいえ(&N)"));
        box.setDefaultButton(QMessageBox::Yes);
    } else {
        addButton(box, QMessageBox::Ok, QStringLiteral("OK"));
        box.setDefaultButton(QMessageBox::Ok);
    }
}

} // namespace

QWidget* QtMessageBox::ownerWindow()
{
    if (QWidget* modal = QApplication::activeModalWidget())
        return modal;
    return QApplication::activeWindow();
}

BoxAnswer QtMessageBox::show(BoxKind kind, const QString& text)
{
    QMessageBox box(ownerWindow());
    box.setObjectName(QStringLiteral("messageBox"));
    box.setWindowTitle(boxTitle(kind));
    box.setIcon(iconOf(kind));
    box.setTextFormat(Qt::PlainText);
    QString shown = text;
    box.setText(shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    addButtons(box, kind);
    const int pressed = box.exec();
    if (!boxHasYesNo(kind))
        return BoxAnswer::Ok;
    return pressed == QMessageBox::Yes ? BoxAnswer::Yes : BoxAnswer::No;
}
