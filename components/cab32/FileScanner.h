#pragma once

#include "CommandLine.h"
#include "Status.h"

#include <cstdint>
#include <ctime>
#include <string>
#include <string_view>
#include <vector>

namespace cab32 {

// One file to be stored, as found on disk before any byte is written.
struct SourceFile {
    std::string path;                 // file system path
    std::vector<std::string> parts;   // its name below the base folder, UTF-8
    uint64_t size = 0;
    std::time_t mtime = 0;
    bool readOnly = false;            // no write permission for anyone
    long mtimeNanoseconds = 0;        // with mtime: how the scan saw the file
};

// Collects the regular files the specs of cmd select under cmd.folder, in
// byte order of their names, each once; the archive itself is never taken.
// Fails with NotFound (base folder or a named file missing), Read (a folder
// cannot be listed), Name (a named spec climbs out with "..") or NoFiles.
Result collectFiles(const Command& cmd, std::vector<SourceFile>& out);

// Windows-style match of one file name: "*.*" and "*" take every name,
// otherwise '*' and '?' wildcards with ASCII letters compared without case.
bool matchesPattern(std::string_view pattern, std::string_view name);

} // namespace cab32
