#include "UiTestSupport.h"

#include "SettingsWriter.h"

#include "platform/Folders.h"

#include <QCoreApplication>
#include <QDialog>
#include <QDir>

std::optional<QString> ScriptedDialogs::showOpen(QWidget*)
{
    // Swapped out rather than copied: GCC 12 at -O2 misreads the copy of an
    // optional QString as uninitialised.
    std::optional<QString> answer;
    if (!answers.empty()) {
        answer.swap(answers.front());
        answers.pop_front();
    }
    return answer;
}

int ScriptedDialogs::run(QDialog& dialog)
{
    shown << dialog.objectName();
    activate(dialog);
    if (!scripts.empty()) {
        const auto script = std::move(scripts.front());
        scripts.pop_front();
        script(dialog);
    }
    if (dialog.isVisible())
        dialog.close();
    return dialog.result();
}

void activate(QWidget& window)
{
    window.show();
    window.activateWindow();
    QCoreApplication::processEvents();
}

void GuiFixture::SetUp()
{
    m_context.programFolder = at(QStringLiteral("program"));
    m_context.documentsFolder = at(QStringLiteral("documents"));
    ASSERT_TRUE(QDir().mkpath(m_context.programFolder) && QDir().mkpath(m_context.documentsFolder));
    m_context.boxes = &m_boxes;
    // The components built beside the test programs, and nothing else.
    m_context.components = { platform::programFolder(), false };
}

void GuiFixture::writeValidSettings()
{
    const QString root = m_root.path();
    QString error;
    ASSERT_TRUE(testsupport::writeSettings(iniPath(), m_context.components,
        { "トルメア", "A123", "pass,word1", "reply@example.jp", root, root, root, root }, error)) << error.toStdString();
}
