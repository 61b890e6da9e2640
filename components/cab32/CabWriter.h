#pragma once

#include "FileScanner.h"
#include "Status.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace cab32 {

class BlockEncoder;
class BlockPipeline;
class ByteSink;
class Cp932Codec;
class SourceReader;

// Writes one single-volume cabinet (index 0) holding the given files in the
// given order. Memory stays at the pipeline's window of blocks plus the file
// table: file contents are streamed block by block and the folder table is
// patched at the end.
class CabWriter {
public:
    // Blocks encoded by the pipeline (on its threads). blocksPerFolder below
    // 65535 only serves tests of the folder split.
    CabWriter(ByteSink& sink, BlockPipeline& pipeline, Cp932Codec& codec,
              uint32_t blocksPerFolder = 65535);
    // Blocks encoded one after the other by encoder, in the calling thread.
    CabWriter(ByteSink& sink, BlockEncoder& encoder, Cp932Codec& codec,
              uint32_t blocksPerFolder = 65535);
    ~CabWriter();

    // The files are read through reader (by default the file system's);
    // reader must outlive the writer.
    void setSourceReader(SourceReader& reader);
    // Asked between files and after each block read.
    void setStopCheck(StopCheck stop) { m_stop = stop; }

    // Status::Name (a name cannot be stored), Limit (too many files, a file
    // too large for one folder, a cabinet over 4 GiB), Read (a file cannot be
    // read, or differs from its scan afterwards: another size or time, more
    // bytes), Write (from the sink) or Stopped. The sink then holds a partial
    // cabinet; the caller discards it.
    Result write(const std::vector<SourceFile>& files);

private:
    struct FolderPlan {
        size_t firstFile = 0;
        size_t endFile = 0;
        uint32_t dataOffset = 0;
        uint16_t blocks = 0;
    };

    Result planFolders(const std::vector<SourceFile>& files);
    Result writeTables(const std::vector<SourceFile>& files);
    Result writeFolderData(const std::vector<SourceFile>& files, FolderPlan& folder);
    Result streamFile(const SourceFile& file, FolderPlan& folder);
    Status emitBlock(FolderPlan& folder);
    Result patchTables();

    std::unique_ptr<SourceReader> m_ownReader;
    SourceReader* m_reader;
    StopCheck m_stop;
    ByteSink& m_sink;
    std::unique_ptr<BlockPipeline> m_ownPipeline;
    BlockPipeline& m_pipeline;
    Cp932Codec& m_codec;
    uint64_t m_folderCapacity;
    std::vector<FolderPlan> m_folders;
    std::vector<uint16_t> m_fileFolder;
    std::vector<uint32_t> m_fileOffset;
    size_t m_fill = 0;
};

} // namespace cab32
