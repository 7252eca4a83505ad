// The emulated input driver's byte stream: events of any size and content, buffers of any size
// queued, given back in any order, reset and restarted. Every byte either reaches the client (in
// a returned buffer or a short message) or is counted in droppedBytes(), never both, never
// neither; short messages come out as a plain reading of the stream says; a buffer comes back
// once per queuing, never overfilled, with F7 only as its last byte.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/midi/input/EmulatedMidiIn.h"
#include "tests/fuzz/FuzzCheck.h"

using namespace pellum::midi;

namespace {

struct Buffer {
    explicit Buffer(std::size_t size) : bytes(size) {
        header.lpData = bytes.data();
        header.dwBufferLength = static_cast<std::uint32_t>(size);
    }
    std::vector<char> bytes;
    MIDIHDR header{};
    bool queued = false;
};

// Bytes of short messages as a reader of the stream counts them: a message's bytes are
// delivered when it completes; an incomplete message cut off by a status byte, a loss or a
// reset is lost.
class StreamModel {
public:
    void take(std::uint8_t b) {
        if (b >= 0xF8) {
            deliver(b, 1);
        } else if (b < 0x80) {
            if (inSysex_) {
                ++sysexBytes;
            } else if (status_ != 0) {
                data_[have_++] = b;
                ++partial_;
                if (have_ == need_) {
                    deliver(status_ | data_[0] << 8 | data_[1] << 16, partial_);
                    partial_ = 0;
                    have_ = 0;
                    data_[0] = data_[1] = 0;
                    if (status_ >= 0xF0) status_ = 0;  // no running status after system common
                }
            } else {
                ++strayBytes;
            }
        } else if (b == 0xF7) {
            if (inSysex_) {
                ++sysexBytes;
                inSysex_ = false;
            } else {
                ++strayBytes;
            }
        } else {
            interrupt();
            if (b == 0xF0) {
                inSysex_ = true;
                ++sysexBytes;
                return;
            }
            need_ = (b & 0xF0) == 0xC0 || (b & 0xF0) == 0xD0 ? 1
                    : b == 0xF2                              ? 2
                    : b == 0xF1 || b == 0xF3                 ? 1
                    : b >= 0xF0                              ? 0
                                                             : 2;
            if (need_ == 0) {
                deliver(b, 1);
            } else {
                status_ = b;
                partial_ = 1;
            }
        }
    }
    // A status byte, a loss or a reset: what was being collected is cut off.
    void interrupt() {
        lostBytes += partial_;
        partial_ = 0;
        status_ = 0;
        have_ = 0;
        data_[0] = data_[1] = 0;
        inSysex_ = false;
    }

    std::vector<std::uintptr_t> messages;
    std::uint64_t shortBytes = 0;
    std::uint64_t sysexBytes = 0;  // bytes that belong in a SysEx buffer
    std::uint64_t strayBytes = 0;  // bytes no message wants
    std::uint64_t lostBytes = 0;   // bytes of short messages cut off

private:
    void deliver(std::uintptr_t packed, std::uint64_t bytes) {
        messages.push_back(packed);
        shortBytes += bytes;
    }

    bool inSysex_ = false;
    std::uint8_t status_ = 0;
    std::uint8_t data_[2] = {0, 0};
    int have_ = 0;
    int need_ = 0;
    std::uint64_t partial_ = 0;
};

struct Client {
    std::vector<std::unique_ptr<Buffer>> buffers;
    std::vector<Buffer*> returned;
    std::vector<std::uintptr_t> messages;
    std::uint64_t sysexDelivered = 0;

