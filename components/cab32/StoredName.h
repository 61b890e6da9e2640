#pragma once

#include "Status.h"

#include <string>
#include <string_view>
#include <vector>

namespace cab32 {

class Cp932Codec;

// A name as it goes into a CFFILE entry.
struct StoredName {
    std::string bytes;   // without the terminating NUL
    bool utf8 = false;   // true: UTF-8, attribute 0x80; false: CP932
};

// Joins the UTF-8 parts with "\" and stores them as CP932 when code page 932
// holds the whole name exactly, else as UTF-8. Characters that Linux input
// methods type where Windows has another code point for the same key ("〜"
// U+301C for "～" U+FF5E, "−" U+2212, "‖", "—", "¢", "£", "¬") are first
// spelled as Windows spells them, so the receiver sees the name a Windows
// user would have typed. Status::Name when a part is not UTF-8, holds a "\",
// or the result exceeds 255 bytes.
Result encodeStoredName(const std::vector<std::string>& parts, Cp932Codec& codec,
                        StoredName& out);

// Status::Duplicate, with the second name, when two of the names (each the
// parts of one file) would be one file name on the receiver's Windows: equal
// once stored (see encodeStoredName) or equal without letter case. A name
// that cannot be stored is left for encodeStoredName to refuse.
Result refuseWindowsDuplicates(const std::vector<std::vector<std::string>>& names, Cp932Codec& codec);

// Turns a stored name into UTF-8 folder and file parts below the target.
// Names without the UTF-8 flag are decoded from CP932 first, so trail bytes
// 0x5C (as in 表, ソ, 能) are never mistaken for separators. Bytes that do
// not decode become '?'. Status::UnsafeName for an absolute name, a drive
// letter, a ".." step or a name with nothing left.
Result decodeStoredName(std::string_view raw, bool utf8, Cp932Codec& codec,
                        std::vector<std::string>& parts);

} // namespace cab32
