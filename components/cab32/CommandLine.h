#pragma once

#include "Status.h"

#include <string>
#include <string_view>
#include <vector>

namespace cab32 {

class Cp932Codec;

enum class Action { Create, Extract };
enum class Method { Mszip, Store, Lzx, Quantum };

// One parsed command line. Paths are UTF-8 (the file system's encoding).
struct Command {
    Action action = Action::Create;
    bool recurse = false;
    bool silent = false;
    bool overwrite = false;
    Method method = Method::Mszip;
    int level = 0;                   // 15..21 for LZX, 1..7 for Quantum
    std::string archive;
    std::string folder;              // base folder (-a) or target folder (-x)
    std::vector<std::string> specs;  // "*.*" when none were given
    StopCheck stop;                  // not from the command line: the caller's
};

// Parses the CP932 command line documented in cab32.h. On failure returns
// Status::Command with the offending token as subject; out is then unusable.
Result parseCommand(std::string_view cp932, Cp932Codec& codec, Command& out);

} // namespace cab32
