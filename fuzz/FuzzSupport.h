#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

// Helpers of the fuzz targets: scratch folders, tree snapshots, and a check
// that stays on in release builds (NDEBUG removes assert()).
namespace fuzz {

// Prints what was violated and aborts, so libFuzzer keeps the input.
[[noreturn]] void violated(const char* what, const char* file, int line);

#define FUZZ_CHECK(condition)                                                                      \
    do {                                                                                           \
        if (!(condition))                                                                          \
            ::fuzz::violated(#condition, __FILE__, __LINE__);                                      \
    } while (false)

// A fresh folder <name>.XXXXXX under $TMPDIR, else /dev/shm, else /tmp;
// removed at exit.
std::string scratchFolder(const char* name);

// Every entry below root as "relative/path type size", sorted; links are
// listed, never followed. Changes in content show as changes in size.
std::vector<std::string> snapshot(const std::string& root);

// Relative paths below root whose name holds marker.
std::vector<std::string> namesContaining(const std::string& root, std::string_view marker);

// Makes folder the working folder for its lifetime. libFuzzer reads seeds and
// writes crash files relative to where it started, so the change never
// outlives one call.
class InFolder {
public:
    explicit InFolder(const std::string& folder);
    ~InFolder();
    InFolder(const InFolder&) = delete;
    InFolder& operator=(const InFolder&) = delete;

private:
    int m_previous;
};

void writeFile(const std::string& path, const void* data, std::size_t size);
std::string readFile(const std::string& path);
void removeTree(const std::string& path);
void removeChildren(const std::string& folder);

// Bytes as a text for messages, non-printable ones escaped.
std::string printable(std::string_view bytes);

} // namespace fuzz
