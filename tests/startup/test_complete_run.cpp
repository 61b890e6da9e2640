// The whole product through its windows: an empty program folder, the
// settings created at the first start, report files added by the dialog and
// by a drop, "出力", and a file the receiver can open.
#include "startup/basTamberlox_01.h"

#include "Receiver.h"
#include "UiTestSupport.h"

#include "mainwindow/ui/frmTamberlox_01.h"
#include "platform/Cp932.h"
#include "platform/InstanceLock.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QUrl>

namespace {

void fillAndSave(QDialog& window)
{
    const auto set = [&window](const char* name, const QString& text) {
        uitest::child<QLineEdit>(window, QString::fromLatin1(name))->setText(text);
    };
    set("txtUUserId", QStringLiteral("A123"));
    set("txtUPassWord", QStringLiteral("秘密pass"));
    set("txtUMailAdress", QStringLiteral("reply@example.jp"));
    QTest::mouseClick(uitest::child<QPushButton>(window, QStringLiteral("cmdEstablish")),
                      Qt::LeftButton);
}

void dropOn(QWidget* target, const QString& path)
{
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(path)});
    data.setText(path);
    const QPoint pos = target->rect().center();
    QDragEnterEvent enter(pos, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &enter);
    QDropEvent drop(QPointF(pos), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(target, &drop);
    QCoreApplication::processEvents();
}

class CompleteRunTest : public GuiFixture {};

} // namespace

TEST_F(CompleteRunTest, FromAnEmptyProgramFolderToADecryptableOutput)
{
    ASSERT_TRUE(QDir(m_context.programFolder).isEmpty());
    platform::InstanceLock lock(at(QStringLiteral("tamberlox.lock")));
    const basTamberlox_01::StartupServices startup{
        lock, [] { return basTamberlox_01::ProductVersion{6, 0, 0, 0}; }, services()};
    m_boxes.answers = {BoxAnswer::Yes};
    m_modal.scripts.push_back(fillAndSave);

    const auto window = basTamberlox_01::Main(m_context, startup);
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(QFileInfo(iniPath()).isFile());
    uitest::activate(*window);
    ASSERT_TRUE(window->isVisible());

    const QString byDialog = writeReport(QStringLiteral("月報.xls"));
    const QString byDrop = writeReport(QStringLiteral("表示ソフト.csv"));
    m_fileOpen.answers.push_back(byDialog);
    QTest::mouseClick(uitest::child<QPushButton>(*window, QStringLiteral("cmdAdd")), Qt::LeftButton);
    dropOn(uitest::child<QPushButton>(*window, QStringLiteral("cmdSend")), byDrop);
    auto* list = uitest::child<QListWidget>(*window, QStringLiteral("lstFile"));
    ASSERT_EQ(list->count(), 2);

    QTest::mouseClick(uitest::child<QPushButton>(*window, QStringLiteral("cmdSend")), Qt::LeftButton);

    // The defaults put the output into the documents folder.
    const QStringList outputs =
        QDir(at(QStringLiteral("documents"))).entryList({QStringLiteral("TMPA123*.txt")}, QDir::Files);
    ASSERT_EQ(outputs.size(), 1) << boxTexts().join('|').toStdString();
    ASSERT_FALSE(m_boxes.boxes.empty());
    EXPECT_EQ(m_boxes.boxes.back().kind, BoxKind::Information);
    EXPECT_TRUE(m_boxes.boxes.back().text.endsWith(QStringLiteral("出力ﾌｧｲﾙ名は") + outputs[0]
                                                   + QStringLiteral("です。")));
    EXPECT_EQ(list->count(), 0);

    const QByteArray cab = receiver::decrypt(
        testsupport::readBytes(at(QStringLiteral("documents/")) + outputs[0]));
    bool ok = false;
    const auto files = receiver::extract(cab, m_root.path(), ok);
    ASSERT_TRUE(ok);
    EXPECT_EQ(files.keys(), (QStringList{QStringLiteral("MAIN_TEXT.txt"), QStringLiteral("月報.xls"),
                                         QStringLiteral("表示ソフト.csv")}));
    EXPECT_EQ(files.value(QStringLiteral("MAIN_TEXT.txt")),
              platform::toCp932(QStringLiteral("トルメア,A123,秘密pass,reply@example.jp\r\n")));
    EXPECT_EQ(files.value(QStringLiteral("月報.xls")), "report");
}