    Buffer* owner(const MIDIHDR* header) {
        for (auto& b : buffers)
            if (&b->header == header) return b.get();
        return nullptr;
    }
};

void callback(MidiInPort*, std::uint32_t msg, std::uintptr_t instance, std::uintptr_t p1,
              std::uintptr_t) noexcept {
    auto& client = *reinterpret_cast<Client*>(instance);
    if (msg == MIM_DATA) {
        client.messages.push_back(p1);
        return;
    }
    FUZZ_CHECK(msg == MIM_LONGDATA || msg == MIM_LONGERROR);
    Buffer* buffer = client.owner(reinterpret_cast<const MIDIHDR*>(p1));
    FUZZ_CHECK(buffer != nullptr);
    FUZZ_CHECK(buffer->queued);  // once per queuing
    buffer->queued = false;
    const MIDIHDR& h = buffer->header;
    FUZZ_CHECK((h.dwFlags & MHDR_DONE) && !(h.dwFlags & MHDR_INQUEUE));
    FUZZ_CHECK(h.dwBytesRecorded <= h.dwBufferLength);
    for (std::uint32_t i = 0; i + 1 < h.dwBytesRecorded; ++i)
        FUZZ_CHECK(static_cast<std::uint8_t>(h.lpData[i]) != 0xF7);
    client.sysexDelivered += h.dwBytesRecorded;
    client.returned.push_back(buffer);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider in(data, size);
    Client client;
    EmulatedMidiIn driver(callback, reinterpret_cast<std::uintptr_t>(&client));
    StreamModel model;
    bool started = false;
    std::uint64_t beforeStart = 0;
    std::uint64_t lost = 0;

    auto queue = [&](Buffer* b) {
        FUZZ_CHECK(driver.addBuffer(&b->header, sizeof(MIDIHDR)) == MMSYSERR_NOERROR);
        b->queued = true;
    };

    while (in.remaining_bytes() > 0) {
        switch (in.ConsumeIntegralInRange(0, 7)) {
            case 0: {  // a new buffer of any size
                if (client.buffers.size() >= 64) break;
                auto b = std::make_unique<Buffer>(in.ConsumeIntegralInRange<std::size_t>(1, 300));
                FUZZ_CHECK(driver.prepareHeader(&b->header, sizeof(MIDIHDR)) == MMSYSERR_NOERROR);
                client.buffers.push_back(std::move(b));
                queue(client.buffers.back().get());
                break;
            }
            case 1: {  // a returned buffer queued again, any of them
                if (client.returned.empty()) break;
                const std::size_t i =
                    in.ConsumeIntegralInRange<std::size_t>(0, client.returned.size() - 1);
                Buffer* b = client.returned[i];
                client.returned.erase(client.returned.begin() + static_cast<std::ptrdiff_t>(i));
                queue(b);
                break;
            }
            case 2:
            case 3: {  // an event from the transport
                const auto event =
                    in.ConsumeBytes<std::uint8_t>(in.ConsumeIntegralInRange<std::size_t>(0, 400));
                if (!started) {
                    beforeStart += event.size();
                    driver.receive(event.data(), event.size());
                    break;
                }
                driver.receive(event.data(), event.size());
                for (std::uint8_t b : event) model.take(b);
                break;
            }
            case 4: {  // the same, holding back what finds no buffer
                const auto event =
                    in.ConsumeBytes<std::uint8_t>(in.ConsumeIntegralInRange<std::size_t>(0, 400));
                const std::size_t taken = driver.receiveWhileBuffered(event.data(), event.size());
                FUZZ_CHECK(taken <= event.size());
                if (!started) {
                    FUZZ_CHECK(taken == event.size());
                    beforeStart += event.size();
                    break;
                }
                for (std::size_t k = 0; k < taken; ++k) model.take(event[k]);
                if (taken < event.size()) {
                    // Only a SysEx byte waits, and only while no buffer is queued; a status byte
                    // that waits has already cut off what came before it.
                    const std::uint8_t next = event[taken];
                    FUZZ_CHECK(!driver.hasQueuedBuffers());
                    FUZZ_CHECK(next < 0x80 || next == 0xF7 || next == 0xF0);
                    if (next == 0xF0) model.interrupt();
                }
                break;
            }
            case 5: {  // bytes lost on the way
                const auto count = in.ConsumeIntegralInRange<std::uint64_t>(0, 1000);
                driver.lose(count);
                lost += count;
                model.interrupt();
                break;
            }
            case 6:
                driver.start();
                started = true;
                break;
            case 7:
                driver.reset();
                FUZZ_CHECK(!driver.hasQueuedBuffers());
                started = false;
                model.interrupt();
                break;
        }
        FUZZ_CHECK(client.messages == model.messages);
        std::uint64_t inHead = 0;
        for (const MIDIHDR* h : driver.queuedBuffers()) inHead += h->dwBytesRecorded;
        FUZZ_CHECK(model.sysexBytes >= client.sysexDelivered + inHead);
        const std::uint64_t sysexDropped = model.sysexBytes - client.sysexDelivered - inHead;
        FUZZ_CHECK(driver.droppedBytes() ==
                   beforeStart + lost + model.strayBytes + model.lostBytes + sysexDropped);
    }
    driver.reset();
    for (auto& b : client.buffers) FUZZ_CHECK(!b->queued);
    return 0;
}
