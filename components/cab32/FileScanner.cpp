#include "FileScanner.h"

#include "SystemFiles.h"

#include <algorithm>
#include <cctype>

namespace cab32 {
namespace {

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
        sys::FileInfo archive;
        if (sys::fileInfo(cmd.archive, archive)) {
            m_archiveExists = true;
            m_archiveSize = archive.size;
        }
    }

    Result walk(const std::string& folder, std::vector<std::string>& parts,
                std::string_view pattern);
    Result addNamed(const std::string& spec);

private:
    void add(const std::string& path, std::vector<std::string> parts, const sys::FileInfo& info);
    Result visit(const std::string& folder, const sys::FolderEntry& entry,
        std::vector<std::string>& parts, std::string_view pattern);

    const Command& m_cmd;
    std::vector<SourceFile>& m_out;
    bool m_archiveExists = false;
    uint64_t m_archiveSize = 0;
};

void Walker::add(const std::string& path, std::vector<std::string> parts, const sys::FileInfo& info)
{
    // Only a file of the archive's size can be the archive; asking the
    // system whether it is costs an open on Windows.
    if (m_archiveExists && info.size == m_archiveSize && sys::sameFile(path, m_cmd.archive))
        return;
    SourceFile file;
    file.path = path;
    file.parts = std::move(parts);
    file.size = info.size;
    file.mtime = info.mtime;
    file.mtimeNanoseconds = info.mtimeNanoseconds;
    file.readOnly = info.readOnly;
    m_out.push_back(std::move(file));
}

Result Walker::visit(const std::string& folder, const sys::FolderEntry& entry,
    std::vector<std::string>& parts, std::string_view pattern)
{
    std::string path = joinPath(folder, entry.name);
    if (entry.info.kind == sys::Kind::None)
        return fail(Status::Read, path);
    parts.push_back(entry.name);
    Result result;
    if (entry.info.kind == sys::Kind::Folder) {
        if (m_cmd.recurse)
            result = walk(path, parts, pattern);
    } else if (matchesPattern(pattern, entry.name)) {
        // A link counts when it leads to a regular file; links to folders
        // are never followed.
        sys::FileInfo info = entry.info;
        bool regular = info.kind == sys::Kind::File
            || (info.kind == sys::Kind::Link && sys::fileInfo(path, info)
                && info.kind == sys::Kind::File);
        if (regular)
            add(path, parts, info);
    }
    parts.pop_back();
    return result;
}

Result Walker::walk(const std::string& folder, std::vector<std::string>& parts,
                    std::string_view pattern)
{
    std::vector<sys::FolderEntry> entries;
    if (!sys::listFolder(folder, entries))
        return fail(Status::Read, folder);
    for (const sys::FolderEntry& entry : entries) {
        Result result = visit(folder, entry, parts, pattern);
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
    sys::FileInfo info;
    if (parts.empty() || !sys::fileInfo(path, info) || info.kind != sys::Kind::File)
        return fail(Status::NotFound, path);
    add(path, std::move(parts), info);
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
    sys::FileInfo folder;
    if (!sys::fileInfo(cmd.folder, folder) || folder.kind != sys::Kind::Folder)
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
