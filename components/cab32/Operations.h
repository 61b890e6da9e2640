#pragma once

#include "CommandLine.h"
#include "Status.h"

#include <string>

namespace cab32 {

class Cp932Codec;

// libdeflate level used for MSZIP: faster than zlib's default level while
// packing at least as tightly.
inline constexpr int kDeflateLevel = 6;

// -a: writes cmd.archive from the files the specs select. See cab32.h.
Result createCabinet(const Command& cmd, Cp932Codec& codec);

// -x: writes the selected files of cmd.archive under cmd.folder. See cab32.h.
Result extractCabinet(const Command& cmd, Cp932Codec& codec);

// CabCheckArchive() for a UTF-8 path: true when the cabinet opens (and with
// fullCheck, when every file decompresses with good checksums).
bool isReadableCabinet(const std::string& path, bool fullCheck);

// Runs a whole CP932 command line, asking stop between pieces of work.
Result runCommand(const char* cmdLine, StopCheck stop = {});

} // namespace cab32
