#include "CabWriter.h"

#include "BlockEncoder.h"
#include "BlockPipeline.h"
#include "ByteSink.h"
#include "CabFormat.h"
#include "SourceReader.h"
#include "StoredName.h"

#include <algorithm>
#include <limits>

namespace cab32 {

using namespace format;

namespace {

struct Closer {
    SourceReader& reader;
    ~Closer() { reader.close(); }
};

} // namespace

CabWriter::CabWriter(ByteSink& sink, BlockPipeline& pipeline, Cp932Codec& codec,
                     uint32_t blocksPerFolder)
    : m_ownReader(systemSourceReader())
    , m_reader(m_ownReader.get())
    , m_sink(sink)
    , m_pipeline(pipeline)
    , m_codec(codec)
    , m_folderCapacity(uint64_t{std::clamp<uint32_t>(blocksPerFolder, 1, kMaxBlocksPerFolder)}
                       * kBlockSize)
{
}

CabWriter::CabWriter(ByteSink& sink, BlockEncoder& encoder, Cp932Codec& codec,
                     uint32_t blocksPerFolder)
    : m_ownReader(systemSourceReader())
    , m_reader(m_ownReader.get())
    , m_sink(sink)
    , m_ownPipeline(std::make_unique<BlockPipeline>(encoder))
    , m_pipeline(*m_ownPipeline)
    , m_codec(codec)
    , m_folderCapacity(uint64_t{std::clamp<uint32_t>(blocksPerFolder, 1, kMaxBlocksPerFolder)}
                       * kBlockSize)
{
}

CabWriter::~CabWriter() = default;

void CabWriter::setSourceReader(SourceReader& reader)
{
    m_reader = &reader;
}

Result CabWriter::write(const std::vector<SourceFile>& files)
{
    if (files.size() > kMaxFiles)
        return fail(Status::Limit, "more than 65535 files");
    m_pipeline.discard();
    m_fill = 0;
    Result result = planFolders(files);
    if (result.ok())
        result = writeTables(files);
    for (size_t i = 0; result.ok() && i < m_folders.size(); ++i)
        result = writeFolderData(files, m_folders[i]);
    if (result.ok())
        result = patchTables();
    return result;
}

// A new folder starts when the next file would take a folder past its block
// limit, so no folder ever needs more than 65535 CFDATA entries.
Result CabWriter::planFolders(const std::vector<SourceFile>& files)
{
    m_folders.assign(1, FolderPlan{});
    m_fileFolder.assign(files.size(), 0);
    m_fileOffset.assign(files.size(), 0);
    uint64_t used = 0;
    for (size_t i = 0; i < files.size(); ++i) {
        if (files[i].size > m_folderCapacity)
            return fail(Status::Limit, files[i].path);
        if (used + files[i].size > m_folderCapacity && used > 0) {
            m_folders.back().endFile = i;
            m_folders.push_back(FolderPlan{i, i, 0, 0});
            used = 0;
        }
        m_fileFolder[i] = static_cast<uint16_t>(m_folders.size() - 1);
        m_fileOffset[i] = static_cast<uint32_t>(used);
        used += files[i].size;
    }
    m_folders.back().endFile = files.size();
    return {};
}

Result CabWriter::writeTables(const std::vector<SourceFile>& files)
{
    std::vector<uint8_t> table(kHeaderSize + kFolderEntrySize * m_folders.size(), 0);
    const uint8_t signature[4] = {'M', 'S', 'C', 'F'};
    std::copy(signature, signature + 4, table.begin());
    putLe32(&table[16], static_cast<uint32_t>(table.size()));  // coffFiles
    table[24] = 3;                                              // version 1.3
    table[25] = 1;
    putLe16(&table[26], static_cast<uint16_t>(m_folders.size()));
    putLe16(&table[28], static_cast<uint16_t>(files.size()));
    for (size_t i = 0; i < m_folders.size(); ++i)
        putLe16(&table[kHeaderSize + i * kFolderEntrySize + 6], m_pipeline.compressionType());
    for (size_t i = 0; i < files.size(); ++i) {
        StoredName name;
        Result named = encodeStoredName(files[i].parts, m_codec, name);
        if (!named.ok())
            return named;
        uint8_t entry[kFileEntryFixed];
        DosDateTime stamp = toDosDateTime(files[i].mtime);
        uint16_t attributes = kAttrArchive | (files[i].readOnly ? kAttrReadOnly : 0)
                            | (name.utf8 ? kAttrUtf8Name : 0);
        putLe32(entry, static_cast<uint32_t>(files[i].size));
        putLe32(entry + 4, m_fileOffset[i]);
        putLe16(entry + 8, m_fileFolder[i]);
        putLe16(entry + 10, stamp.date);
        putLe16(entry + 12, stamp.time);
        putLe16(entry + 14, attributes);
        table.insert(table.end(), entry, entry + kFileEntryFixed);
        table.insert(table.end(), name.bytes.begin(), name.bytes.end());
        table.push_back(0);
    }
    if (m_sink.append(table.data(), table.size()) != Status::Ok)
        return fail(Status::Write);
    return {};
}

Result CabWriter::writeFolderData(const std::vector<SourceFile>& files, FolderPlan& folder)
{
    if (m_sink.size() > std::numeric_limits<uint32_t>::max())
        return fail(Status::Limit, "cabinet over 4 GiB");
    folder.dataOffset = static_cast<uint32_t>(m_sink.size());
    for (size_t i = folder.firstFile; i < folder.endFile; ++i) {
        Result result = streamFile(files[i], folder);
        if (!result.ok())
            return result;
    }
    if (m_fill > 0 && emitBlock(folder) != Status::Ok)
        return fail(Status::Write);
    // The next folder's data starts where this one's last block ends.
    if (m_pipeline.finish(m_sink) != Status::Ok)
        return fail(Status::Write);
    return {};
}

Result CabWriter::streamFile(const SourceFile& file, FolderPlan& folder)
{
    if (m_stop())
        return fail(Status::Stopped);
    if (!m_reader->open(file))
        return fail(Status::Read, file.path);
    const Closer closer{*m_reader};
    uint64_t left = file.size;
    while (left > 0) {
        size_t want = static_cast<size_t>(std::min<uint64_t>(left, kBlockSize - m_fill));
        const long long got = m_reader->read(m_pipeline.nextBlock() + m_fill, want);
        if (got <= 0)
            return fail(Status::Read, file.path);  // unreadable, or shorter than listed
        m_fill += static_cast<size_t>(got);
        left -= static_cast<uint64_t>(got);
        if (m_fill == kBlockSize && emitBlock(folder) != Status::Ok)
            return fail(Status::Write);
        if (m_stop())
            return fail(Status::Stopped);
    }
    // Written meanwhile: the bytes read may be neither the old file nor the new.
    char more = 0;
    uint64_t size = 0;
    std::time_t seconds = 0;
    long nanoseconds = 0;
    if (m_reader->read(&more, 1) != 0 || !m_reader->stat(size, seconds, nanoseconds) || size != file.size
        || seconds != file.mtime || nanoseconds != file.mtimeNanoseconds)
        return fail(Status::Read, file.path);
    return {};
}

Status CabWriter::emitBlock(FolderPlan& folder)
{
    const size_t size = m_fill;
    m_fill = 0;
    ++folder.blocks;
    return m_pipeline.submit(size, m_sink);
}

Result CabWriter::patchTables()
{
    uint64_t total = m_sink.size();
    if (total > std::numeric_limits<uint32_t>::max())
        return fail(Status::Limit, "cabinet over 4 GiB");
    uint8_t size[4];
    putLe32(size, static_cast<uint32_t>(total));
    if (m_sink.overwrite(8, size, sizeof size) != Status::Ok)
        return fail(Status::Write);
    for (size_t i = 0; i < m_folders.size(); ++i) {
        uint8_t entry[6];
        putLe32(entry, m_folders[i].dataOffset);
        putLe16(entry + 4, m_folders[i].blocks);
        if (m_sink.overwrite(kHeaderSize + i * kFolderEntrySize, entry, sizeof entry) != Status::Ok)
            return fail(Status::Write);
    }
    return {};
}

} // namespace cab32
