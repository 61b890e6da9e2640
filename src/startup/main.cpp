// The program: the real message boxes and dialogs around Main.
#include "common/basCommon.h"
#include "common/ui/NativeDialogs.h"
#include "common/ui/QtDialogs.h"
#include "common/ui/QtMessageBox.h"
#include "common/ui/UiFont.h"
#include "mainwindow/ui/frmTamberlox_01.h"
#include "platform/InstanceLock.h"
#include "startup/basTamberlox_01.h"

#include <QApplication>

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Tamberlox"));
    QApplication::setWindowIcon(frmTamberlox_01::programIcon());
    QApplication::setFont(uifont::windowFont());
    // Qt's own dialogs speak the program's language, whatever the user's
    // locale; without Qt's translations installed they stay English.
    installQtTranslation();

    // The system's own boxes and folder dialog where the windows are the
    // system's; Qt's elsewhere.
    const bool systemDialogs = useSystemDialogs();
    QtMessageBox qtBoxes;
    NativeMessageBox systemBoxes;
    IMessageBox& boxes = systemDialogs ? static_cast<IMessageBox&>(systemBoxes) : qtBoxes;
    const AppContext context = AppContext::forProcess(&boxes);
    platform::InstanceLock instanceLock;
    QtFileOpenDialog fileOpen(basCommon::FncGetSpecialFolder(context, basCommon::kCsidlPersonal));
    QtFolderPicker qtFolderPicker;
    NativeFolderPicker systemFolderPicker;
    IFolderPicker& folderPicker
        = systemDialogs ? static_cast<IFolderPicker&>(systemFolderPicker) : qtFolderPicker;
    QtModalRunner modal;
    const basTamberlox_01::StartupServices services { instanceLock,
        basTamberlox_01::cryptoLayerVersion(), { fileOpen, folderPicker, modal } };
    const std::unique_ptr<frmTamberlox_01> window = basTamberlox_01::Main(context, services);
    if (!window)
        return 0;
    return QApplication::exec();
}
