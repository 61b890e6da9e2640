// The real Qt dialogs behind the interfaces, each answered once from inside
// its own event loop.
#include "UiTestSupport.h"

#include "common/ui/QtDialogs.h"
#include "common/ui/QtMessageBox.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>

namespace {

// Runs answer on the modal window that the next nested event loop shows.
void answerNextModal(std::function<void(QWidget*)> answer)
{
    QTimer::singleShot(
        0, qApp, [answer = std::move(answer)] { answer(QApplication::activeModalWidget()); });
}

struct BoxCase {
    BoxKind kind;
    QString title;
    QMessageBox::Icon icon;
    QMessageBox::StandardButtons buttons;
};

struct SeenBox {
    QString title;
    QString text;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QMessageBox::StandardButtons buttons;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
    QStringList captions;
    QWidget* owner = nullptr;
};

// Shows one box, records what it looked like and presses button.
BoxAnswer showAndPress(BoxKind kind, QMessageBox::StandardButton button, SeenBox& seen)
{
    answerNextModal([&seen, button](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        seen = { box->windowTitle(), box->text(), box->icon(), box->standardButtons(),
            box->standardButton(box->defaultButton()), {}, box->parentWidget() };
        for (QAbstractButton* each : box->buttons())
            seen.captions << each->text();
        box->button(button)->click();
    });
    QtMessageBox boxes;
    return boxes.show(kind, QStringLiteral("一行目\r\n二行目"));
}

} // namespace

TEST(QtMessageBoxAdapter, EachKindHasItsButtonsIconTitleAndDefault)
{
    const QString caption = QStringLiteral("トルメア暗号化ﾌｧｲﾙ出力");
    const QMessageBox::StandardButtons yesNo = QMessageBox::Yes | QMessageBox::No;
    const std::vector<BoxCase> cases {
        { BoxKind::Warning, caption, QMessageBox::Warning, QMessageBox::Ok },
        { BoxKind::Information, caption, QMessageBox::Information, QMessageBox::Ok },
        { BoxKind::Question, caption, QMessageBox::Question, yesNo },
        { BoxKind::Confirmation, QStringLiteral("Tamberlox"), QMessageBox::Information, yesNo },
        { BoxKind::Error, QStringLiteral("Error"), QMessageBox::Critical, QMessageBox::Ok },
        { BoxKind::Plain, QStringLiteral("Tamberlox"), QMessageBox::NoIcon, QMessageBox::Ok },
    };
    for (const BoxCase& expected : cases) {
        const bool yesNoBox = expected.buttons == yesNo;
        SeenBox seen;
        const BoxAnswer answer
            = showAndPress(expected.kind, yesNoBox ? QMessageBox::Yes : QMessageBox::Ok, seen);
        SCOPED_TRACE(expected.title.toStdString());
        EXPECT_EQ(seen.title, expected.title);
        EXPECT_EQ(seen.icon, expected.icon);
        EXPECT_EQ(seen.buttons, expected.buttons);
        EXPECT_EQ(seen.defaultButton, yesNoBox ? QMessageBox::Yes : QMessageBox::Ok);
        EXPECT_EQ(seen.text, QStringLiteral("一行目\n二行目"));
        EXPECT_EQ(answer, yesNoBox ? BoxAnswer::Yes : BoxAnswer::Ok);
    }
}

TEST(QtMessageBoxAdapter, NoIsAnsweredAndCaptionsAreJapanese)
{
    SeenBox seen;
    EXPECT_EQ(showAndPress(BoxKind::Question, QMessageBox::No, seen), BoxAnswer::No);
    EXPECT_TRUE(seen.captions.contains(QStringLiteral("はい(&Y)")));
    EXPECT_TRUE(seen.captions.contains(QStringLiteral("いいえ(&N)")));
}

TEST(QtMessageBoxAdapter, TheActiveWindowOwnsTheBox)
{
    QWidget window;
    uitest::activate(window);
    ASSERT_EQ(QApplication::activeWindow(), &window);
    SeenBox seen;
    showAndPress(BoxKind::Warning, QMessageBox::Ok, seen);
    EXPECT_EQ(seen.owner, &window);
}

TEST(QtFolderPickerAdapter, ReturnsTheChosenFolderOrTheCancelMarker)
{
    QTemporaryDir root;
    ASSERT_TRUE(QDir(root.path()).mkdir(QStringLiteral("報告")));
    const QString folder = root.filePath(QStringLiteral("報告"));
    QtFolderPicker picker;
    for (const bool accept : { true, false }) {
        answerNextModal([&](QWidget* modal) {
            auto* dialog = qobject_cast<QFileDialog*>(modal);
            ASSERT_NE(dialog, nullptr);
            EXPECT_EQ(dialog->windowTitle(), QStringLiteral("フォルダの選択"));
            EXPECT_EQ(dialog->fileMode(), QFileDialog::Directory);
            EXPECT_TRUE(dialog->testOption(QFileDialog::ShowDirsOnly));
            dialog->setDirectory(root.path());
            dialog->selectFile(folder);
            // Through QDialog: QFileDialog::accept is protected.
            static_cast<QDialog*>(dialog)->done(accept ? QDialog::Accepted : QDialog::Rejected);
        });
        EXPECT_EQ(picker.FncSelectFolder(nullptr), accept ? folder : QStringLiteral("2"));
    }
}

TEST(QtFileOpenDialogAdapter, ReturnsOneExistingFileOrNothingOnCancel)
{
    QTemporaryDir root;
    const QString file = root.filePath(QStringLiteral("report.xls"));
    ASSERT_TRUE(testsupport::writeBytes(file, "x"));
    QtFileOpenDialog open;
    for (const bool accept : { true, false }) {
        answerNextModal([&](QWidget* modal) {
            auto* dialog = qobject_cast<QFileDialog*>(modal);
            ASSERT_NE(dialog, nullptr);
            EXPECT_EQ(dialog->windowTitle(), QStringLiteral("ﾌｧｲﾙを指定"));
            EXPECT_EQ(dialog->fileMode(), QFileDialog::ExistingFile);
            EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptOpen);
            // No file-type filter: the one filter shows every file.
            EXPECT_EQ(dialog->nameFilters().size(), 1);
            EXPECT_TRUE(dialog->nameFilters().value(0).contains(QStringLiteral("(*)")));
            dialog->setDirectory(root.path());
            dialog->selectFile(file);
            // Through QDialog: QFileDialog::accept is protected.
            static_cast<QDialog*>(dialog)->done(accept ? QDialog::Accepted : QDialog::Rejected);
        });
        const std::optional<QString> chosen = open.showOpen(nullptr);
        EXPECT_EQ(chosen.has_value(), accept);
        EXPECT_EQ(chosen.value_or(QString()), accept ? file : QString());
    }
}

TEST(QtModalRunnerAdapter, WaitsForTheDialogAndGivesItsResult)
{
    QtModalRunner runner;
    for (const int result : { int(QDialog::Accepted), int(QDialog::Rejected) }) {
        QDialog dialog;
        answerNextModal([&](QWidget* modal) {
            EXPECT_EQ(modal, &dialog);
            dialog.done(result);
        });
        EXPECT_EQ(runner.run(dialog), result);
    }
}
