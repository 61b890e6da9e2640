#include "CabReader.h"
#include "FileScanner.h"
#include "Operations.h"
#include "StagedFile.h"
#include "StoredName.h"

#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

namespace cab32 {
namespace {

struct PlannedFile {
    CabEntry entry;
    std::vector<std::string> parts;
    std::string target;
};

std::string joinParts(const std::vector<std::string>& parts, size_t count)
{
    std::string joined;
    for (size_t i = 0; i < count; ++i)
        joined += (i ? "/" : "") + parts[i];
    return joined;
}

std::string under(const std::string& folder, const std::string& relative)
{
    return folder.empty() || folder.back() == '/' ? folder + relative : folder + '/' + relative;
}

bool isSelected(const std::vector<std::string>& specs, const std::vector<std::string>& parts)
{
    for (const std::string& spec : specs) {
        bool pattern = spec.find_first_of("*?") != std::string::npos;
        if (pattern ? matchesPattern(spec, parts.back()) : spec == joinParts(parts, parts.size()))
            return true;
    }
    return false;
}

// Every name is checked before the first byte is written, so a hostile
// cabinet leaves nothing behind.
Result plan(const Command& cmd, CabReader& reader, Cp932Codec& codec, std::vector<PlannedFile>& out)
{
    std::set<std::string> targets;
    for (const CabEntry& entry : reader.entries()) {
        PlannedFile file{entry, {}, {}};
        Result named = decodeStoredName(entry.rawName, entry.utf8, codec, file.parts);
        if (!named.ok())
            return named;
        if (!isSelected(cmd.specs, file.parts))
            continue;
        file.target = under(cmd.folder, joinParts(file.parts, file.parts.size()));
        struct stat st;
        bool clash = !targets.insert(file.target).second || ::lstat(file.target.c_str(), &st) == 0;
        if (clash && !cmd.overwrite)
            return fail(Status::Exists, file.target);
        out.push_back(std::move(file));
    }
    return {};
}

Result makeFolder(const std::string& path, bool allowLink)
{
    struct stat st;
    if (::mkdir(path.c_str(), 0777) == 0)
        return {};
    if (errno != EEXIST || ::lstat(path.c_str(), &st) != 0)
        return fail(Status::Write, path);
    if (S_ISLNK(st.st_mode) && allowLink && ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
        return {};
    // A link inside the target could lead the file anywhere.
    if (S_ISLNK(st.st_mode))
        return fail(Status::UnsafeName, path);
    return S_ISDIR(st.st_mode) ? Result{} : fail(Status::Write, path);
}

// The target folder itself may be reached through links (the caller named
// it); every folder below it must be a real folder.
Result makeTarget(const std::string& target)
{
    struct stat st;
    if (::stat(target.c_str(), &st) == 0 && S_ISDIR(st.st_mode))
        return {};
    for (size_t slash = target.find('/', 1); slash != std::string::npos; slash = target.find('/', slash + 1)) {
        Result made = makeFolder(target.substr(0, slash), true);
        if (!made.ok())
            return made;
    }
    return makeFolder(target, true);
}

Result makeSubfolders(const std::string& target, const std::vector<std::string>& parts)
{
    for (size_t i = 1; i < parts.size(); ++i) {
        Result made = makeFolder(under(target, joinParts(parts, i)), false);
        if (!made.ok())
            return made;
    }
    return {};
}

void applyStamp(const std::string& path, const CabEntry& entry)
{
    std::tm local{};
    local.tm_year = entry.year - 1900;
    local.tm_mon = entry.month - 1;
    local.tm_mday = entry.day;
    local.tm_hour = entry.hour;
    local.tm_min = entry.minute;
    local.tm_sec = entry.second;
    local.tm_isdst = -1;
    std::time_t when = std::mktime(&local);
    if (entry.month >= 1 && when != static_cast<std::time_t>(-1)) {
        timespec times[2] = {{0, UTIME_NOW}, {when, 0}};
        ::utimensat(AT_FDCWD, path.c_str(), times, AT_SYMLINK_NOFOLLOW);
    }
    struct stat st;
    if (entry.readOnly && ::stat(path.c_str(), &st) == 0)
        ::chmod(path.c_str(), st.st_mode & 07555);
}

Result writeFile(CabReader& reader, const PlannedFile& file, bool overwrite)
{
    std::string temp;
    int fd = createUniqueFile(file.target, temp);
    if (fd < 0)
        return fail(Status::Write, file.target);
    ::close(fd);
    Result result = reader.extract(file.entry, temp);
    if (result.ok()) {
        applyStamp(temp, file.entry);
        if (moveIntoPlace(temp, file.target, overwrite) != 0)
            result = fail(errno == EEXIST ? Status::Exists : Status::Write, file.target);
    }
    if (!result.ok())
        ::unlink(temp.c_str());
    return result;
}

} // namespace

Result extractCabinet(const Command& cmd, Cp932Codec& codec)
{
    CabReader reader;
    Result result = reader.open(cmd.archive);
    std::vector<PlannedFile> files;
    if (result.ok())
        result = plan(cmd, reader, codec, files);
    if (result.ok())
        result = makeTarget(cmd.folder);
    for (size_t i = 0; result.ok() && i < files.size(); ++i) {
        if (cmd.stop())
            return fail(Status::Stopped);
        result = makeSubfolders(cmd.folder, files[i].parts);
        if (result.ok())
            result = writeFile(reader, files[i], cmd.overwrite);
    }
    return result;
}

bool isReadableCabinet(const std::string& path, bool fullCheck)
{
    CabReader reader;
    if (!reader.open(path).ok())
        return false;
    return !fullCheck || reader.verifyAll().ok();
}

} // namespace cab32
