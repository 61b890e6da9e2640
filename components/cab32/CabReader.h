#pragma once

#include "MspackIo.h"
#include "Status.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

struct mscab_decompressor;
struct mscabd_cabinet;
struct mscabd_file;
struct mscabd_folder;

namespace cab32 {

// One file as the cabinet lists it.
struct CabEntry {
    std::string_view rawName;  // as stored, valid while the reader is open
    bool utf8 = false;         // attribute 0x80
    bool readOnly = false;     // attribute 0x01
    uint32_t length = 0;
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    mscabd_file* handle = nullptr;
};

// A cabinet opened with libmspack (which also reads LZX and Quantum).
class CabReader {
public:
    CabReader();
    ~CabReader();
    CabReader(const CabReader&) = delete;
    CabReader& operator=(const CabReader&) = delete;

    // NotFound (cannot be opened), NotArchive (no "MSCF" signature), Damaged
    // (headers unreadable or inconsistent, no files, a block header missing,
    // files overlapping inside a folder or reaching past the bytes its
    // blocks declare), Memory. Only headers are read.
    Result open(const std::string& path);

    // The files in the order the cabinet lists them.
    std::vector<CabEntry> entries() const;

    // Asked before every read of the cabinet while decompressing; a stop
    // ends the call with Status::Stopped.
    void setStop(StopCheck stop) { m_io.setStop(stop); }

    // Decompresses one file into outPath (created or truncated; never through
    // a link). Damaged (checksum, truncation, bad data), Write or Stopped.
    Result extract(const CabEntry& entry, const std::string& outPath);

    // The same into memory: out receives the file's bytes.
    Result extractToMemory(const CabEntry& entry, std::string& out);

    // Decompresses each folder once, whole, without writing, checking every
    // checksum. Damaged or Stopped.
    Result verifyAll();

private:
    Result checkLayout();
    Result translate(int mspackError, const std::string& subject);

    MspackIo m_io;
    mscab_decompressor* m_decompressor = nullptr;
    mscabd_cabinet* m_cabinet = nullptr;
    std::string m_path;
    std::vector<mscabd_folder*> m_folders;
    std::vector<uint64_t> m_folderLengths;  // the sum of each folder's cbUncomp
};

} // namespace cab32
