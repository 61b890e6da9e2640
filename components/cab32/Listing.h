#pragma once

#include "Status.h"

#include <cstdint>
#include <functional>
#include <string>

namespace cab32 {

class Cp932Codec;

// CabList() for a UTF-8 path: checks as cab32.h says, then hands each file's
// name (UTF-8 as -x writes it, "/" between folders) and declared size to
// each; each answering false ends the listing with Status::Stopped.
Result listCabinet(const std::string& path, bool fullCheck, StopCheck stop, Cp932Codec& codec,
                   const std::function<bool(const std::string& name, uint64_t size)>& each);

// CabReadFile() for a UTF-8 path: the file named name (as listCabinet names
// it) into out when its size is at most limit. size receives its size;
// Status::Limit when it is larger, NotFound when there is no such file.
Result readCabinetFile(const std::string& path, const std::string& name, size_t limit,
                       StopCheck stop, Cp932Codec& codec, std::string& out, uint64_t& size);

} // namespace cab32
