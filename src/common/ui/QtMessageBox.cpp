#include "common/ui/QtMessageBox.h"

#include <QApplication>
#include <QFontMetrics>
#include <QGridLayout>
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

// A short text makes a box narrower than its title, which the window
// manager then cuts ("トルメア…ﾌｧｲﾙ出力"). QMessageBox sizes itself, so the
// width goes in as a spacer: the title in a bold face, plus room for the
// title bar's icon and buttons.
void keepTitleWhole(QMessageBox& box)
{
    QFont bold = box.font();
    bold.setBold(true);
    const int width = QFontMetrics(bold).horizontalAdvance(box.windowTitle()) + 120;
    if (auto* grid = qobject_cast<QGridLayout*>(box.layout()))
        grid->addItem(new QSpacerItem(width, 0, QSizePolicy::Minimum, QSizePolicy::Minimum), grid->rowCount(), 0, 1,
                      grid->columnCount());
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
    keepTitleWhole(box);
    const int pressed = box.exec();
    if (!boxHasYesNo(kind))
        return BoxAnswer::Ok;
    return pressed == QMessageBox::Yes ? BoxAnswer::Yes : BoxAnswer::No;
}
