#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace cab32 {

// Checks raw deflate streams for Huffman codes that are not complete.
//
// RFC 1951 allows an incomplete code, notably a block without back
// references whose distance code is empty. libdeflate before 1.19 writes such
// blocks; libmspack (cabextract) and the Windows decompressor reject them.
// The stream is walked with zlib's inflate, stopping at every block boundary
// to read that block's code lengths.
class DeflateAudit {
public:
    DeflateAudit();
    ~DeflateAudit();
    DeflateAudit(const DeflateAudit&) = delete;
    DeflateAudit& operator=(const DeflateAudit&) = delete;

    // True when the stream decodes to at most 32768 bytes and every dynamic
    // block's three codes are complete. False for anything else, including
    // streams that do not decode.
    bool acceptable(const uint8_t* data, size_t size);

private:
    struct State;
    std::unique_ptr<State> m_state;
};

// True when the dynamic block header starting at bitOffset has complete
// code-length, literal/length and distance codes (stored and fixed blocks are
// always fine). False also when the header runs past size.
bool blockHeaderComplete(const uint8_t* data, size_t size, size_t bitOffset);

} // namespace cab32
