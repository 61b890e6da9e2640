#pragma once

#include "FileScanner.h"

#include <cstddef>
#include <cstdint>
#include <memory>

namespace cab32 {

// How the writer reads the files it stores, one at a time; the system's
// reader below, or a test's that changes a file at a known byte.
class SourceReader {
public:
    virtual ~SourceReader() = default;

    // Opens file.path; false when it cannot be read or is no longer a
    // regular file (a FIFO swapped in since the scan must not hang).
    virtual bool open(const SourceFile& file) = 0;
    // Up to size bytes of the open file; 0 at its end, -1 on failure.
    virtual long long read(void* buffer, size_t size) = 0;
    // The open file's size and modification time now; false on failure.
    virtual bool stat(uint64_t& size, std::time_t& seconds, long& nanoseconds) = 0;
    virtual void close() = 0;
};

// The file system's files through their descriptors.
std::unique_ptr<SourceReader> systemSourceReader();

} // namespace cab32
