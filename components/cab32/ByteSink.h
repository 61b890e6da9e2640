#pragma once

#include "Status.h"

#include <cstddef>
#include <cstdint>

namespace cab32 {

// Where the writer puts the cabinet. Tests swap in memory or failing sinks.
class ByteSink {
public:
    virtual ~ByteSink() = default;

    // Appends size bytes; Status::Write (with the system's errno kept by the
    // sink) when they cannot be written.
    virtual Status append(const void* data, size_t size) = 0;

    // Rewrites bytes already appended, at offset from the start.
    virtual Status overwrite(uint64_t offset, const void* data, size_t size) = 0;

    // Bytes appended so far.
    virtual uint64_t size() const = 0;
};

} // namespace cab32
