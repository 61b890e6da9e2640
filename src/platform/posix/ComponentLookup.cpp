#include "platform/ComponentLookup.h"

#include <dlfcn.h>

namespace platform {

const ComponentName kCab32{"CAB32.DLL", "libcab32.so"};
const ComponentName kCapicom{"CAPICOM.DLL", "libcapicom.so"};

QString findOnSystem(const ComponentName& component)
{
    // The system search order is the dynamic loader's own; asking it is the
    // only faithful way to know whether it would find the library.
    void* handle = ::dlopen(component.fileName, RTLD_LAZY | RTLD_LOCAL);
    if (handle == nullptr)
        return QString();
    ::dlclose(handle);
    return QString::fromLatin1(component.fileName);
}

} // namespace platform
