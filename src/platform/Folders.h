#pragma once

#include <QString>

namespace platform {

// Folder of the running executable (/proc/self/exe), without a trailing "/".
// Empty when the system cannot tell.
QString programFolder();

// The user's documents folder when it exists, else the home folder; no
// trailing "/".
QString documentsFolder();

// folder + "/" + name, without doubling a "/" that folder already ends in.
QString joinPath(const QString& folder, const QString& name);

} // namespace platform
