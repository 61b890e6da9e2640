#include "FileScanner.h"

#include <algorithm>
#include <cctype>
#include <dirent.h>
#include <fcntl.h>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

namespace cab32 {
namespace {

struct CloseDir {
    void operator()(DIR* d) const { ::closedir(d); }
};

bool isPattern(std::string_view spec)
{
    return spec.find_first_of("*?") != std::string_view::npos;
}

std::string joinPath(const std::string& folder, const std::string& name)
{
    if (folder.empty() || folder.back() == '/')
        return folder + name;
    return folder + '/' + name;
}

class Walker {
public:
    Walker(const Command& cmd, std::vector<SourceFile>& out)
        : m_cmd(cmd), m_out(out)
    {
        struct stat st;
        if (::stat(cmd.archive.c_str(), &st) == 0) {
            m_archiveDev = st.st_dev;
            m_archiveIno = st.st_ino;
        }
    }

    Result walk(const std::string& folder, std::vector<std::string>& parts,
                std::string_view pattern);
    Result addNamed(const std::string& spec);

private:
    void add(const std::string& path, std::vector<std::string> parts, const struct stat& st);
    Result visit(int dirFd, const std::string& folder, const char* name,
                 std::vector<std::string>& parts, std::string_view pattern);

    const Command& m_cmd;
    std::vector<SourceFile>& m_out;
    dev_t m_archiveDev = 0;
    ino_t m_archiveIno = 0;
};

void Walker::add(const std::string& path, std::vector<std::string> parts, const struct stat& st)
{
    if (st.st_dev == m_archiveDev && st.st_ino == m_archiveIno)
        return;
    SourceFile file;
    file.path = path;
    file.parts = std::move(parts);
    file.size = static_cast<uint64_t>(st.st_size);
    file.mtime = st.st_mtime;
    file.mtimeNanoseconds = st.st_mtim.tv_nsec;
    file.readOnly = (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
    m_out.push_back(std::move(file));
}

Result Walker::visit(int dirFd, const std::string& folder, const char* name,
                     std::vector<std::string>& parts, std::string_view pattern)
{
    struct stat st;
    if (::fstatat(dirFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0)
        return fail(Status::Read, joinPath(folder, name));
    std::string path = joinPath(folder, name);
    parts.emplace_back(name);
    Result result;
    if (S_ISDIR(st.st_mode)) {
        if (m_cmd.recurse)
            result = walk(path, parts, pattern);
    } else if (matchesPattern(pattern, name)) {
        // A link counts when it leads to a regular file; links to folders
        // are never followed.
        bool regular = S_ISREG(st.st_mode)
                    || (S_ISLNK(st.st_mode) && ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode));
        if (regular)
            add(path, parts, st);
    }
    parts.pop_back();
    return result;
}

Result Walker::walk(const std::string& folder, std::vector<std::string>& parts,
                    std::string_view pattern)
{
    std::unique_ptr<DIR, CloseDir> dir(::opendir(folder.c_str()));
    if (!dir)
        return fail(Status::Read, folder);
    while (const dirent* entry = ::readdir(dir.get())) {
        std::string_view name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        Result result = visit(::dirfd(dir.get()), folder, entry->d_name, parts, pattern);
        if (!result.ok())
            return result;
    }
    return {};
}

Result Walker::addNamed(const std::string& spec)
{
    std::vector<std::string> parts;
    size_t start = 0;
    while (start <= spec.size()) {
        size_t end = std::min(spec.find('/', start), spec.size());
        std::string part = spec.substr(start, end - start);
        if (part == "..")
            return fail(Status::Name, spec);
        if (!part.empty() && part != ".")
            parts.push_back(std::move(part));
        start = end + 1;
    }
    std::string path = joinPath(m_cmd.folder, spec);
    struct stat st;
    if (parts.empty() || ::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode))
        return fail(Status::NotFound, path);
    add(path, std::move(parts), st);
    return {};
}

} // namespace

bool matchesPattern(std::string_view pattern, std::string_view name)
{
    if (pattern == "*.*" || pattern == "*")
        return true;
    auto lower = [](char c) { return std::tolower(static_cast<unsigned char>(c)); };
    // Greedy match that backtracks only to the last '*': linear in practice.
    size_t p = 0, n = 0, starP = std::string_view::npos, starN = 0;
    while (n < name.size()) {
        if (p < pattern.size() && pattern[p] == '*') {
            starP = p++;
            starN = n;
        } else if (p < pattern.size() && (pattern[p] == '?' || lower(pattern[p]) == lower(name[n]))) {
            ++p;
            ++n;
        } else if (starP != std::string_view::npos) {
            p = starP + 1;
            n = ++starN;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '*')
        ++p;
    return p == pattern.size();
}

Result collectFiles(const Command& cmd, std::vector<SourceFile>& out)
{
    out.clear();
    struct stat st;
    if (::stat(cmd.folder.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
        return fail(Status::NotFound, cmd.folder);
    Walker walker(cmd, out);
    for (const std::string& spec : cmd.specs) {
        std::vector<std::string> parts;
        Result result = isPattern(spec) ? walker.walk(cmd.folder, parts, spec)
                                        : walker.addNamed(spec);
        if (!result.ok())
            return result;
    }
    auto byName = [](const SourceFile& a, const SourceFile& b) { return a.parts < b.parts; };
    auto sameName = [](const SourceFile& a, const SourceFile& b) { return a.parts == b.parts; };
    std::stable_sort(out.begin(), out.end(), byName);
    out.erase(std::unique(out.begin(), out.end(), sameName), out.end());
    if (out.empty())
        return fail(Status::NoFiles, cmd.folder);
    return {};
}

} // namespace cab32
