#include "StoredName.h"

#include "CabFormat.h"
#include "Cp932Codec.h"

#include <cctype>
#include <unordered_map>
#include <utility>

namespace cab32 {
namespace {

size_t sequenceLength(unsigned char lead)
{
    if (lead < 0x80)
        return 1;
    if ((lead & 0xE0) == 0xC0)
        return 2;
    if ((lead & 0xF0) == 0xE0)
        return 3;
    if ((lead & 0xF8) == 0xF0)
        return 4;
    return 1;
}

std::string sanitizeUtf8(std::string_view text)
{
    std::string out;
    size_t i = 0;
    while (i < text.size()) {
        size_t length = sequenceLength(static_cast<unsigned char>(text[i]));
        std::string_view piece = text.substr(i, length);
        if (piece.size() == length && isValidUtf8(piece)) {
            out.append(piece);
            i += length;
        } else {
            out.push_back('?');
            ++i;
        }
    }
    return out;
}

bool isAbsolute(std::string_view name)
{
    if (!name.empty() && (name.front() == '\\' || name.front() == '/'))
        return true;
    return name.size() >= 2 && name[1] == ':' && std::isalpha(static_cast<unsigned char>(name[0]));
}

// The JIS-table code points and those of code page 932 for the same
// characters, as Windows' own conversion maps them.
std::string windowsSpelling(std::string text)
{
    static const std::pair<std::string_view, std::string_view> kSpellings[] = {
        {"\u301C", "\uFF5E"}, {"\u2212", "\uFF0D"}, {"\u2016", "\u2225"}, {"\u2014", "\u2015"},
        {"\u00A2", "\uFFE0"}, {"\u00A3", "\uFFE1"}, {"\u00AC", "\uFFE2"},
    };
    for (const auto& [typed, windows] : kSpellings) {
        for (size_t at = text.find(typed); at != std::string::npos; at = text.find(typed, at + windows.size()))
            text.replace(at, typed.size(), windows);
    }
    return text;
}

// One code point of valid UTF-8 at i, which moves past it.
char32_t nextCodePoint(std::string_view text, size_t& i)
{
    const auto lead = static_cast<unsigned char>(text[i]);
    const size_t length = sequenceLength(lead);
    char32_t point = length == 1 ? lead : lead & (0x7F >> length);
    for (size_t k = 1; k < length && i + k < text.size(); ++k)
        point = (point << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
    i += length;
    return point;
}

// Windows compares file names through its table of upper-case letters. This
// holds the part of it that names meet in practice: ASCII, Latin-1, Latin
// Extended-A, Greek, Cyrillic, full-width Latin and Roman numerals (the
// last three are in code page 932). Outside it a letter stays as it is.
char32_t windowsUpper(char32_t c)
{
    if (c >= U'a' && c <= U'z')
        return c - 0x20;
    if (c < 0x80)
        return c;
    if ((c >= 0xE0 && c <= 0xFE && c != 0xF7) || (c >= 0x3B1 && c <= 0x3CB && c != 0x3C2)
        || (c >= 0x430 && c <= 0x44F) || (c >= 0xFF41 && c <= 0xFF5A))
        return c - 0x20;
    if (c == 0xFF)
        return 0x178;
    if (c == 0x3C2) // final sigma
        return 0x3A3;
    if (c >= 0x450 && c <= 0x45F)
        return c - 0x50;
    if (c >= 0x2170 && c <= 0x217F)
        return c - 0x10;
    // Latin Extended-A pairs: upper even, lower odd, but odd upper from
    // U+0139 to U+0148 and from U+0179 to U+017E.
    const bool oddUpper = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
    const bool paired = (c >= 0x100 && c <= 0x137) || (c >= 0x14A && c <= 0x177) || oddUpper;
    if (paired && (c % 2 == 0) == oddUpper)
        return c - 1;
    return c;
}

std::u32string windowsNameKey(std::string_view utf8)
{
    std::u32string key;
    for (size_t i = 0; i < utf8.size();)
        key.push_back(windowsUpper(nextCodePoint(utf8, i)));
    return key;
}

} // namespace

Result refuseWindowsDuplicates(const std::vector<std::vector<std::string>>& names, Cp932Codec& codec)
{
    std::unordered_map<std::u32string, size_t> seen;
    seen.reserve(names.size());
    for (size_t i = 0; i < names.size(); ++i) {
        StoredName stored;
        if (!encodeStoredName(names[i], codec, stored).ok())
            continue;
        std::string text = stored.bytes;
        if (!stored.utf8)
            text = codec.toUtf8Lossy(stored.bytes);
        if (!seen.emplace(windowsNameKey(text), i).second) {
            std::string joined;
            for (const std::string& part : names[i])
                joined += (joined.empty() ? "" : "\\") + part;
            return fail(Status::Duplicate, joined);
        }
    }
    return {};
}

Result encodeStoredName(const std::vector<std::string>& parts, Cp932Codec& codec,
                        StoredName& out)
{
    std::string joined;
    for (const std::string& part : parts) {
        if (!isValidUtf8(part) || part.find('\\') != std::string::npos)
            return fail(Status::Name, part);
        if (!joined.empty())
            joined.push_back('\\');
        joined += part;
    }
    // "¥" stays UTF-8: code page 932 would store it as 0x5C, a separator.
    auto cp932 = codec.toCp932Exact(windowsSpelling(joined));
    out.utf8 = !cp932.has_value();
    out.bytes = cp932 ? std::move(*cp932) : joined;
    if (out.bytes.empty() || out.bytes.size() > format::kMaxNameBytes)
        return fail(Status::Name, joined);
    return {};
}

Result decodeStoredName(std::string_view raw, bool utf8, Cp932Codec& codec,
                        std::vector<std::string>& parts)
{
    parts.clear();
    std::string text = utf8 ? sanitizeUtf8(raw) : codec.toUtf8Lossy(raw);
    if (isAbsolute(text))
        return fail(Status::UnsafeName, text);
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find_first_of("\\/", start);
        if (end == std::string::npos)
            end = text.size();
        std::string part = text.substr(start, end - start);
        if (part == "..")
            return fail(Status::UnsafeName, text);
        if (!part.empty() && part != ".")
            parts.push_back(std::move(part));
        start = end + 1;
    }
    if (parts.empty())
        return fail(Status::UnsafeName, text);
    return {};
}

} // namespace cab32
