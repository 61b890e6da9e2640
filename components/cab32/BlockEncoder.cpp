#include "BlockEncoder.h"

#include "CabFormat.h"
#include "DeflateAudit.h"

#include <cstring>
#include <libdeflate.h>
#include <zlib.h>

namespace cab32 {

namespace {
// "CK" + stored-block header (BFINAL=1, BTYPE=00, LEN, NLEN).
constexpr size_t kStoredOverhead = 2 + 5;
constexpr int kZlibLevel = 6;
}

struct BlockEncoder::Fallback {
    DeflateAudit audit;
    z_stream stream{};
    bool ready = false;

    Fallback()
    {
        ready = deflateInit2(&stream, kZlibLevel, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) == Z_OK;
    }
    ~Fallback()
    {
        if (ready)
            deflateEnd(&stream);
    }

    // zlib pads every code to completeness. Returns 0 when it does not fit.
    size_t compress(const uint8_t* data, size_t size, uint8_t* out, size_t capacity)
    {
        if (!ready || deflateReset(&stream) != Z_OK)
            return 0;
        stream.next_in = const_cast<Bytef*>(data);
        stream.avail_in = static_cast<uInt>(size);
        stream.next_out = out;
        stream.avail_out = static_cast<uInt>(capacity);
        return deflate(&stream, Z_FINISH) == Z_STREAM_END ? capacity - stream.avail_out : 0;
    }
};

void BlockEncoder::FreeCompressor::operator()(libdeflate_compressor* c) const
{
    libdeflate_free_compressor(c);
}

BlockEncoder::BlockEncoder(int deflateLevel)
    : m_store(deflateLevel == 0)
{
    if (!m_store) {
        m_compressor.reset(libdeflate_alloc_compressor(deflateLevel));
        m_fallback = std::make_unique<Fallback>();
    }
    m_out.resize(format::kBlockSize + kStoredOverhead);
}

BlockEncoder::~BlockEncoder() = default;

bool BlockEncoder::valid() const
{
    return m_store || (m_compressor != nullptr && m_fallback->ready);
}

uint16_t BlockEncoder::compressionType() const
{
    return m_store ? format::kCompressNone : format::kCompressMszip;
}

size_t BlockEncoder::zlibBlocks() const
{
    return m_zlibBlocks;
}

std::span<const uint8_t> BlockEncoder::encode(const uint8_t* data, size_t size)
{
    if (m_store)
        return {data, size};
    m_out[0] = 'C';
    m_out[1] = 'K';
    uint8_t* stream = m_out.data() + 2;
    // Room for one byte less than the input: only a block that shrinks is
    // kept compressed.
    size_t capacity = size > 1 ? size - 1 : 0;
    size_t packed = capacity ? libdeflate_deflate_compress(m_compressor.get(), data, size, stream, capacity) : 0;
    if (packed != 0 && !m_fallback->audit.acceptable(stream, packed)) {
        ++m_zlibBlocks;
        packed = m_fallback->compress(data, size, stream, capacity);
    }
    if (packed == 0)
        packed = storeBlock(data, size);
    return {m_out.data(), packed + 2};
}

size_t BlockEncoder::storeBlock(const uint8_t* data, size_t size)
{
    auto len = static_cast<uint16_t>(size);
    m_out[2] = 0x01;
    format::putLe16(&m_out[3], len);
    format::putLe16(&m_out[5], static_cast<uint16_t>(~len));
    std::memcpy(&m_out[kStoredOverhead], data, size);
    return size + kStoredOverhead - 2;
}

} // namespace cab32
