#include "UiTestSupport.h"

#include "SettingsWriter.h"

#include "platform/Folders.h"
#include "settings/SettingsModel.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QUrl>

std::optional<QString> ScriptedFileOpenDialog::showOpen(QWidget* owner)
{
    owners.push_back(owner);
    if (answers.empty())
        return std::nullopt;
    // Swapped out rather than copied: GCC 12 at -O2 misreads the copy of an
    // optional QString as uninitialised.
    std::optional<QString> answer;
    answer.swap(answers.front());
    answers.pop_front();
    return answer;
}

QString ScriptedFolderPicker::FncSelectFolder(QObject* owner)
{
    owners.push_back(owner);
    if (answers.empty())
        return kFolderCancelled;
    QString answer = answers.front();
    answers.pop_front();
    return answer;
}

int ScriptedModalRunner::run(QDialog& dialog)
{
    shown << dialog.objectName();
    dialog.setWindowModality(Qt::ApplicationModal);
    uitest::activate(dialog);
    if (!scripts.empty()) {
        const Script script = std::move(scripts.front());
        scripts.pop_front();
        script(dialog);
    }
    if (dialog.isVisible())
        dialog.close();
    return dialog.result();
}

namespace uitest {

void activate(QWidget& window)
{
    if (!window.isVisible())
        window.show();
    window.activateWindow();
    QCoreApplication::processEvents();
}

namespace {

bool sendDrop(QWidget* target, QMimeData& data)
{
    const QPoint pos = target->rect().center();
    QDragEnterEvent enter(pos, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    if (!enter.isAccepted())
        return false;
    QDropEvent drop(QPointF(pos), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    // The window takes the files once the drop has returned.
    QCoreApplication::processEvents();
    return drop.isAccepted() && drop.dropAction() == Qt::CopyAction;
}

} // namespace

bool dropFiles(QWidget* target, const QStringList& paths)
{
    QMimeData data;
    QList<QUrl> urls;
    for (const QString& path : paths)
        urls << QUrl::fromLocalFile(path);
    data.setUrls(urls);
    data.setText(paths.join(QLatin1Char('\n')));
    return sendDrop(target, data);
}

bool dropText(QWidget* target, const QString& text)
{
    QMimeData data;
    data.setText(text);
    return sendDrop(target, data);
}

} // namespace uitest

void GuiFixture::SetUp()
{
    ASSERT_TRUE(m_root.isValid());
    for (const char* folder :
        { "program", "documents", "reports", "output", "log", "templog", "work" })
        ASSERT_TRUE(QDir().mkpath(at(QString::fromLatin1(folder))));
    m_context.programFolder = at(QStringLiteral("program"));
    m_context.documentsFolder = at(QStringLiteral("documents"));
    m_context.boxes = &m_boxes;
    // The components built beside the test programs, and nothing else.
    m_context.components.programFolder = platform::programFolder();
    m_context.components.searchSystem = false;
}

void GuiFixture::TearDown()
{
    // No window of one test may linger into the next.
    for (QWidget* window : QApplication::topLevelWidgets())
        window->hide();
    QCoreApplication::processEvents();
}

QString GuiFixture::iniPath() const
{
    return settings::iniPath(m_context.programFolder);
}

void GuiFixture::writeValidSettings()
{
    QString error;
    ASSERT_TRUE(testsupport::writeSettings(iniPath(), m_context.components,
        { QStringLiteral("トルメア"), QStringLiteral("A123"), QStringLiteral("pass,word1"),
            QStringLiteral("reply@example.jp"), at(QStringLiteral("output")),
            at(QStringLiteral("log")), at(QStringLiteral("templog")), at(QStringLiteral("work")) },
        error))
        << error.toStdString();
}

QString GuiFixture::writeReport(const QString& relativePath)
{
    const QString path = at(QStringLiteral("reports/") + relativePath);
    EXPECT_TRUE(testsupport::writeBytes(path, QByteArrayLiteral("report")));
    return path;
}

void GuiFixture::fillAndSaveSettings(QDialog& window, const QString& password)
{
    const std::pair<const char*, QString> rows[] = { { "txtUUserId", QStringLiteral("A123") },
        { "txtUPassWord", password }, { "txtUMailAdress", QStringLiteral("reply@example.jp") } };
    for (const auto& [name, text] : rows)
        uitest::child<QLineEdit>(window, QString::fromLatin1(name))->setText(text);
    QTest::mouseClick(uitest::child<QPushButton>(window, QStringLiteral("cmdEstablish")), Qt::LeftButton);
}

QStringList GuiFixture::boxTexts() const
{
    QStringList texts;
    for (const RecordingMessageBox::Box& box : m_boxes.boxes)
        texts << box.text;
    return texts;
}

void GuiFixture::hideComponents()
{
    m_context.components.programFolder = at(QStringLiteral("program"));
    m_context.components.searchSystem = false;
}
