#pragma once

#include "Status.h"

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace cab32 {

class BlockEncoder;
class ByteSink;

// Encodes CFDATA blocks on several threads and appends them (header and
// data) to a sink in the order they were handed over. Every MSZIP block is
// an independent deflate stream, so the cabinet is the same byte for byte
// whatever the thread count and whichever block finishes first. Memory is a
// fixed window of blocks in flight and one encoder per thread.
//
// Used from one thread; the pipeline's own threads only ever encode.
class BlockPipeline {
public:
    struct Options {
        // 0: one thread per core, at most kMaxThreads. 1: no thread; each
        // block is encoded by the caller as it is handed over.
        unsigned threads = 0;
        // Tests only: called on the encoding thread around each block, with
        // the block's number (0 for the first block handed over).
        std::function<void(uint64_t)> beforeEncode;
        std::function<void(uint64_t)> afterEncode;
    };

    static constexpr unsigned kMaxThreads = 16;

    // MSZIP with the given libdeflate level, or stored for level 0.
    explicit BlockPipeline(int deflateLevel, Options options);
    explicit BlockPipeline(int deflateLevel) : BlockPipeline(deflateLevel, Options{}) {}
    // The caller's encoder, used in the calling thread (no thread of its own).
    explicit BlockPipeline(BlockEncoder& encoder);
    // Stops the threads; blocks not yet appended are dropped.
    ~BlockPipeline();
    BlockPipeline(const BlockPipeline&) = delete;
    BlockPipeline& operator=(const BlockPipeline&) = delete;

    // False when an encoder could not be allocated.
    bool valid() const;
    uint16_t compressionType() const;
    // Encoding threads running (0 when blocks are encoded by the caller).
    unsigned threads() const { return static_cast<unsigned>(m_threads.size()); }

    // Where the next block's bytes go (room for one whole block); valid
    // until submit().
    uint8_t* nextBlock();

    // Hands over the first size bytes of nextBlock(). Appends to sink the
    // blocks that are finished in order, waiting for the oldest when the
    // window is full. Status::Write when the sink fails.
    Status submit(size_t size, ByteSink& sink);

    // Appends every block handed over; Status::Write when the sink fails.
    Status finish(ByteSink& sink);

    // Forgets blocks of a write that failed (after any still encoding finish).
    void discard();

private:
    struct Slot;

    void start(unsigned threads, int deflateLevel);
    void work(BlockEncoder& encoder);
    Slot& slot(uint64_t sequence);
    bool oldestDone(bool wait);
    Status appendOldest(ByteSink& sink);
    void stop();

    Options m_options;
    BlockEncoder* m_inline = nullptr;
    std::vector<std::unique_ptr<BlockEncoder>> m_encoders;
    std::vector<Slot> m_slots;
    std::vector<std::thread> m_threads;
    std::mutex m_mutex;
    std::condition_variable m_queued;
    std::condition_variable m_finished;
    uint64_t m_submitted = 0; // blocks handed over
    uint64_t m_taken = 0;     // blocks a thread has started on
    uint64_t m_appended = 0;  // blocks appended to the sink
    bool m_stopping = false;
};

} // namespace cab32
