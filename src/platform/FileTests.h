#pragma once

#include <QString>

// The entry test and the file test of the original: hidden entries (a name
// beginning with ".") are never seen. Names compare by the host's own rule.
// A path that is not absolute (a hand-edited "work") names nothing here: the
// tests answer false for it.
namespace platform {

// True when a file or folder of that name exists and is not hidden.
bool entryExists(const QString& path);

// True when a regular file (or a link to one) of that name exists and is not
// hidden; a folder does not count.
bool fileExists(const QString& path);

// True when a folder of that name exists and is not hidden.
bool folderExists(const QString& path);

// True when the entry's name marks it hidden (it begins with "."), whether
// or not it exists.
bool isHidden(const QString& path);

// True when the entry carries no write permission at all: the stand-in for
// the Windows read-only attribute, which stops writes and deletes even for an
// administrator (so the test holds when running as root, too).
bool isReadOnly(const QString& path);

} // namespace platform
