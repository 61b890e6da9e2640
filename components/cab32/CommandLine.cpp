#include "CommandLine.h"

#include "Cp932Codec.h"
#include "SystemFiles.h"

#include <cctype>
#include <optional>

namespace cab32 {
namespace {

struct Token {
    std::string_view text;
    bool quoted = false;
};

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

// Splits at blanks; '"' and ' ' are never CP932 trail bytes, so the raw bytes
// can be scanned directly.
std::optional<std::vector<Token>> tokenize(std::string_view line)
{
    std::vector<Token> tokens;
    size_t i = 0;
    while (i < line.size()) {
        if (isBlank(line[i])) {
            ++i;
        } else if (line[i] == '"') {
            size_t end = line.find('"', i + 1);
            if (end == std::string_view::npos)
                return std::nullopt;
            tokens.push_back({line.substr(i + 1, end - i - 1), true});
            i = end + 1;
        } else {
            size_t end = i;
            while (end < line.size() && !isBlank(line[end]) && line[end] != '"')
                ++end;
            tokens.push_back({line.substr(i, end - i), false});
            i = end;
        }
    }
    return tokens;
}

std::optional<int> parseLevel(std::string_view digits, int low, int high)
{
    if (digits.empty() || digits.size() > 3)
        return std::nullopt;
    int value = 0;
    for (char c : digits) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (value < low || value > high)
        return std::nullopt;
    return value;
}

bool parseMethod(std::string_view rest, Command& cmd)
{
    if (rest.empty())
        return false;
    char kind = static_cast<char>(std::tolower(static_cast<unsigned char>(rest[0])));
    std::string_view digits = rest.substr(1);
    if ((kind == 'z' || kind == 's') && digits.empty()) {
        cmd.method = kind == 'z' ? Method::Mszip : Method::Store;
        return true;
    }
    auto level = kind == 'l' ? parseLevel(digits, 15, 21)
               : kind == 'q' ? parseLevel(digits, 1, 7)
                             : std::nullopt;
    if (!level)
        return false;
    cmd.method = kind == 'l' ? Method::Lzx : Method::Quantum;
    cmd.level = *level;
    return true;
}

struct SwitchState {
    int actions = 0;
    int methods = 0;
};

bool applySwitch(std::string_view sw, Command& cmd, SwitchState& seen)
{
    if (sw.size() < 2)
        return false;
    char letter = static_cast<char>(std::tolower(static_cast<unsigned char>(sw[1])));
    if (letter == 'm') {
        ++seen.methods;
        return parseMethod(sw.substr(2), cmd);
    }
    if (sw.size() != 2)
        return false;
    switch (letter) {
    case 'a': cmd.action = Action::Create; ++seen.actions; return true;
    case 'x': cmd.action = Action::Extract; ++seen.actions; return true;
    case 'r': cmd.recurse = true; return true;
    case 'i': cmd.silent = true; return true;
    case 'o': cmd.overwrite = true; return true;
    default: return false;
    }
}

} // namespace

Result parseCommand(std::string_view cp932, Cp932Codec& codec, Command& out)
{
    out = Command{};
    auto tokens = tokenize(cp932);
    if (!tokens)
        return fail(Status::Command, "unbalanced quote");
    SwitchState seen;
    std::vector<std::string> positional;
    for (const Token& token : *tokens) {
        if (!token.quoted && token.text.front() == '-') {
            if (!applySwitch(token.text, out, seen))
                return fail(Status::Command, codec.toUtf8Lossy(token.text));
            continue;
        }
        auto text = codec.toUtf8(token.text);
        if (!text || text->empty())
            return fail(Status::Command, codec.toUtf8Lossy(token.text));
        positional.push_back(sys::slashPath(std::move(*text)));
    }
    if (seen.actions != 1 || seen.methods > 1)
        return fail(Status::Command, "exactly one of -a and -x, at most one method");
    if (positional.size() < 2)
        return fail(Status::Command, "archive and folder expected");
    out.archive = std::move(positional[0]);
    out.folder = std::move(positional[1]);
    out.specs.assign(std::make_move_iterator(positional.begin() + 2),
                     std::make_move_iterator(positional.end()));
    if (out.specs.empty())
        out.specs.push_back("*.*");
    return {};
}

} // namespace cab32
