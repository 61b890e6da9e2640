#include "BlockPipeline.h"

#include "BlockEncoder.h"
#include "ByteSink.h"
#include "CabFormat.h"

#include <algorithm>
#include <cstring>
#include <system_error>

namespace cab32 {

using namespace format;

namespace {

// Blocks in flight per thread: enough that no thread waits for the writer
// while the oldest block is still being encoded.
constexpr size_t kBlocksPerThread = 4;
// A stored deflate block: "CK", 5 bytes of header, the data.
constexpr size_t kMaxEncoded = kBlockSize + 7;

} // namespace

struct BlockPipeline::Slot {
    std::vector<uint8_t> input = std::vector<uint8_t>(kBlockSize);
    size_t size = 0;
    std::vector<uint8_t> output; // CFDATA header and data
    bool done = false;
};

namespace {

// The CFDATA entry of one block, checksum included.
void encodeBlock(BlockEncoder& encoder, const uint8_t* input, size_t size, std::vector<uint8_t>& out)
{
    auto data = encoder.encode(input, size);
    out.resize(kDataHeaderSize + data.size());
    auto packed = static_cast<uint16_t>(data.size());
    putLe32(out.data(), blockChecksum(data.data(), packed, static_cast<uint16_t>(size)));
    putLe16(out.data() + 4, packed);
    putLe16(out.data() + 6, static_cast<uint16_t>(size));
    std::memcpy(out.data() + kDataHeaderSize, data.data(), data.size());
}

} // namespace

BlockPipeline::BlockPipeline(int deflateLevel, Options options)
    : m_options(std::move(options))
{
    unsigned threads = m_options.threads;
    if (threads == 0)
        threads = std::clamp(std::thread::hardware_concurrency(), 1u, kMaxThreads);
    if (threads > 1) {
        start(threads, deflateLevel);
    } else {
        m_encoders.push_back(std::make_unique<BlockEncoder>(deflateLevel));
        m_inline = m_encoders.back().get();
        m_slots.resize(1);
    }
}

BlockPipeline::BlockPipeline(BlockEncoder& encoder)
    : m_inline(&encoder)
    , m_slots(1)
{
}

BlockPipeline::~BlockPipeline()
{
    stop();
}

void BlockPipeline::start(unsigned threads, int deflateLevel)
{
    for (unsigned i = 0; i < threads; ++i)
        m_encoders.push_back(std::make_unique<BlockEncoder>(deflateLevel));
    if (!valid())
        return;
    m_slots.resize(threads * kBlocksPerThread);
    for (Slot& s : m_slots)
        s.output.reserve(kDataHeaderSize + kMaxEncoded);
    try {
        for (auto& encoder : m_encoders)
            m_threads.emplace_back([this, &encoder] { work(*encoder); });
    } catch (const std::system_error&) {
        // The threads that did start carry the load; without any, the caller encodes.
        if (m_threads.empty())
            m_inline = m_encoders.front().get();
    }
}

void BlockPipeline::stop()
{
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_queued.notify_all();
    for (std::thread& thread : m_threads)
        thread.join();
    m_threads.clear();
}

bool BlockPipeline::valid() const
{
    if (m_inline)
        return m_inline->valid();
    return !m_encoders.empty()
           && std::all_of(m_encoders.begin(), m_encoders.end(), [](const auto& e) { return e->valid(); });
}

uint16_t BlockPipeline::compressionType() const
{
    return (m_inline ? m_inline : m_encoders.front().get())->compressionType();
}

BlockPipeline::Slot& BlockPipeline::slot(uint64_t sequence)
{
    return m_slots[static_cast<size_t>(sequence % m_slots.size())];
}

uint8_t* BlockPipeline::nextBlock()
{
    // submit() keeps one slot free: the next one was appended already.
    return slot(m_submitted).input.data();
}

void BlockPipeline::work(BlockEncoder& encoder)
{
    for (;;) {
        uint64_t sequence = 0;
        {
            std::unique_lock lock(m_mutex);
            m_queued.wait(lock, [this] { return m_stopping || m_taken < m_submitted; });
            if (m_stopping)
                return;
            sequence = m_taken++;
        }
        Slot& s = slot(sequence);
        if (m_options.beforeEncode)
            m_options.beforeEncode(sequence);
        encodeBlock(encoder, s.input.data(), s.size, s.output);
        if (m_options.afterEncode)
            m_options.afterEncode(sequence);
        {
            std::lock_guard lock(m_mutex);
            s.done = true;
        }
        m_finished.notify_all();
    }
}

Status BlockPipeline::submit(size_t size, ByteSink& sink)
{
    Slot& s = slot(m_submitted);
    s.size = size;
    if (m_threads.empty()) {
        encodeBlock(*m_inline, s.input.data(), size, s.output);
        ++m_submitted;
        ++m_appended;
        return sink.append(s.output.data(), s.output.size());
    }
    {
        std::lock_guard lock(m_mutex);
        s.done = false;
        ++m_submitted;
    }
    m_queued.notify_one();
    // Whatever is finished in order goes out now; a full window waits.
    Status status = Status::Ok;
    while (status == Status::Ok && m_appended < m_submitted
           && oldestDone(m_submitted - m_appended == m_slots.size()))
        status = appendOldest(sink);
    return status;
}

Status BlockPipeline::finish(ByteSink& sink)
{
    Status status = Status::Ok;
    while (status == Status::Ok && m_appended < m_submitted && oldestDone(true))
        status = appendOldest(sink);
    return status;
}

bool BlockPipeline::oldestDone(bool wait)
{
    Slot& s = slot(m_appended);
    std::unique_lock lock(m_mutex);
    if (wait)
        m_finished.wait(lock, [&s] { return s.done; });
    return s.done;
}

Status BlockPipeline::appendOldest(ByteSink& sink)
{
    Slot& s = slot(m_appended++);
    return sink.append(s.output.data(), s.output.size());
}

void BlockPipeline::discard()
{
    if (!m_threads.empty()) {
        std::unique_lock lock(m_mutex);
        m_finished.wait(lock, [this] {
            for (uint64_t i = m_appended; i < m_submitted; ++i)
                if (!slot(i).done)
                    return false;
            return true;
        });
    }
    m_appended = m_submitted;
}

} // namespace cab32
