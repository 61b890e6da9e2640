#pragma once

#include "ByteSink.h"

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
    int m_fd = -1;
    uint64_t m_size = 0;
    std::vector<char> m_buffer;
};

// Creates path as a file that did not exist, with mode 0666 less the umask;
// tries a few suffixes beside base. Returns the descriptor, or -1 (errno set).
int createUniqueFile(const std::string& base, std::string& createdPath);

// Renames from onto to; without replace an existing to fails with EEXIST
// (atomically where the file system allows). Returns 0 or -1 (errno set).
int moveIntoPlace(const std::string& from, const std::string& to, bool replace);

} // namespace cab32
