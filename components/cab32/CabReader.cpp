#include "CabReader.h"

#include <cstring>
#include <fcntl.h>
#include <mspack.h>
#include <unistd.h>

namespace cab32 {
namespace {

// Reads the first four bytes; the signature decides "not a cabinet" before
// libmspack's more general complaints.
Status checkSignature(const std::string& path)
{
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return Status::NotFound;
    char magic[4] = {};
    ssize_t got = ::read(fd, magic, sizeof magic);
    ::close(fd);
    if (got != 4 || std::memcmp(magic, "MSCF", 4) != 0)
        return Status::NotArchive;
    return Status::Ok;
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

Result CabReader::verifyAll()
{
    m_io.setDiscardOutput(true);
    Result result;
    for (const CabEntry& entry : entries()) {
        result = extract(entry, std::string());
        if (!result.ok())
            break;
    }
    m_io.setDiscardOutput(false);
    return result;
}

Result CabReader::translate(int mspackError, const std::string& subject)
{
    if (mspackError == MSPACK_ERR_OK)
        return {};
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
