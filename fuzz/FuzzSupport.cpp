#include "FuzzSupport.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <unistd.h>

namespace fs = std::filesystem;

namespace fuzz {
namespace {

// Never destroyed: the exit handler that removes them runs after statics go.
std::vector<std::string>& foldersToRemove()
{
    static auto* folders = new std::vector<std::string>;
    return *folders;
}

void removeScratchFolders()
{
    for (const std::string& folder : foldersToRemove()) {
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    }
}

const char* typeOf(const fs::directory_entry& entry)
{
    if (entry.is_symlink())
        return "link";
    if (entry.is_directory())
        return "dir";
    if (entry.is_regular_file())
        return "file";
    return "other";
}

} // namespace

void violated(const char* what, const char* file, int line)
{
    std::fprintf(stderr, "FUZZ_CHECK failed: %s (%s:%d)\n", what, file, line);
    std::fflush(stderr);
    std::abort();
}

std::string scratchFolder(const char* name)
{
    // Memory-backed when possible: the writers sync every file they replace.
    const char* base = std::getenv("TMPDIR");
    if (base == nullptr || *base == '\0')
        base = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
    std::string pattern = std::string(base) + "/" + name + ".XXXXXX";
    if (::mkdtemp(pattern.data()) == nullptr)
        violated("mkdtemp for the scratch folder", __FILE__, __LINE__);
    static std::once_flag registered;
    std::call_once(registered, [] { std::atexit(removeScratchFolders); });
    foldersToRemove().push_back(pattern);
    return pattern;
}

std::vector<std::string> snapshot(const std::string& root)
{
    std::vector<std::string> lines;
    std::error_code error;
    for (fs::recursive_directory_iterator it(root, error), end; !error && it != end;
         it.increment(error)) {
        const fs::directory_entry& entry = *it;
        std::string line = fs::relative(entry.path(), root).string() + " " + typeOf(entry);
        if (entry.is_regular_file() && !entry.is_symlink())
            line += " " + std::to_string(entry.file_size());
        lines.push_back(std::move(line));
    }
    std::sort(lines.begin(), lines.end());
    return lines;
}

std::vector<std::string> namesContaining(const std::string& root, std::string_view marker)
{
    std::vector<std::string> found;
    std::error_code error;
    for (fs::recursive_directory_iterator it(root, error), end; !error && it != end;
         it.increment(error)) {
        if (it->path().filename().string().find(marker) != std::string::npos)
            found.push_back(fs::relative(it->path(), root).string());
    }
    return found;
}

InFolder::InFolder(const std::string& folder)
    : m_previous(::open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC))
{
    if (m_previous < 0 || ::chdir(folder.c_str()) != 0)
        violated(("cannot enter " + folder).c_str(), __FILE__, __LINE__);
}

InFolder::~InFolder()
{
    if (::fchdir(m_previous) != 0)
        violated("cannot return to the starting folder", __FILE__, __LINE__);
    ::close(m_previous);
}

void writeFile(const std::string& path, const void* data, std::size_t size)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
    out.close();
    if (!out)
        violated(("cannot write " + path).c_str(), __FILE__, __LINE__);
}

std::string readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void removeTree(const std::string& path)
{
    std::error_code ignored;
    fs::remove_all(path, ignored);
}

void removeChildren(const std::string& folder)
{
    std::error_code error;
    for (fs::directory_iterator it(folder, error), end; !error && it != end; it.increment(error))
        removeTree(it->path().string());
}

std::string printable(std::string_view bytes)
{
    std::string out;
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0x20 && b < 0x7F && b != '\\') {
            out += c;
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", b);
            out += escaped;
        }
    }
    return out;
}

} // namespace fuzz
