#pragma once

#include <QString>
#include <optional>

class QWidget;

// The file-open dialog of the main window, behind an interface so tests can
// script it.
class IFileOpenDialog {
public:
    virtual ~IFileOpenDialog() = default;
    // Shows the dialog titled "ﾌｧｲﾙを指定" over owner: one existing file, no
    // file-type filter. Returns the chosen path, or nullopt when the user
    // cancelled.
    virtual std::optional<QString> showOpen(QWidget* owner) = 0;
};
