#pragma once

#include "platform/ComponentLookup.h"

#include <QString>

// The two entry points of the CAB archiver component (components/cab32),
// bound by name at run time as the original bound CAB32.DLL. Internal to
// src/archive.
namespace archive {

struct Cab32EntryPoints {
    int (*cab)(void* hwnd, const char* cmdLine, char* output, unsigned long size) = nullptr;
    int (*checkArchive)(const char* fileName, int mode) = nullptr;
    // Optional: a component without it still loads and cannot be stopped.
    int (*cabStoppable)(void* hwnd, const char* cmdLine, char* output, unsigned long size,
                        int (*stop)(void*), void* context) = nullptr;
};

// Loads the component that lookup finds and binds both entry points (and
// CabStoppable where it has it). False
// with error set (a description for GetErrMsg) when it is missing, cannot be
// loaded or lacks an entry point. The library stays loaded for the process,
// as a declared DLL does.
bool loadCab32(const platform::ComponentLookup& lookup, Cab32EntryPoints& entryPoints, QString& error);

} // namespace archive
