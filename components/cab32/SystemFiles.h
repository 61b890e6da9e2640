#pragma once

// The one file of the component that knows which system it runs on. Paths
// are UTF-8 with "/" between folders (Windows also takes "\" and "X:/").
// Failures set errno to the nearest POSIX value, so the callers map them to
// one status, and a Write failure's text shows the same numbers, whatever
// the system.

#include <cstddef>
#include <cstdint>
#include <ctime>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cab32::sys {

// The path with "/" for each separator the system takes: on Windows also
// "\", which no name there may hold.
std::string slashPath(std::string path);

// Whether one part of a path (a folder or file name, UTF-8) can be a name
// on this system as it stands. Linux: anything. Windows: no control
// character, none of <>:"|?*, no trailing "." or " " (the system would drop
// it, so two names would meet) and no device name (CON, NUL, COM1, ...).
bool canHoldName(std::string_view part);

enum class Kind { None, File, Folder, Link, Other };

struct FileInfo {
    Kind kind = Kind::None;
    uint64_t size = 0;
    std::time_t mtime = 0; // seconds since 1970, UTC
    long mtimeNanoseconds = 0;
    bool readOnly = false; // no write permission for anyone; Windows: the read-only attribute
};

// What path is without following a last link; false (errno set) when it
// cannot be told, for one because nothing is there.
bool linkInfo(const std::string& path, FileInfo& out);
// The same, following links.
bool fileInfo(const std::string& path, FileInfo& out);
// Whether both paths lead to one file (hard links too).
bool sameFile(const std::string& a, const std::string& b);

struct FolderEntry {
    std::string name;
    FileInfo info; // as linkInfo tells it; kind None when that failed
};

// The entries of folder but "." and ".."; false when it cannot be listed.
bool listFolder(const std::string& folder, std::vector<FolderEntry>& out);

// Creates one folder; fails with EEXIST when anything is there already.
bool makeFolder(const std::string& path);
bool removeFile(const std::string& path);
// Without replace an existing to fails with EEXIST, atomically where the
// file system allows.
bool moveFile(const std::string& from, const std::string& to, bool replace);
// Sets the modification time (the access time becomes now), never through
// a last link.
bool setModified(const std::string& path, std::time_t when);
// Takes away every write permission.
bool makeReadOnly(const std::string& path);

// Local time of the system's time zone, as file dates are shown there.
bool toLocalTime(std::time_t when, std::tm& out);
// Back from local time (tm_isdst ignored); nullopt when it does not exist.
std::optional<std::time_t> fromLocalTime(const std::tm& local);

long processId();

// Code page 932 <-> UTF-8 as the system converts them; null when it cannot.
struct Converter;
Converter* openConverter(bool fromCp932);
void closeConverter(Converter* converter);
// All of in, or nullopt at the first sequence that does not convert; with
// lossy each byte that does not decode becomes '?' instead.
std::optional<std::string> convert(Converter* converter, std::string_view in, bool lossy);

enum class Open {
    Read, // an existing file
    Source, // the same, read once from start to end; never waits on a FIFO
    Replace, // created or truncated for writing; never through a link
    CreateNew, // created for writing; fails with EEXIST when anything is there
};
enum class Whence { Start, Current, End };

// An open file; closed when destroyed.
class File {
public:
    File() = default;
    ~File();
    File(File&& other) noexcept;
    File& operator=(File&& other) noexcept;
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    bool open(const std::string& path, Open mode);
    bool isOpen() const { return m_handle != -1; }
    // Up to size bytes; 0 at the end, -1 on failure.
    long long read(void* buffer, size_t size);
    // The same at offset, leaving the position where it was.
    long long readAt(uint64_t offset, void* buffer, size_t size);
    // Every byte or false; ENOSPC when the system took none.
    bool writeAll(const void* data, size_t size);
    bool writeAllAt(uint64_t offset, const void* data, size_t size);
    // The new position, or -1.
    long long seek(long long offset, Whence whence);
    bool info(FileInfo& out);
    // The bytes on the disk before the file is renamed into place.
    bool sync();
    // Closes in any case; false when the system reported a failure (a write
    // it had not finished).
    bool close();

private:
    std::intptr_t m_handle = -1;
};

} // namespace cab32::sys
