#pragma once

#include "common/FolderPicker.h"
#include "common/ui/FileOpenDialog.h"
#include "common/ui/ModalRunner.h"

// The real dialogs, over QFileDialog and QDialog::exec. The platform's own
// dialog is used where the desktop offers one.

class QtFolderPicker : public IFolderPicker {
public:
    // Folders only; cancel gives kFolderCancelled. An owner that is not a
    // widget shows the dialog without an owner.
    QString FncSelectFolder(QObject* owner) override;
};

// Opens in startFolder (the user's documents) the first time, then in the
// folder of the last file chosen.
class QtFileOpenDialog : public IFileOpenDialog {
public:
    explicit QtFileOpenDialog(QString startFolder = QString());
    std::optional<QString> showOpen(QWidget* owner) override;

private:
    QString m_folder;
};

// Loads Qt's own Japanese texts (qtbase_ja) for its dialogs and installs them
// on the application; false, and Qt's English, when they are not installed.
bool installQtTranslation();

class QtModalRunner : public IModalRunner {
public:
    int run(QDialog& dialog) override;
};

// Dialog titles, as the user sees them.
inline constexpr char16_t kFolderDialogTitle[] = u"フォルダの選択";
inline constexpr char16_t kFileOpenDialogTitle[] = u"ﾌｧｲﾙを指定";
