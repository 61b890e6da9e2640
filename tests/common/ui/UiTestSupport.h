#pragma once

#include "TestSupport.h"

#include "common/AppContext.h"
#include "common/ui/UiServices.h"

#include <QStringList>
#include <QTemporaryDir>
#include <deque>
#include <functional>
#include <gtest/gtest.h>
#include <optional>
#include <vector>

class QDialog;
class QWidget;

// The file-open dialog, answered from a script; no answer left is a cancel.
class ScriptedFileOpenDialog : public IFileOpenDialog {
public:
    std::optional<QString> showOpen(QWidget* owner) override;

    std::deque<std::optional<QString>> answers;
    std::vector<QWidget*> owners;
};

// The folder picker, answered from a script; no answer left is a cancel.
class ScriptedFolderPicker : public IFolderPicker {
public:
    QString FncSelectFolder(QObject* owner) override;

    std::deque<QString> answers;
    std::vector<QObject*> owners;
};

// Shows a modal window without a nested event loop: the window is shown and
// activated, the next script drives it, and a window the script left open is
// closed through its close box. Records the objectName of every window.
class ScriptedModalRunner : public IModalRunner {
public:
    using Script = std::function<void(QDialog&)>;

    int run(QDialog& dialog) override;

    std::deque<Script> scripts;
    QStringList shown;
};

namespace uitest {

// Shows a window if needed, asks for activation and delivers the events
// that follow.
void activate(QWidget& window);

// A drop of local files as a file manager makes it, the paths also offered
// as text; or of text alone. Returns whether the target accepted it.
bool dropFiles(QWidget* target, const QStringList& paths);
bool dropText(QWidget* target, const QString& text);

// The named child, or a test failure.
template <typename Widget> Widget* child(const QObject& parent, const QString& name)
{
    auto* found = parent.findChild<Widget*>(name);
    EXPECT_NE(found, nullptr) << name.toStdString();
    return found;
}

} // namespace uitest

// A temporary tree with the program, documents, report and the four
// settings folders; the context points at it, with recording boxes and the
// components built beside the tests.
class GuiFixture : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    QString at(const QString& relative) const { return m_root.filePath(relative); }
    QString iniPath() const;
    UiServices services() { return { m_fileOpen, m_folderPicker, m_modal }; }
    // The eight settings as the settings window saves them.
    void writeValidSettings();
    QString writeReport(const QString& relativePath);
    // Fills the settings window's user rows with values that pass, and saves.
    static void fillAndSaveSettings(QDialog& window, const QString& password);
    QStringList boxTexts() const;
    // Makes the pass-phrase encryptor component impossible to find.
    void hideComponents();

    QTemporaryDir m_root;
    RecordingMessageBox m_boxes;
    AppContext m_context;
    ScriptedFileOpenDialog m_fileOpen;
    ScriptedFolderPicker m_folderPicker;
    ScriptedModalRunner m_modal;
};
