#pragma once

#include <QString>

// Entries as they are, links not followed: what removal and the leftovers
// cleanup need to know before they touch anything.
namespace platform {

enum class EntryKind {
    Missing,
    File,
    Folder, // a real folder, never a link or junction to one
    Link, // a symbolic link, or on Windows any reparse point
    Other,
};

EntryKind entryKind(const QString& path);

// True for an entry this user made and may clear away: on Linux one the user
// owns, on Windows any entry that is no link (the profile's folders are the
// user's own).
bool isOwnEntry(const QString& path);

// Removes one entry that is no folder (a link itself, not its target), or
// one empty folder. Return 0 or the errno of the failure.
int removeEntry(const QString& path);
int removeEmptyFolder(const QString& path);

} // namespace platform
