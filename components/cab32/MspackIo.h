#pragma once

#include "Status.h"

#include <cstddef>
#include <string>

struct mspack_system;

namespace cab32 {

// The file access libmspack uses: system calls that never print, never follow
// a link when creating an output file, and remember which side failed so an
// unwritable target is not reported as a damaged cabinet.
class MspackIo {
public:
    MspackIo();
    ~MspackIo();
    MspackIo(const MspackIo&) = delete;
    MspackIo& operator=(const MspackIo&) = delete;

    // The table to hand to mspack_create_cab_decompressor(); owned here.
    mspack_system* system();

    // While set, output files are not created and their bytes are dropped
    // (used to verify every checksum without writing anything).
    void setDiscardOutput(bool discard);
    bool discardOutput() const;

    // While sink is set, output goes into it instead of a file; more than
    // limit bytes fail as a write (EFBIG).
    void setMemoryOutput(std::string* sink, size_t limit);
    bool appendToMemory(const void* data, size_t size);
    bool memoryOutput() const { return m_sink != nullptr; }

    // Asked before every read of the cabinet; once it says stop, reads fail
    // and stopped() tells why.
    void setStop(StopCheck stop) { m_stop = stop; }
    bool askStop();
    bool stopped() const { return m_stopped; }

    // Whether an output file could not be opened or written since reset();
    // the failure's errno goes to noteSystemError().
    bool outputFailed() const;
    void noteOutputFailure(int error);
    void reset();

    struct Table;  // the mspack_system with a way back to this object

private:
    Table* m_table;
    bool m_discard = false;
    bool m_outputFailed = false;
    std::string* m_sink = nullptr;
    size_t m_limit = 0;
    StopCheck m_stop;
    bool m_stopped = false;
};

} // namespace cab32
