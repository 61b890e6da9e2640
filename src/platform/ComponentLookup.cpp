#include "platform/ComponentLookup.h"

#include "platform/Folders.h"

#include <QFileInfo>
#include <QLibrary>

namespace platform {

// The system's own search for the component, when it is not beside the
// program: its path, or empty.
QString findOnSystem(const ComponentName& component);

QString ComponentLookup::find(const ComponentName& component) const
{
    const QString name = QString::fromLatin1(component.fileName);
    if (!programFolder.isEmpty()) {
        const QString local = joinPath(programFolder, name);
        if (QFileInfo(local).isFile())
            return local;
    }
    if (!searchSystem)
        return QString();
    return findOnSystem(component);
}

bool loadComponent(
    const ComponentLookup& lookup, const ComponentName& component, QString& path, QString& error)
{
    path = lookup.find(component);
    if (path.isEmpty()) {
        // Where the file is the DLL itself, its name once.
        const QLatin1String dll(component.dllName), file(component.fileName);
        error = dll.compare(file, Qt::CaseInsensitive) == 0
            ? QStringLiteral("%1 が見つかりません。").arg(dll)
            : QStringLiteral("%1 (%2) が見つかりません。").arg(dll, file);
        return false;
    }
    QLibrary library(path);
    if (!library.load()) {
        error = QStringLiteral("%1 を読み込めません。(%2)")
                    .arg(QLatin1String(component.dllName), library.errorString());
        return false;
    }
    return true;
}

void* resolveEntryPoint(
    const QString& path, const ComponentName& component, const char* name, QString& error)
{
    void* entry = reinterpret_cast<void*>(QLibrary::resolve(path, name));
    if (entry == nullptr)
        error = QStringLiteral("%1 に %2 がありません。")
                    .arg(QLatin1String(component.dllName), QLatin1String(name));
    return entry;
}

} // namespace platform
