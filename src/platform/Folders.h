#pragma once

#include <QString>

namespace platform {

// Folder of the running executable (/proc/self/exe), without a trailing "/".
// Empty when the system cannot tell.
QString programFolder();

// The user's documents folder when it exists, else the home folder; no
// trailing "/".
QString documentsFolder();

// The separator joinPath puts between a folder and a name: "/", on
// Windows "\".
QChar pathSeparator();

// Whether c separates folders in a path: "/", and on Windows "\" too (paths
// from Qt's dialogs and drops use "/" there as well).
bool isPathSeparator(QChar c);

// folder + "/" + name, without doubling a "/" that folder already ends in.
QString joinPath(const QString& folder, const QString& name);

// True when anything has that name: a link (dangling or not) and a hidden
// entry count. The test for a name this program is about to create.
bool nameTaken(const QString& path);

// Creates the folder path, one level, with mode (less the umask); never
// through a link. Returns 0, or the errno: EEXIST when anything, a dangling
// link included, has that name; ENOENT for a relative path, which would land
// wherever the program was started from.
int makeFolder(const QString& path, int mode);

// As makeFolder, but a folder of that name this user already owns is used
// as it is (0). A link, a file or somebody else's folder in its place gives
// EEXIST: nothing is ever written through a name another user planted.
int makeOrUseOwnFolder(const QString& path, int mode);

} // namespace platform
