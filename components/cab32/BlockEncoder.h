#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <vector>

struct libdeflate_compressor;

namespace cab32 {

// Turns one block of at most 32768 bytes into the data of its CFDATA entry.
class BlockEncoder {
public:
    // MSZIP with the given libdeflate level (1..12); a level of 0 stores.
    explicit BlockEncoder(int deflateLevel);
    ~BlockEncoder();
    BlockEncoder(const BlockEncoder&) = delete;
    BlockEncoder& operator=(const BlockEncoder&) = delete;

    // False when a compressor could not be allocated.
    bool valid() const;

    // CFFOLDER typeCompress for these blocks.
    uint16_t compressionType() const;

    // The encoded block, valid until the next call. MSZIP blocks are "CK" and
    // one complete raw deflate stream, from libdeflate, or from zlib when
    // libdeflate's stream has an incomplete Huffman code (see DeflateAudit);
    // a block that does not shrink is one stored deflate block, so every
    // block fits 32768 + 12 bytes.
    std::span<const uint8_t> encode(const uint8_t* data, size_t size);

    // How many blocks went to zlib so far (tests watch the fallback).
    size_t zlibBlocks() const;

private:
    struct FreeCompressor {
        void operator()(libdeflate_compressor* c) const;
    };
    struct Fallback;

    size_t storeBlock(const uint8_t* data, size_t size);

    std::unique_ptr<libdeflate_compressor, FreeCompressor> m_compressor;
    std::unique_ptr<Fallback> m_fallback;
    bool m_store;
    size_t m_zlibBlocks = 0;
    std::vector<uint8_t> m_out;
};

} // namespace cab32
