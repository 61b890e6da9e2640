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

// Shows one box of kind, checks it from inside its own event loop and
// presses button.
BoxAnswer showAndPress(BoxKind kind, QMessageBox::StandardButton button, std::function<void(QMessageBox&)> check)
{
    answerNextModal([=](QWidget* modal) {
        auto* box = qobject_cast<QMessageBox*>(modal);
        ASSERT_NE(box, nullptr);
        check(*box);
        box->button(button)->click();
    });
    return QtMessageBox().show(kind, QStringLiteral("一行目\r\n二行目"));
}

// Answers the next file dialog after check, with file selected.
void answerFileDialog(const QString& folder, const QString& file, bool accept, std::function<void(QFileDialog&)> check)
{
    answerNextModal([=](QWidget* modal) {
        auto* dialog = qobject_cast<QFileDialog*>(modal);
        ASSERT_NE(dialog, nullptr);
        check(*dialog);
        dialog->setDirectory(folder);
        dialog->selectFile(file);
        // Through QDialog: QFileDialog::accept is protected.
        static_cast<QDialog*>(dialog)->done(accept ? QDialog::Accepted : QDialog::Rejected);
    });
}

} // namespace

// The active window owns the box; Yes and No are answered, in Japanese.
TEST(QtMessageBoxAdapter, EachKindHasItsButtonsIconTitleAndDefault)
{
    QWidget window;
    const QString caption = QStringLiteral("トルメア暗号化ﾌｧｲﾙ出力");
    const QMessageBox::StandardButtons yesNo = QMessageBox::Yes | QMessageBox::No;
    const std::tuple<BoxKind, QString, QMessageBox::Icon, QMessageBox::StandardButtons> cases[] = {
        { BoxKind::Warning, caption, QMessageBox::Warning, QMessageBox::Ok },
        { BoxKind::Information, caption, QMessageBox::Information, QMessageBox::Ok },
        { BoxKind::Question, caption, QMessageBox::Question, yesNo },
        { BoxKind::Confirmation, QStringLiteral("Tamberlox"), QMessageBox::Information, yesNo },
        { BoxKind::Error, QStringLiteral("Error"), QMessageBox::Critical, QMessageBox::Ok },
        { BoxKind::Plain, QStringLiteral("Tamberlox"), QMessageBox::NoIcon, QMessageBox::Ok },
    };
    for (const auto& [kind, title, icon, buttons] : cases) {
        uitest::activate(window);
        const QMessageBox::StandardButton first = buttons == yesNo ? QMessageBox::Yes : QMessageBox::Ok;
        const BoxAnswer answer = showAndPress(kind, first, [&](QMessageBox& box) {
            EXPECT_EQ(box.windowTitle(), title);
            EXPECT_EQ(box.icon(), icon);
            EXPECT_EQ(box.standardButtons(), buttons);
            EXPECT_EQ(box.standardButton(box.defaultButton()), first);
            EXPECT_EQ(box.text(), QStringLiteral("一行目\n二行目"));
            EXPECT_EQ(box.parentWidget(), &window);
        });
        EXPECT_EQ(answer, buttons == yesNo ? BoxAnswer::Yes : BoxAnswer::Ok) << title.toStdString();
    }
    QStringList captions;
    EXPECT_EQ(showAndPress(BoxKind::Question, QMessageBox::No,
                  [&](QMessageBox& box) {
                      for (QAbstractButton* each : box.buttons())
                          captions << each->text();
                  }),
        BoxAnswer::No);
    EXPECT_TRUE(captions.contains(QStringLiteral("はい(&Y)")) && captions.contains(QStringLiteral("いいえ(&N)")));
}

TEST(QtFileDialogAdapters, ReturnTheChosenFolderOrFileOrTheCancel)
{
    QTemporaryDir root;
    const QString folder = root.filePath(QStringLiteral("報告"));
    const QString file = root.filePath(QStringLiteral("report.xls"));
    ASSERT_TRUE(QDir().mkdir(folder) && testsupport::writeBytes(file, "x"));
    for (const bool accept : { true, false }) {
        answerFileDialog(root.path(), folder, accept, [](QFileDialog& dialog) {
            EXPECT_EQ(dialog.windowTitle(), QStringLiteral("フォルダの選択"));
            EXPECT_EQ(dialog.fileMode(), QFileDialog::Directory);
            EXPECT_TRUE(dialog.testOption(QFileDialog::ShowDirsOnly));
        });
        EXPECT_EQ(QtFolderPicker().FncSelectFolder(nullptr), accept ? folder : QStringLiteral("2"));

        answerFileDialog(root.path(), file, accept, [](QFileDialog& dialog) {
            EXPECT_EQ(dialog.windowTitle(), QStringLiteral("ﾌｧｲﾙを指定"));
            EXPECT_EQ(dialog.fileMode(), QFileDialog::ExistingFile);
            EXPECT_EQ(dialog.acceptMode(), QFileDialog::AcceptOpen);
            // No file-type filter: the one filter shows every file.
            EXPECT_EQ(dialog.nameFilters().size(), 1);
            EXPECT_TRUE(dialog.nameFilters().value(0).contains(QStringLiteral("(*)")));
        });
        EXPECT_EQ(QtFileOpenDialog().showOpen(nullptr), accept ? std::optional(file) : std::nullopt);
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
