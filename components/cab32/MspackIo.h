#pragma once

struct mspack_system;

namespace cab32 {

// The file access libmspack uses: POSIX calls that never print, never follow
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

    // Whether an output file could not be opened or written since reset().
    bool outputFailed() const;
    void noteOutputFailure();
    void reset();

    struct Table;  // the mspack_system with a way back to this object

private:
    Table* m_table;
    bool m_discard = false;
    bool m_outputFailed = false;
};

} // namespace cab32
