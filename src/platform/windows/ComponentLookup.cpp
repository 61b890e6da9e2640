#include "platform/ComponentLookup.h"

#include "platform/Cp932.h"
#include "platform/Folders.h"
#include "platform/windows/WideNames.h"

#include <QFileInfo>

#include <windows.h>

namespace platform {

const ComponentName kCab32 { "CAB32.DLL", "cab32.dll" };
const ComponentName kCapicom { "CAPICOM.DLL", "capicom.dll" };

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
    // The system's own search order for a DLL name, as LoadLibrary uses it.
    char found[MAX_PATH];
    char* filePart = nullptr;
    const DWORD n = ::SearchPathA(nullptr, component.dllName, nullptr, MAX_PATH, found, &filePart);
    if (n == 0 || n >= MAX_PATH)
        return QString();
    return fromCp932(QByteArray(found, static_cast<qsizetype>(n)));
}

} // namespace platform
