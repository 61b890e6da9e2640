#pragma once

#include "ByteSink.h"
#include "SystemFiles.h"

#include <string>
#include <vector>

namespace cab32 {

// A file written under a temporary name beside its final path and renamed
// into place by commit(); destroyed without commit() it leaves nothing behind.
class StagedFile final : public ByteSink {
public:
    StagedFile() = default;
    ~StagedFile() override;
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;

    // Creates the temporary file. Status::Write when the folder of finalPath
    // cannot take it.
    Result open(const std::string& finalPath);

    Status append(const void* data, size_t size) override;
    Status overwrite(uint64_t offset, const void* data, size_t size) override;
    uint64_t size() const override;

    // Flushes, syncs and renames onto the final path. Without replace an
    // existing final path gives Status::Exists and the temporary file goes.
    Result commit(bool replace);

private:
    Status flush();
    void discard();

    std::string m_finalPath;
    std::string m_tempPath;
    sys::File m_file;
    uint64_t m_size = 0;
    std::vector<char> m_buffer;
};

// Creates base + ".~PID.N.tmp" as a file that did not exist, with mode
// 0666 less the umask; tries a few N. False with errno set.
bool createUniqueFile(const std::string& base, sys::File& file, std::string& createdPath);

} // namespace cab32
