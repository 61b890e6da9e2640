#pragma once

#include "TestSupport.h"

#include "common/AppContext.h"
#include "common/ui/UiServices.h"
#include "settings/SettingsModel.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

// The file and folder dialogs answer from one script (nullopt or no answer
// left is a cancel). A modal window is shown without a nested event loop:
// the next script drives it, and one it left open is closed by its close box.
class ScriptedDialogs : public IFileOpenDialog, public IFolderPicker, public IModalRunner {
public:
    std::optional<QString> showOpen(QWidget* owner) override;
    QString FncSelectFolder(QObject*) override { return showOpen(nullptr).value_or(kFolderCancelled); }
    int run(QDialog& dialog) override;

    std::deque<std::optional<QString>> answers;
    std::deque<std::function<void(QDialog&)>> scripts;
    QStringList shown; // objectName of every modal window
};

// Shows a window, activates it and delivers the events that follow.
void activate(QWidget& window);

// The named child, or a test failure.
template <typename Widget> Widget* child(const QObject& parent, const QString& name)
{
    auto* found = parent.findChild<Widget*>(name);
    EXPECT_NE(found, nullptr) << name.toStdString();
    return found;
}

// A temporary tree with the program and documents folders; the context
// points at it, with recording boxes and the components built beside the
// tests.
class GuiFixture : public ::testing::Test {
protected:
    void SetUp() override;

    QString at(const QString& relative) const { return m_root.filePath(relative); }
    QString iniPath() const { return settings::iniPath(m_context.programFolder); }
    UiServices services() { return { m_dialogs, m_dialogs, m_dialogs }; }
    // Eight values that pass every check, saved as the settings window does.
    void writeValidSettings();
    QStringList boxTexts() const { return m_boxes.texts(); }

    QTemporaryDir m_root;
    RecordingMessageBox m_boxes;
    AppContext m_context;
    ScriptedDialogs m_dialogs;
};
