// A bounded queue of demuxed packets between the demux thread and one decoder.
// Every flush (seek, stop) raises the serial; packets and the end-of-stream
// marker carry the serial they were queued under, so a decoder recognises and
// drops what belongs to an earlier position.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <mutex>

struct AVPacket;

namespace player {

class PacketQueue {
public:
    explicit PacketQueue(size_t maxPackets = 64);
    ~PacketQueue();
    PacketQueue(const PacketQueue&) = delete;
    PacketQueue& operator=(const PacketQueue&) = delete;

    // Takes ownership of the packet's reference (moved out). Blocks while the
    // queue is full; returns false when aborted or the serial moved on.
    bool Put(AVPacket* packet, int serial);
    // Queues the end-of-stream marker (a null packet) for the serial.
    void PutEnd(int serial);

    enum class Result { Packet, End, Aborted, Timeout };
    // Waits at most timeoutMs for the next item; on Packet the packet
    // reference is moved into `out` and `serial` is its serial.
    Result Get(AVPacket* out, int* serial, int timeoutMs);

    // Drops everything queued; only `serial` is accepted from now on.
    void Flush(int serial);
    int Serial() const;
    void Abort();
    bool Aborted() const;
    size_t Size() const;

private:
    struct Item {
        AVPacket* packet; // null for the end marker
        int serial;
    };
    void ClearLocked();

    const size_t max_;
    mutable std::mutex mutex_;
    std::condition_variable cv_;
    std::deque<Item> items_;
    int serial_ = 0;
    bool aborted_ = false;
};

} // namespace player
