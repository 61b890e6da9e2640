#pragma once

#include <QString>

#include <cstdint>
#include <memory>
#include <span>

// The kernel32 file functions of the file encryption (CreateFileA, ReadFile,
// WriteFile, GetFileSize, CloseHandle, and the delete before a new output),
// behind an interface so tests can make any of them fail. Every failure
// hands back the errno value; platform::systemErrorText gives its text.
namespace platform {

// One open file. Destroying it closes it without a report; close() reports.
// The system's streams read and write through buffers of 1 MiB, so small
// pieces cost no system call each.
class FileStream {
public:
    virtual ~FileStream() = default;

    // Fills buffer as far as the file allows; fewer bytes than asked means the
    // end was reached. -1 on failure (see error()).
    virtual std::int64_t read(std::span<std::uint8_t> buffer) = 0;

    // Writes all of data; false on failure (see error()). Data may wait in
    // the stream's buffer: a failure to write it then shows at a later
    // write() or at close(), as one the system reports late would.
    virtual bool write(std::span<const std::uint8_t> data) = 0;

    // Size of the file in bytes, data still buffered included; -1 on
    // failure (see error()).
    virtual std::int64_t size() = 0;

    // Closes the file; false when the system reports a failure (a write that
    // could not be completed). Later calls do nothing and succeed.
    virtual bool close() = 0;

    // errno of the last failure of this stream.
    virtual int error() const = 0;
};

class FileAccess {
public:
    virtual ~FileAccess() = default;

    // Opens an existing file for reading (OPEN_EXISTING, GENERIC_READ).
    // Null with error set on failure.
    virtual std::unique_ptr<FileStream> openExisting(const QString& path, int& error) = 0;

    // Creates the file, or empties an existing one, for writing
    // (CREATE_ALWAYS, GENERIC_WRITE). Null with error set on failure.
    virtual std::unique_ptr<FileStream> createAlways(const QString& path, int& error) = 0;

    // Deletes a file as Windows does: a read-only file (no write bit) is
    // refused with EACCES and a file that is open through this FileAccess
    // with EBUSY. Returns 0 or the errno of the failure.
    virtual int removeFile(const QString& path) = 0;
};

// The real file system. Shared by all users; safe from any thread.
std::shared_ptr<FileAccess> systemFileAccess();

} // namespace platform
