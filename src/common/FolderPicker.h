#pragma once

#include <QString>

class QObject;

// The marker FncSelectFolder returns when the user cancels.
inline const QString kFolderCancelled = QStringLiteral("2");

// The folder-browse dialog, behind an interface so tests can script it. The
// windows provide the Qt implementation.
class IFolderPicker {
public:
    virtual ~IFolderPicker() = default;
    // Shows the dialog titled "フォルダの選択" over owner; returns the chosen
    // folder's full path, or kFolderCancelled.
    virtual QString FncSelectFolder(QObject* owner) = 0;
};
