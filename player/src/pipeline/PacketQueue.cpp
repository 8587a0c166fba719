#include "player/PacketQueue.h"

#include <chrono>

extern "C" {
#include <libavcodec/packet.h>
}

namespace player {

PacketQueue::PacketQueue(size_t maxPackets) : max_(maxPackets) {}

PacketQueue::~PacketQueue() {
    std::lock_guard lock(mutex_);
    ClearLocked();
}

void PacketQueue::ClearLocked() {
    for (Item& item : items_) {
        av_packet_free(&item.packet);
    }
    items_.clear();
}

bool PacketQueue::Put(AVPacket* packet, int serial) {
    std::unique_lock lock(mutex_);
    cv_.wait(lock, [&] { return aborted_ || serial != serial_ || items_.size() < max_; });
    if (aborted_ || serial != serial_) {
        av_packet_unref(packet);
        return false;
    }
    AVPacket* copy = av_packet_alloc();
    if (copy == nullptr) {
        av_packet_unref(packet);
        return false;
    }
    av_packet_move_ref(copy, packet);
    items_.push_back({copy, serial});
    cv_.notify_all();
    return true;
}

void PacketQueue::PutEnd(int serial) {
    std::lock_guard lock(mutex_);
    if (!aborted_ && serial == serial_) {
        items_.push_back({nullptr, serial});
        cv_.notify_all();
    }
}

PacketQueue::Result PacketQueue::Get(AVPacket* out, int* serial, int timeoutMs) {
    std::unique_lock lock(mutex_);
    if (!cv_.wait_for(lock, std::chrono::milliseconds(timeoutMs),
                      [&] { return aborted_ || !items_.empty(); })) {
        return Result::Timeout;
    }
    if (aborted_) {
        return Result::Aborted;
    }
    Item item = items_.front();
    items_.pop_front();
    cv_.notify_all();
    *serial = item.serial;
    if (item.packet == nullptr) {
        return Result::End;
    }
    av_packet_move_ref(out, item.packet);
    av_packet_free(&item.packet);
    return Result::Packet;
}

void PacketQueue::Flush(int serial) {
    std::lock_guard lock(mutex_);
    ClearLocked();
    serial_ = serial;
    cv_.notify_all();
}

int PacketQueue::Serial() const {
    std::lock_guard lock(mutex_);
    return serial_;
}

void PacketQueue::Abort() {
    std::lock_guard lock(mutex_);
    aborted_ = true;
    cv_.notify_all();
}

bool PacketQueue::Aborted() const {
    std::lock_guard lock(mutex_);
    return aborted_;
}

size_t PacketQueue::Size() const {
    std::lock_guard lock(mutex_);
    return items_.size();
}

} // namespace player
