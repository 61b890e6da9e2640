#include "CabReader.h"

#include "CabFormat.h"
#include "SystemFiles.h"

#include <algorithm>
#include <cstring>
#include <mspack.h>
#include <unordered_map>

namespace cab32 {
namespace {

// Reads the first four bytes; the signature decides "not a cabinet" before
// libmspack's more general complaints.
Status checkSignature(const std::string& path)
{
    sys::File file;
    if (!file.open(path, sys::Open::Read))
        return Status::NotFound;
    char magic[4] = {};
    const long long got = file.read(magic, sizeof magic);
    if (got != 4 || std::memcmp(magic, "MSCF", 4) != 0)
        return Status::NotArchive;
    return Status::Ok;
}

bool readAt(sys::File& file, uint64_t offset, uint8_t* buffer, size_t size)
{
    return file.readAt(offset, buffer, size) == static_cast<long long>(size);
}

uint16_t le16(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

uint32_t le32(const uint8_t* p)
{
    return le16(p) | static_cast<uint32_t>(le16(p + 2)) << 16;
}

constexpr uint16_t kReservePresent = 0x0004;
constexpr uint16_t kPrevCabinet = 0x0001;
constexpr uint16_t kNextCabinet = 0x0002;

// libmspack reads these; another method or window is a damaged header, not
// a decompressor that fails to start (which it reports as out of memory).
bool isKnownMethod(uint16_t type)
{
    const unsigned method = type & 0x000F, window = (type >> 8) & 0x1F;
    return method == 0 || method == 1 || (method == 2 && window >= 10 && window <= 21)
        || (method == 3 && window >= 15 && window <= 21);
}

// The uncompressed bytes each folder's blocks declare, read from the CFDATA
// headers alone. Two folders may not share blocks, so a small file cannot
// make this walk long: every header read stands for bytes of the file.
bool readFolderLengths(sys::File& file, std::vector<uint64_t>& lengths)
{
    uint8_t head[format::kHeaderSize];
    if (!readAt(file, 0, head, sizeof head))
        return false;
    const uint16_t folderCount = le16(head + 26), flags = le16(head + 30);
    uint64_t at = format::kHeaderSize;
    unsigned folderReserve = 0, dataReserve = 0;
    if (flags & kReservePresent) {
        uint8_t sizes[4];
        if (!readAt(file, at, sizes, sizeof sizes))
            return false;
        at += sizeof sizes + le16(sizes);
        folderReserve = sizes[2];
        dataReserve = sizes[3];
    }
    const int strings = (flags & kPrevCabinet ? 2 : 0) + (flags & kNextCabinet ? 2 : 0);
    for (int i = 0; i < strings; ++i) {
        char text[256];
        const long long got = file.readAt(at, text, sizeof text);
        const void* end = got > 0 ? std::memchr(text, '\0', static_cast<size_t>(got)) : nullptr;
        if (end == nullptr)
            return false;
        at += static_cast<const char*>(end) - text + 1;
    }
    struct Folder {
        uint32_t dataOffset;
        uint16_t blocks;
        size_t index;
    };
    std::vector<Folder> folders;
    for (size_t i = 0; i < folderCount; ++i, at += format::kFolderEntrySize + folderReserve) {
        uint8_t entry[format::kFolderEntrySize];
        if (!readAt(file, at, entry, sizeof entry) || !isKnownMethod(le16(entry + 6)))
            return false;
        folders.push_back({le32(entry), le16(entry + 4), i});
    }
    std::sort(folders.begin(), folders.end(),
              [](const Folder& a, const Folder& b) { return a.dataOffset < b.dataOffset; });
    lengths.assign(folderCount, 0);
    uint64_t previousEnd = 0;
    for (const Folder& folder : folders) {
        uint64_t block = folder.dataOffset;
        if (block < previousEnd)
            return false;
        for (unsigned i = 0; i < folder.blocks; ++i) {
            uint8_t header[format::kDataHeaderSize];
            if (!readAt(file, block, header, sizeof header)
                || le16(header + 6) > format::kBlockSize)
                return false;
            lengths[folder.index] += le16(header + 6);
            block += sizeof header + dataReserve + le16(header + 4);
        }
        previousEnd = block;
    }
    return true;
}

} // namespace

CabReader::CabReader()
{
    int selftest = MSPACK_ERR_OK;
    MSPACK_SYS_SELFTEST(selftest);
    if (selftest == MSPACK_ERR_OK)
        m_decompressor = mspack_create_cab_decompressor(m_io.system());
}

CabReader::~CabReader()
{
    if (m_decompressor != nullptr) {
        if (m_cabinet != nullptr)
            m_decompressor->close(m_decompressor, m_cabinet);
        mspack_destroy_cab_decompressor(m_decompressor);
    }
}

Result CabReader::open(const std::string& path)
{
    if (m_decompressor == nullptr)
        return fail(Status::Memory, path);
    Status signature = checkSignature(path);
    if (signature != Status::Ok)
        return fail(signature, path);
    m_path = path;  // libmspack keeps the pointer until close()
    m_cabinet = m_decompressor->open(m_decompressor, m_path.c_str());
    if (m_cabinet == nullptr)
        return translate(m_decompressor->last_error(m_decompressor), path);
    if (m_cabinet->files == nullptr)
        return fail(Status::Damaged, path);
    return checkLayout();
}

// What a file declares must be there once, before anything is decompressed:
// files that overlap or reach past their folder's blocks would let a small
// cabinet write or check gigabytes.
Result CabReader::checkLayout()
{
    sys::File file;
    if (!file.open(m_path, sys::Open::Read))
        return fail(Status::NotFound, m_path);
    const bool read = readFolderLengths(file, m_folderLengths);
    file.close();
    std::unordered_map<const mscabd_folder*, size_t> indexOf;
    for (mscabd_folder* f = m_cabinet->folders; f != nullptr; f = f->next) {
        indexOf.emplace(f, m_folders.size());
        m_folders.push_back(f);
    }
    if (!read || m_folders.size() != m_folderLengths.size())
        return fail(Status::Damaged, m_path);
    struct Span {
        uint64_t start, end;
    };
    std::vector<std::vector<Span>> spans(m_folders.size());
    for (mscabd_file* f = m_cabinet->files; f != nullptr; f = f->next) {
        const auto folder = indexOf.find(f->folder);
        if (folder == indexOf.end())
            return fail(Status::Damaged, m_path);
        const size_t index = folder->second;
        const uint64_t end = uint64_t{f->offset} + f->length;
        if (end > m_folderLengths[index])
            return fail(Status::Damaged, m_path);
        spans[index].push_back({f->offset, end});
    }
    for (std::vector<Span>& folder : spans) {
        std::sort(folder.begin(), folder.end(), [](const Span& a, const Span& b) {
            return a.start != b.start ? a.start < b.start : a.end < b.end;
        });
        for (size_t i = 1; i < folder.size(); ++i) {
            if (folder[i].start < folder[i - 1].end)
                return fail(Status::Damaged, m_path);
        }
    }
    return {};
}

std::vector<CabEntry> CabReader::entries() const
{
    std::vector<CabEntry> list;
    for (mscabd_file* f = m_cabinet ? m_cabinet->files : nullptr; f != nullptr; f = f->next) {
        CabEntry e;
        e.rawName = f->filename;
        e.utf8 = (f->attribs & MSCAB_ATTRIB_UTF_NAME) != 0;
        e.readOnly = (f->attribs & MSCAB_ATTRIB_RDONLY) != 0;
        e.length = f->length;
        e.year = f->date_y;
        e.month = f->date_m;
        e.day = f->date_d;
        e.hour = f->time_h;
        e.minute = f->time_m;
        e.second = f->time_s;
        e.handle = f;
        list.push_back(e);
    }
    return list;
}

Result CabReader::extract(const CabEntry& entry, const std::string& outPath)
{
    m_io.reset();
    int rc = m_decompressor->extract(m_decompressor, entry.handle, outPath.c_str());
    return translate(rc, outPath);
}

Result CabReader::extractToMemory(const CabEntry& entry, std::string& out)
{
    out.clear();
    m_io.setMemoryOutput(&out, entry.length);
    Result result = extract(entry, std::string());
    m_io.setMemoryOutput(nullptr, 0);
    return result;
}

// One pass over each folder's whole data: a cabinet whose files overlap
// costs no more than one whose files do not.
Result CabReader::verifyAll()
{
    m_io.setDiscardOutput(true);
    Result result;
    char noName[] = "";
    for (size_t i = 0; result.ok() && i < m_folders.size(); ++i) {
        mscabd_file whole{};
        whole.filename = noName;
        whole.length = static_cast<unsigned int>(m_folderLengths[i]);
        whole.folder = m_folders[i];
        CabEntry entry;
        entry.handle = &whole;
        result = extract(entry, std::string());
    }
    m_io.setDiscardOutput(false);
    return result;
}

Result CabReader::translate(int mspackError, const std::string& subject)
{
    if (mspackError == MSPACK_ERR_OK)
        return {};
    if (m_io.stopped())
        return fail(Status::Stopped);
    if (m_io.outputFailed())
        return fail(Status::Write, subject);
    switch (mspackError) {
    case MSPACK_ERR_OPEN: return fail(Status::NotFound, subject);
    case MSPACK_ERR_NOMEMORY: return fail(Status::Memory, subject);
    case MSPACK_ERR_WRITE: return fail(Status::Write, subject);
    case MSPACK_ERR_ARGS: return fail(Status::Internal, subject);
    default: return fail(Status::Damaged, subject);
    }
}

} // namespace cab32
