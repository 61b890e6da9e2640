#include "common/ui/QtDialogs.h"

#include <QDialog>
#include <QApplication>
#include <QFileDialog>
#include <QLibraryInfo>
#include <QTranslator>

QString QtFolderPicker::FncSelectFolder(QObject* owner)
{
    QFileDialog dialog(qobject_cast<QWidget*>(owner), QString::fromUtf16(kFolderDialogTitle));
    dialog.setObjectName(QStringLiteral("folderDialog"));
    dialog.setFileMode(QFileDialog::Directory);
    dialog.setOption(QFileDialog::ShowDirsOnly);
    if (dialog.exec() != QDialog::Accepted)
        return kFolderCancelled;
    // A selection that names no folder gives an empty text, as a failed path
    // conversion did.
    return dialog.selectedFiles().value(0);
}

QtFileOpenDialog::QtFileOpenDialog(QString startFolder)
    : m_folder(std::move(startFolder))
{
}

std::optional<QString> QtFileOpenDialog::showOpen(QWidget* owner)
{
    QFileDialog dialog(owner, QString::fromUtf16(kFileOpenDialogTitle), m_folder);
    dialog.setObjectName(QStringLiteral("fileOpenDialog"));
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFile);
    // The dialog only picks a file; it offers no renaming or deleting.
    dialog.setOption(QFileDialog::ReadOnly);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    m_folder = dialog.directory().absolutePath();
    return dialog.selectedFiles().value(0);
}

int QtModalRunner::run(QDialog& dialog)
{
    return dialog.exec();
}

bool installQtTranslation()
{
    // Lives as long as the application; installed once.
    static QTranslator translator;
    if (!translator.isEmpty())
        return true;
    // The program's own copy first: a packaged program carries it beside
    // itself, where Qt would not look.
    const QString beside = QCoreApplication::applicationDirPath() + QStringLiteral("/translations");
    if (!translator.load(QStringLiteral("qtbase_ja"), beside)
        && !translator.load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        return false;
    return QApplication::installTranslator(&translator);
}
