#include "DeflateAudit.h"

#include "CabFormat.h"

#include <zlib.h>

namespace cab32 {
namespace {

constexpr int kMaxBits = 15;

class BitReader {
public:
    BitReader(const uint8_t* data, size_t size, size_t bitOffset)
        : m_data(data), m_bits(size * 8), m_pos(bitOffset)
    {
    }

    bool ok() const { return m_pos <= m_bits; }

    unsigned get(int count)
    {
        unsigned value = 0;
        for (int i = 0; i < count; ++i, ++m_pos) {
            if (m_pos >= m_bits) {
                m_pos = m_bits + 1;
                return 0;
            }
            value |= ((m_data[m_pos / 8] >> (m_pos % 8)) & 1u) << i;
        }
        return value;
    }

private:
    const uint8_t* m_data;
    size_t m_bits;
    size_t m_pos;
};

// Kraft sum equal to one: every bit pattern decodes to a symbol.
bool isComplete(const uint8_t* lengths, int count)
{
    uint32_t sum = 0;
    for (int i = 0; i < count; ++i) {
        if (lengths[i] > kMaxBits)
            return false;
        if (lengths[i] != 0)
            sum += 1u << (kMaxBits - lengths[i]);
    }
    return sum == (1u << kMaxBits);
}

// Canonical decoding one bit at a time (as zlib's puff does); only the short
// code-length code is decoded this way.
struct Precode {
    int count[kMaxBits + 1] = {};
    int symbol[19] = {};

    explicit Precode(const uint8_t* lengths)
    {
        for (int s = 0; s < 19; ++s)
            ++count[lengths[s]];
        int offset[kMaxBits + 2] = {};
        for (int len = 1; len <= kMaxBits; ++len)
            offset[len + 1] = offset[len] + count[len];
        for (int s = 0; s < 19; ++s)
            if (lengths[s] != 0)
                symbol[offset[lengths[s]]++] = s;
    }

    int decode(BitReader& bits) const
    {
        int code = 0, first = 0, index = 0;
        for (int len = 1; len <= kMaxBits; ++len) {
            code |= static_cast<int>(bits.get(1));
            if (code - first < count[len])
                return symbol[index + code - first];
            index += count[len];
            first = (first + count[len]) << 1;
            code <<= 1;
        }
        return -1;
    }
};

bool readCodeLengths(BitReader& bits, const Precode& precode, uint8_t* lengths, int total)
{
    int i = 0;
    while (i < total && bits.ok()) {
        int symbol = precode.decode(bits);
        if (symbol < 0)
            return false;
        if (symbol < 16) {
            lengths[i++] = static_cast<uint8_t>(symbol);
            continue;
        }
        if (symbol == 16 && i == 0)
            return false;
        uint8_t value = symbol == 16 ? lengths[i - 1] : 0;
        int repeat = symbol == 16 ? 3 + static_cast<int>(bits.get(2))
                   : symbol == 17 ? 3 + static_cast<int>(bits.get(3))
                                  : 11 + static_cast<int>(bits.get(7));
        if (i + repeat > total)
            return false;
        while (repeat-- > 0)
            lengths[i++] = value;
    }
    return bits.ok();
}

} // namespace

bool blockHeaderComplete(const uint8_t* data, size_t size, size_t bitOffset)
{
    static constexpr uint8_t kOrder[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};
    BitReader bits(data, size, bitOffset);
    bits.get(1);
    unsigned type = bits.get(2);
    if (!bits.ok() || type == 3)
        return false;
    if (type != 2)
        return true;
    int litCount = 257 + static_cast<int>(bits.get(5));
    int distCount = 1 + static_cast<int>(bits.get(5));
    int preCount = 4 + static_cast<int>(bits.get(4));
    uint8_t precode[19] = {};
    for (int i = 0; i < preCount; ++i)
        precode[kOrder[i]] = static_cast<uint8_t>(bits.get(3));
    uint8_t lengths[286 + 32] = {};
    if (!bits.ok() || !isComplete(precode, 19)
        || !readCodeLengths(bits, Precode(precode), lengths, litCount + distCount))
        return false;
    return isComplete(lengths, litCount) && isComplete(lengths + litCount, distCount);
}

struct DeflateAudit::State {
    z_stream stream{};
    bool ready = false;
    uint8_t output[format::kBlockSize + 1];  // one spare byte shows an overlong block
};

DeflateAudit::DeflateAudit()
    : m_state(std::make_unique<State>())
{
    m_state->ready = inflateInit2(&m_state->stream, -MAX_WBITS) == Z_OK;
}

DeflateAudit::~DeflateAudit()
{
    if (m_state->ready)
        inflateEnd(&m_state->stream);
}

bool DeflateAudit::acceptable(const uint8_t* data, size_t size)
{
    z_stream& z = m_state->stream;
    if (!m_state->ready || inflateReset(&z) != Z_OK || !blockHeaderComplete(data, size, 0))
        return false;
    z.next_in = const_cast<Bytef*>(data);
    z.avail_in = static_cast<uInt>(size);
    z.next_out = m_state->output;
    z.avail_out = sizeof m_state->output;
    for (;;) {
        // Z_BLOCK returns at each block boundary; bit 128 of data_type marks
        // one, bit 64 says the block that just ended was the last.
        int rc = inflate(&z, Z_BLOCK);
        if (rc == Z_STREAM_END)
            return z.avail_in == 0;
        if (rc != Z_OK || z.avail_out == 0)
            return false;
        bool boundary = (z.data_type & 128) != 0 && (z.data_type & 64) == 0;
        size_t bitOffset = static_cast<size_t>(z.total_in) * 8 - static_cast<size_t>(z.data_type & 7);
        if (boundary && !blockHeaderComplete(data, size, bitOffset))
            return false;
    }
}

} // namespace cab32
