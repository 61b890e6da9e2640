#include "platform/ComponentLookup.h"

#include "platform/Folders.h"

#include <QFileInfo>

#include <dlfcn.h>

namespace platform {

const ComponentName kCab32{"CAB32.DLL", "libcab32.so"};
const ComponentName kCapicom{"CAPICOM.DLL", "libcapicom.so"};

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
    // The system search order is the dynamic loader's own; asking it is the
    // only faithful way to know whether it would find the library.
    void* handle = ::dlopen(component.fileName, RTLD_LAZY | RTLD_LOCAL);
    if (handle == nullptr)
        return QString();
    ::dlclose(handle);
    return name;
}

} // namespace platform
