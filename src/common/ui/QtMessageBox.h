#pragma once

#include "common/MessageBoxes.h"

class QWidget;

// The message boxes as QMessageBox: buttons, icon, title and default button of
// each kind, modal and owned by the active window (none before the first
// window shows). Texts are shown as plain text; CR LF breaks the line.
class QtMessageBox : public IMessageBox {
public:
    BoxAnswer show(BoxKind kind, const QString& text) override;

    // The window that owns a box shown now: the active modal window, else the
    // active window, else none.
    static QWidget* ownerWindow();
};
