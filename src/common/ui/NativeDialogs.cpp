#include "common/ui/NativeDialogs.h"

#include "common/ui/QtDialogs.h"
#include "common/ui/QtMessageBox.h"
#include "platform/NativeUi.h"

#include <QGuiApplication>
#include <QWidget>

bool useSystemDialogs()
{
    return platform::hasNativeUi() && QGuiApplication::platformName() == QLatin1String("windows");
}

BoxAnswer NativeMessageBox::show(BoxKind kind, const QString& text)
{
    const QWidget* owner = QtMessageBox::ownerWindow();
    const int pressed = platform::messageBox(owner != nullptr ? owner->winId() : 0, text,
        boxTitle(kind), static_cast<unsigned>(boxStyle(kind)));
    if (!boxHasYesNo(kind))
        return BoxAnswer::Ok;
    return pressed == platform::kBoxYes ? BoxAnswer::Yes : BoxAnswer::No;
}

QString NativeFolderPicker::FncSelectFolder(QObject* owner)
{
    const auto* widget = qobject_cast<QWidget*>(owner);
    const platform::NativeWindow window = widget != nullptr ? widget->window()->winId() : 0;
    const std::optional<QString> chosen = platform::browseForFolder(
        window, QString::fromUtf16(kFolderDialogTitle), platform::kBrowseFileSystemOnly);
    return chosen ? *chosen : kFolderCancelled;
}
