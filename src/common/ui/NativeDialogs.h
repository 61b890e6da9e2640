#pragma once

#include "common/FolderPicker.h"
#include "common/MessageBoxes.h"

// The system's own message box and folder dialog, where the program runs on
// a system that has them (Windows) under its own window system; elsewhere the
// Qt faces in QtMessageBox and QtDialogs stand in.

// True when the windows are the system's own, so the boxes, the folder
// dialog and the system menu can be the system's too.
bool useSystemDialogs();

// The system's box with the kind's style value and title, owned by the
// active window. A box that cannot be shown answers No to a question.
class NativeMessageBox : public IMessageBox {
public:
    BoxAnswer show(BoxKind kind, const QString& text) override;
};

// The shell's folder-browse dialog, file-system folders only, titled
// "フォルダの選択".
class NativeFolderPicker : public IFolderPicker {
public:
    QString FncSelectFolder(QObject* owner) override;
};
