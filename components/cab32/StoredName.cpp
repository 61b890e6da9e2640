#include "StoredName.h"

#include "CabFormat.h"
#include "Cp932Codec.h"

#include <cctype>
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

} // namespace

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
