#pragma once

#include "platform/Entries.h"

#include <QString>

#include <cstdint>

// What the output reader (tamberlox-open) needs of the system beyond the rest
// of this layer. A name given with an open folder is taken inside that folder
// (on Linux through the folder itself, so a rename around it changes
// nothing; on Windows from the path it was opened by). With a folder that is
// not open, the name is a path of its own. Functions that return int give 0
// or the errno of the failure.
namespace platform {

// An open file or folder, closed with the object.
class Handle {
public:
    Handle() = default;
    // For the implementations: the descriptor or HANDLE, and the path it was
    // opened by.
    Handle(std::intptr_t value, QString path);
    ~Handle();
    Handle(Handle&& other) noexcept;
    Handle& operator=(Handle&& other) noexcept;
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;

    bool isOpen() const { return m_value != -1; }
    std::intptr_t value() const { return m_value; }
    const QString& path() const { return m_path; }

    // A path a component can open it by, plain ASCII where the system
    // allows: "/proc/self/fd/N" on Linux, whatever the name; on Windows its
    // full path, in the short form when that is ASCII.
    QString componentPath() const;

    void close();

private:
    std::intptr_t m_value = -1;
    QString m_path;
};

// Opens a file for reading, links followed, without waiting on it: EISDIR
// for a folder, EINVAL for anything but a regular file (a pipe would block).
Handle openInput(const QString& path, int& error);

// Opens a folder by its path, links followed.
Handle openFolder(const QString& path, int& error);

// Opens the folder name of folder; a link there is refused.
Handle openFolderAt(const Handle& folder, const QString& name, int& error);

// A file of folder, owner only, read and write, that has no name other
// programs may come upon (Linux: none from its creation on where the file
// system has O_TMPFILE, else it loses it at once; Windows: deleted when
// closed, and written through its componentPath, not this handle). It is
// gone with the process, however that ends.
Handle createUnnamedFile(const Handle& folder, int& error);

// The file's size in bytes, or -1.
qint64 fileSize(const Handle& file);

// Reads up to size bytes at offset: the count read, or -1.
qint64 readAt(const Handle& file, qint64 offset, char* data, qint64 size);

// Makes the folder with mode (Linux; Windows: the parent's access).
int makeFolderAt(const Handle& folder, const QString& name, unsigned mode);

// Sets an entry's mode, a link followed (Windows: the read-only attribute,
// from the owner's write bit).
int setModeAt(const Handle& folder, const QString& name, unsigned mode);

int removeFileAt(const Handle& folder, const QString& name);
int removeFolderAt(const Handle& folder, const QString& name);

// An entry as it is, a link not followed.
struct EntryStatus {
    EntryKind kind = EntryKind::Missing;
    bool ownerWritable = false; // Windows: not read-only
    bool own = false; // this user's (Windows: any entry that is no link)
};
int entryStatusAt(const Handle& folder, const QString& name, EntryStatus& status);

// Never over an entry at to: EEXIST then, even where it appeared meanwhile.
int renameNoReplace(const Handle& folder, const QString& from, const QString& to);

// Over a file at to.
int renameReplacing(const Handle& folder, const QString& from, const QString& to);

// Swaps two entries, so the exchange can be undone the same way; EINVAL or
// ENOSYS where the file system cannot.
int exchangeEntries(const Handle& folder, const QString& first, const QString& second);

// Makes the file name of folder (owner only; EEXIST when it exists) and
// holds a lock on it for as long as the handle lives.
Handle createLockedMarker(const Handle& folder, const QString& name, int& error);

// Opens the existing file name of folder (not through a link) and takes its
// lock, without waiting; not open when the file is missing or its lock held.
Handle tryLockMarker(const Handle& folder, const QString& name);

// Free bytes for this user on the file system that holds path, or -1.
qint64 freeBytes(const QString& path, int& error);

// Sets the mask new files and folders get their mode through and returns
// the earlier one (Windows has none: 0, and nothing changes).
unsigned exchangeCreationMask(unsigned mask);

// From now on SIGINT, SIGTERM and SIGHUP are only noted (Windows: Ctrl+C and
// Ctrl+Break as SIGINT, the console closing as SIGHUP, logoff and shutdown
// as SIGTERM); an earlier note is forgotten.
void installStopHandlers();

// Puts the earlier handlers back.
void removeStopHandlers();

// The number of the signal noted since installStopHandlers, or 0.
int caughtStopSignal();

} // namespace platform
