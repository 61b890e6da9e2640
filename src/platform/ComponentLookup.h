#pragma once

#include <QString>

namespace platform {

// The two components the program loads by file name, as it found its DLLs.
struct ComponentName {
    const char* dllName;   // the name the messages use, e.g. "CAB32.DLL"
    const char* fileName;  // the shared library's file name here
};

extern const ComponentName kCab32;   // libcab32.so, cab32.dll
extern const ComponentName kCapicom; // libcapicom.so, capicom.dll

// Where components are looked for: the program folder first, then the
// system's library search order (unless searchSystem is false, which tests
// use to make a component "missing").
struct ComponentLookup {
    QString programFolder;
    bool searchSystem = true;

    // Full path (program folder) or the bare file name (found by the system
    // loader) of the component; empty when it cannot be found.
    QString find(const ComponentName& component) const;
};

// Loads the component that lookup finds; it stays loaded for the process, as
// a declared DLL does. On success path holds what was loaded; on failure
// error holds a description for the user (missing, or not loadable).
bool loadComponent(const ComponentLookup& lookup, const ComponentName& component, QString& path,
                   QString& error);

// An entry point of a component loaded from path; null with error set when
// the component lacks it.
void* resolveEntryPoint(const QString& path, const ComponentName& component, const char* name,
                        QString& error);

// resolveEntryPoint into a typed function pointer; false when it is absent.
template <typename Function>
bool bindEntryPoint(const QString& path, const ComponentName& component, const char* name,
                    Function& function, QString& error)
{
    function = reinterpret_cast<Function>(resolveEntryPoint(path, component, name, error));
    return function != nullptr;
}

} // namespace platform
