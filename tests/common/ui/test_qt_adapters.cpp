// The real Qt dialogs behind the interfaces, each answered from inside its
// own event loop: one check each that titles and buttons are wired.
#include "UiTestSupport.h"

#include "common/ui/QtDialogs.h"
#include "common/ui/QtMessageBox.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

// The button pressed is the default (Yes or OK; Enter presses it) or No,
// each with its Japanese caption; CR LF breaks the line.
TEST(QtMessageBoxAdapter, EachKindHasItsTitleAndButtons)
{
    const QString caption = QStringLiteral("トルメア暗号化ﾌｧｲﾙ出力");
    const std::tuple<BoxKind, QString, QString, BoxAnswer> cases[] = {
        { BoxKind::Warning, caption, "OK", BoxAnswer::Ok }, { BoxKind::Information, caption, "OK", BoxAnswer::Ok },
        { BoxKind::Question, caption, "いいえ(&N)", BoxAnswer::No }, { BoxKind::Confirmation, "Tamberlox", "はい(&Y)", BoxAnswer::Yes },
        { BoxKind::Error, "Error", "OK", BoxAnswer::Ok }, { BoxKind::Plain, "Tamberlox", "OK", BoxAnswer::Ok } };
    for (const auto& [kind, title, pressed, answer] : cases) {
        SCOPED_TRACE(int(kind));
        QTimer::singleShot(0, qApp, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            EXPECT_EQ(box->windowTitle(), title);
            EXPECT_EQ(box->text(), QStringLiteral("一行目\n二行目"));
            EXPECT_EQ(box->buttons().size(), box->button(QMessageBox::Ok) ? 1 : 2);
            QAbstractButton* button = answer == BoxAnswer::No ? box->button(QMessageBox::No) : box->defaultButton();
            EXPECT_EQ(button->text(), pressed);
            button->click();
        });
        EXPECT_EQ(QtMessageBox().show(kind, QStringLiteral("一行目\r\n二行目")), answer);
    }
}

// With Qt's Japanese texts installed (qt6-translations-l10n) the dialog's own
// labels are Japanese; it opens in the documents folder, then where the
// user last chose a file.
TEST(QtFileDialogAdapters, GiveTheChosenFileOrTheCancelMarker)
{
    ASSERT_TRUE(installQtTranslation());
    const QString file = QCoreApplication::applicationFilePath(), documents = QDir::homePath();
    QtFileOpenDialog fileOpen(documents);
    for (const QString& startFolder : { documents, QCoreApplication::applicationDirPath() }) {
        QTimer::singleShot(0, qApp, [&] {
            auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            EXPECT_EQ(dialog->windowTitle(), QStringLiteral("ﾌｧｲﾙを指定"));
            EXPECT_EQ(dialog->directory().absolutePath(), startFolder);
            const QString lookIn = dialog->findChild<QLabel*>(QStringLiteral("lookInLabel"))->text();
            EXPECT_NE(lookIn.toLatin1(), lookIn.toUtf8()) << "not Japanese: " << lookIn.toStdString();
            dialog->selectFile(file);
            static_cast<QDialog*>(dialog)->accept(); // QFileDialog::accept is protected
        });
        EXPECT_EQ(fileOpen.showOpen(nullptr), std::optional(file));
    }
    QTimer::singleShot(0, qApp, [] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        EXPECT_EQ(dialog->windowTitle(), QStringLiteral("フォルダの選択"));
        dialog->reject();
    });
    EXPECT_EQ(QtFolderPicker().FncSelectFolder(nullptr), kFolderCancelled);
}
