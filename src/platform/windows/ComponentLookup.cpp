#include "platform/ComponentLookup.h"

#include "platform/Cp932.h"
#include "platform/windows/WideNames.h"


#include <windows.h>

namespace platform {

const ComponentName kCab32 { "CAB32.DLL", "cab32.dll" };
const ComponentName kCapicom { "CAPICOM.DLL", "capicom.dll" };

QString findOnSystem(const ComponentName& component)
{
    // The system's own search order for a DLL name, as LoadLibrary uses it.
    char found[MAX_PATH];
    char* filePart = nullptr;
    const DWORD n = ::SearchPathA(nullptr, component.dllName, nullptr, MAX_PATH, found, &filePart);
    if (n == 0 || n >= MAX_PATH)
        return QString();
    return fromCp932(QByteArray(found, static_cast<qsizetype>(n)));
}

} // namespace platform
