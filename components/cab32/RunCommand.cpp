#include "Cp932Codec.h"
#include "Operations.h"

namespace cab32 {

const char* describe(Status status)
{
    switch (status) {
    case Status::Ok: return "ok";
    case Status::Command: return "malformed command line";
    case Status::Method: return "compression method not supported for writing";
    case Status::NotFound: return "not found";
    case Status::Exists: return "already exists (no -o)";
    case Status::Write: return "cannot write";
    case Status::Read: return "cannot read";
    case Status::Damaged: return "damaged cabinet";
    case Status::NotArchive: return "not a cabinet";
    case Status::UnsafeName: return "unsafe name in cabinet";
    case Status::Name: return "name cannot be stored";
    case Status::Limit: return "cabinet format limit exceeded";
    case Status::NoFiles: return "no files matched";
    case Status::Memory: return "out of memory";
    case Status::Internal: return "internal error";
    case Status::Duplicate: return "two files would be stored under one name";
    case Status::Stopped: return "stopped";
    }
    return "unknown";
}

Result runCommand(const char* cmdLine, StopCheck stop)
{
    if (cmdLine == nullptr)
        return fail(Status::Command);
    Cp932Codec codec;
    if (!codec.valid())
        return fail(Status::Internal, "no CP932 converter");
    Command cmd;
    Result result = parseCommand(cmdLine, codec, cmd);
    if (!result.ok())
        return result;
    cmd.stop = stop;
    return cmd.action == Action::Create ? createCabinet(cmd, codec) : extractCabinet(cmd, codec);
}

} // namespace cab32
