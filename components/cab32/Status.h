#pragma once

#include "cab32.h"

#include <string>

namespace cab32 {

// The public return codes, typed for the inside of the component.
enum class Status : int {
    Ok = CAB32_OK,
    Command = CAB32_ERROR_COMMAND,
    Method = CAB32_ERROR_METHOD,
    NotFound = CAB32_ERROR_NOT_FOUND,
    Exists = CAB32_ERROR_EXISTS,
    Write = CAB32_ERROR_WRITE,
    Read = CAB32_ERROR_READ,
    Damaged = CAB32_ERROR_DAMAGED,
    NotArchive = CAB32_ERROR_NOT_ARCHIVE,
    UnsafeName = CAB32_ERROR_UNSAFE_NAME,
    Name = CAB32_ERROR_NAME,
    Limit = CAB32_ERROR_LIMIT,
    NoFiles = CAB32_ERROR_NO_FILES,
    Memory = CAB32_ERROR_MEMORY,
    Internal = CAB32_ERROR_INTERNAL,
    Duplicate = CAB32_ERROR_DUPLICATE,
    Stopped = CAB32_ERROR_STOPPED,
};

// A status and the path or name it is about (UTF-8, may be empty).
struct Result {
    Status status = Status::Ok;
    std::string subject;

    bool ok() const { return status == Status::Ok; }
};

inline Result fail(Status status, std::string subject = {})
{
    return Result{status, std::move(subject)};
}

// The caller's wish to stop, asked between pieces of work.
struct StopCheck {
    int (*ask)(void*) = nullptr;
    void* context = nullptr;

    bool operator()() const { return ask != nullptr && ask(context) != 0; }
};

// Short English text for a status, used for Cab()'s output buffer.
const char* describe(Status status);

} // namespace cab32
