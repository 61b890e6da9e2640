#include "CabReader.h"
#include "ErrorNote.h"
#include "FileScanner.h"
#include "Listing.h"
#include "Operations.h"
#include "StagedFile.h"
#include "StoredName.h"
#include "SystemFiles.h"

#include <cerrno>
#include <ctime>
#include <set>

namespace cab32 {
namespace {

struct PlannedFile {
    CabEntry entry;
    std::vector<std::string> parts;
    std::string target;
};

// A file with its name as -x writes it.
struct NamedFile {
    CabEntry entry;
    std::vector<std::string> parts;
    std::string name;  // the parts joined with "/"
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
// cabinet leaves nothing behind: UnsafeName for a name outside the target,
// Exists for a name that is a file and also a folder of another, and with
// refuseTwice for a name given twice.
Result decodeNames(CabReader& reader, Cp932Codec& codec, bool refuseTwice, std::vector<NamedFile>& out)
{
    std::set<std::string> files, folders;
    for (const CabEntry& entry : reader.entries()) {
        NamedFile file{entry, {}, {}};
        Result named = decodeStoredName(entry.rawName, entry.utf8, codec, file.parts);
        if (!named.ok())
            return named;
        file.name = joinParts(file.parts, file.parts.size());
        if (folders.count(file.name) != 0)
            return fail(Status::Exists, file.name);
        for (size_t i = 1; i < file.parts.size(); ++i) {
            std::string folder = joinParts(file.parts, i);
            if (files.count(folder) != 0)
                return fail(Status::Exists, file.name);
            folders.insert(std::move(folder));
        }
        if (!files.insert(file.name).second && refuseTwice)
            return fail(Status::Exists, file.name);
        out.push_back(std::move(file));
    }
    return {};
}

Result plan(const Command& cmd, CabReader& reader, Cp932Codec& codec, std::vector<PlannedFile>& out)
{
    std::vector<NamedFile> named;
    Result result = decodeNames(reader, codec, false, named);
    if (!result.ok())
        return result;
    std::set<std::string> targets;
    for (NamedFile& file : named) {
        if (!isSelected(cmd.specs, file.parts))
            continue;
        // A name this system cannot hold as it stands could meet another
        // once written (Windows drops a trailing "."); only what is written
        // counts, CabList and CabReadFile take it.
        for (const std::string& part : file.parts)
            if (!sys::canHoldName(part))
                return fail(Status::UnsafeName, file.name);
        std::string target = under(cmd.folder, file.name);
        sys::FileInfo existing;
        bool clash = !targets.insert(target).second || sys::linkInfo(target, existing);
        if (clash && !cmd.overwrite)
            return fail(Status::Exists, target);
        out.push_back({file.entry, std::move(file.parts), std::move(target)});
    }
    return {};
}

// In the target's folder under a short name of fixed length, so that every
// name that fits the folder also fits while it is written.
bool createTemporary(const std::string& target, sys::File& file, std::string& createdPath)
{
    return createUniqueFile(target.substr(0, target.rfind('/') + 1), file, createdPath);
}

Result makeFolder(const std::string& path, bool allowLink)
{
    sys::FileInfo st;
    if (sys::makeFolder(path))
        return {};
    if (errno != EEXIST || !sys::linkInfo(path, st)) {
        noteSystemError(errno);
        return fail(Status::Write, path);
    }
    if (st.kind == sys::Kind::Link && allowLink && sys::fileInfo(path, st)
        && st.kind == sys::Kind::Folder)
        return {};
    // A link inside the target could lead the file anywhere.
    if (st.kind == sys::Kind::Link)
        return fail(Status::UnsafeName, path);
    if (st.kind == sys::Kind::Folder)
        return {};
    noteSystemError(ENOTDIR);
    return fail(Status::Write, path);
}

// The target folder itself may be reached through links (the caller named
// it); every folder below it must be a real folder.
Result makeTarget(const std::string& target)
{
    sys::FileInfo st;
    if (sys::fileInfo(target, st) && st.kind == sys::Kind::Folder)
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
    auto when = sys::fromLocalTime(local);
    if (entry.month >= 1 && when)
        sys::setModified(path, *when);
    if (entry.readOnly)
        sys::makeReadOnly(path);
}

Result writeFile(CabReader& reader, const PlannedFile& file, bool overwrite)
{
    std::string temp;
    sys::File created;
    if (!createTemporary(file.target, created, temp)) {
        noteSystemError(errno);
        return fail(Status::Write, file.target);
    }
    created.close();
    Result result = reader.extract(file.entry, temp);
    // The caller knows the final name; the temporary one means nothing to it.
    if (result.status == Status::Write)
        result.subject = file.target;
    if (result.ok()) {
        applyStamp(temp, file.entry);
        if (!sys::moveFile(temp, file.target, overwrite)) {
            noteSystemError(errno);
            result = fail(errno == EEXIST ? Status::Exists : Status::Write, file.target);
        }
    }
    if (!result.ok())
        sys::removeFile(temp);
    return result;
}

} // namespace

Result extractCabinet(const Command& cmd, Cp932Codec& codec)
{
    CabReader reader;
    Result result = reader.open(cmd.archive);
    reader.setStop(cmd.stop);
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

// The cabinet opened for reading alone, its names decoded as -x writes them.
static Result openNamed(const std::string& path, StopCheck stop, Cp932Codec& codec, CabReader& reader,
                        std::vector<NamedFile>& files)
{
    Result result = reader.open(path);
    reader.setStop(stop);
    if (result.ok())
        result = decodeNames(reader, codec, true, files);
    return result;
}

Result listCabinet(const std::string& path, bool fullCheck, StopCheck stop, Cp932Codec& codec,
                   const std::function<bool(const std::string& name, uint64_t size)>& each)
{
    CabReader reader;
    std::vector<NamedFile> files;
    Result result = openNamed(path, stop, codec, reader, files);
    if (result.ok() && fullCheck)
        result = reader.verifyAll();
    for (size_t i = 0; result.ok() && i < files.size(); ++i) {
        if (!each(files[i].name, files[i].entry.length))
            result = fail(Status::Stopped);
    }
    return result;
}

Result readCabinetFile(const std::string& path, const std::string& name, size_t limit,
                       StopCheck stop, Cp932Codec& codec, std::string& out, uint64_t& size)
{
    CabReader reader;
    std::vector<NamedFile> files;
    Result result = openNamed(path, stop, codec, reader, files);
    if (!result.ok())
        return result;
    for (const NamedFile& file : files) {
        if (file.name != name)
            continue;
        size = file.entry.length;
        return size > limit ? fail(Status::Limit, name) : reader.extractToMemory(file.entry, out);
    }
    return fail(Status::NotFound, name);
}

} // namespace cab32
