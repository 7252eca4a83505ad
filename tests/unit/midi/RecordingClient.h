// A driver's client for the device-layer tests: records every callback, with a returned buffer's
// bytes copied as the callback saw them, and owns the SysEx buffers it queues.
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/midi/MidiApi.h"

namespace pellum::test {

using Bytes = std::vector<std::uint8_t>;

struct Call {
    std::uint32_t msg;
    std::uintptr_t p1;  // the short message, or the returned MIDIHDR
    Bytes bytes;        // a returned buffer's recorded bytes
    std::thread::id thread;

    bool returnedBuffer() const { return msg == midi::MIM_LONGDATA || msg == midi::MIM_LONGERROR; }
    midi::MIDIHDR* header() const { return reinterpret_cast<midi::MIDIHDR*>(p1); }
};

class RecordingClient {
public:
    static void callback(midi::HMIDIIN, std::uint32_t msg, std::uintptr_t instance,
                         std::uintptr_t p1, std::uintptr_t) noexcept {
        auto& self = *reinterpret_cast<RecordingClient*>(instance);
        Call call{msg, p1, {}, std::this_thread::get_id()};
        if (call.returnedBuffer()) {
            const auto* data = reinterpret_cast<const std::uint8_t*>(call.header()->lpData);
            call.bytes.assign(data, data + call.header()->dwBytesRecorded);
        }
        std::lock_guard lock(self.mutex_);
        self.calls_.push_back(std::move(call));
        self.changed_.notify_all();
    }
    std::uintptr_t instance() { return reinterpret_cast<std::uintptr_t>(this); }

    // What was called since the last take, after waiting up to `limit` for a first call.
    std::vector<Call> take(std::chrono::milliseconds limit = std::chrono::milliseconds(0)) {
        std::unique_lock lock(mutex_);
        changed_.wait_for(lock, limit, [&] { return !calls_.empty(); });
        return std::exchange(calls_, {});
    }

    // `count` buffers of `size` bytes, each handed to `queue` to prepare and add.
    template <typename Queue>
    void queueBuffers(std::size_t count, std::size_t size, Queue queue) {
        storage_.assign(count, std::vector<char>(size));
        headers.assign(count, midi::MIDIHDR{});
        for (std::size_t i = 0; i < count; ++i) {
            headers[i].lpData = storage_[i].data();
            headers[i].dwBufferLength = static_cast<std::uint32_t>(size);
            queue(headers[i]);
        }
    }

    std::vector<midi::MIDIHDR> headers;

private:
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<Call> calls_;
    std::vector<std::vector<char>> storage_;
};

}  // namespace pellum::test
