#include "BlockPipeline.h"
#include "CabWriter.h"
#include "FileScanner.h"
#include "Operations.h"
#include "StagedFile.h"
#include "StoredName.h"
#include "SystemFiles.h"

namespace cab32 {

Result createCabinet(const Command& cmd, Cp932Codec& codec)
{
    if (cmd.method == Method::Lzx || cmd.method == Method::Quantum)
        return fail(Status::Method, cmd.method == Method::Lzx ? "LZX" : "Quantum");
    sys::FileInfo existing;
    if (!cmd.overwrite && sys::linkInfo(cmd.archive, existing))
        return fail(Status::Exists, cmd.archive);
    std::vector<SourceFile> files;
    Result result = collectFiles(cmd, files);
    if (!result.ok())
        return result;
    // Before the temporary file: a refused name leaves nothing at all.
    std::vector<std::vector<std::string>> names;
    names.reserve(files.size());
    for (const SourceFile& file : files)
        names.push_back(file.parts);
    result = refuseWindowsDuplicates(names, codec);
    if (!result.ok())
        return result;
    BlockPipeline pipeline(cmd.method == Method::Store ? 0 : kDeflateLevel);
    if (!pipeline.valid())
        return fail(Status::Memory);
    StagedFile output;
    result = output.open(cmd.archive);
    if (!result.ok())
        return result;
    CabWriter writer(output, pipeline, codec);
    writer.setStopCheck(cmd.stop);
    result = writer.write(files);
    if (!result.ok())
        return result;  // the staged file goes with output
    return output.commit(cmd.overwrite);
}

} // namespace cab32
