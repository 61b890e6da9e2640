// The program: the real message boxes and dialogs around Main.
#include "common/ui/QtDialogs.h"
#include "common/ui/QtMessageBox.h"
#include "common/ui/UiFont.h"
#include "mainwindow/ui/frmTamberlox_01.h"
#include "platform/InstanceLock.h"
#include "startup/basTamberlox_01.h"

#include <QApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace {

// Qt's own dialogs speak the program's language, whatever the user's locale.
void installQtTranslation(QTranslator& translator)
{
    if (translator.load(
            QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&translator);
}

} // namespace

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tamberlox"));
    QApplication::setWindowIcon(frmTamberlox_01::programIcon());
    QApplication::setFont(uifont::windowFont());
    QTranslator translator;
    installQtTranslation(translator);

    QtMessageBox boxes;
    const AppContext context = AppContext::forProcess(&boxes);
    platform::InstanceLock instanceLock;
    QtFileOpenDialog fileOpen;
    QtFolderPicker folderPicker;
    QtModalRunner modal;
    const basTamberlox_01::StartupServices services { instanceLock,
        basTamberlox_01::cryptoLayerVersion(), { fileOpen, folderPicker, modal } };
    const std::unique_ptr<frmTamberlox_01> window = basTamberlox_01::Main(context, services);
    if (!window)
        return 0;
    return QApplication::exec();
}
