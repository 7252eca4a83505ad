// The input pump between a transport thread and the emulated driver, with an unkind transport
// (a byte stream cut anywhere, as fast as it can put) and an unkind client (buffers handed back
// late, in bursts, out of order). Every byte must be either delivered in a returned buffer or
// counted as lost, and a message is delivered whole or marked broken, never joined to another.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <random>
#include <thread>
#include <vector>

#include "platform/midi/input/EmulatedMidiIn.h"
#include "platform/midi/input/InputPump.h"
#include "tests/support/PatternMessage.h"

namespace pellum::midi {
namespace {

using Bytes = std::vector<std::uint8_t>;
using test::patternMessage;

struct Delivered {
    bool broken;
    Bytes bytes;
};

// The client: owns the buffers, takes what the driver returns and queues each buffer again
// after a delay of its own choosing.
class Client {
public:
    Client(std::size_t count, std::size_t size) : buffers_(count), data_(count, Bytes(size)) {}

    static void callback(HMIDIIN, std::uint32_t msg, std::uintptr_t instance, std::uintptr_t p1,
                         std::uintptr_t) noexcept {
        if (msg != MIM_LONGDATA && msg != MIM_LONGERROR) return;
        auto& self = *reinterpret_cast<Client*>(instance);
        std::lock_guard lock(self.mutex_);
        self.returned_.push_back({msg == MIM_LONGERROR, reinterpret_cast<MIDIHDR*>(p1)});
        self.changed_.notify_all();
    }

    void queueAll(EmulatedMidiIn& driver) {
        for (std::size_t i = 0; i < buffers_.size(); ++i) {
            buffers_[i].lpData = reinterpret_cast<char*>(data_[i].data());
            buffers_[i].dwBufferLength = static_cast<std::uint32_t>(data_[i].size());
            ASSERT_EQ(driver.prepareHeader(&buffers_[i], sizeof(MIDIHDR)), MMSYSERR_NOERROR);
            ASSERT_EQ(driver.addBuffer(&buffers_[i], sizeof(MIDIHDR)), MMSYSERR_NOERROR);
        }
    }

    // Takes returned buffers until `total` bytes were delivered or lost; stalls now and then
    // and hands buffers back in bursts, newest first.
    void serve(EmulatedMidiIn& driver, std::uint64_t total, unsigned seed,
               std::chrono::milliseconds longestStall) {
        std::mt19937 random(seed);
        std::vector<MIDIHDR*> held;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
        while (deliveredBytes + driver.droppedBytes() < total &&
               std::chrono::steady_clock::now() < deadline) {
            std::unique_lock lock(mutex_);
            changed_.wait_for(lock, std::chrono::milliseconds(5),
                              [&] { return !returned_.empty(); });
            auto batch = std::exchange(returned_, {});
            lock.unlock();
            for (const auto& [broken, header] : batch) {
                const auto* bytes = reinterpret_cast<const std::uint8_t*>(header->lpData);
                delivered.push_back({broken, Bytes(bytes, bytes + header->dwBytesRecorded)});
                deliveredBytes += header->dwBytesRecorded;
                held.push_back(header);
            }
            if (random() % 8 == 0) {
                std::this_thread::sleep_for(longestStall * (random() % 100) / 100);
            }
            if (held.size() >= 1 + random() % buffers_.size() || batch.empty()) {
                std::reverse(held.begin(), held.end());
                for (MIDIHDR* header : held) driver.addBuffer(header, sizeof(MIDIHDR));
                held.clear();
            }
        }
        for (MIDIHDR* header : held) driver.addBuffer(header, sizeof(MIDIHDR));
    }

    std::vector<Delivered> delivered;
    std::uint64_t deliveredBytes = 0;

private:
    std::vector<MIDIHDR> buffers_;
    std::vector<Bytes> data_;
    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<std::pair<bool, MIDIHDR*>> returned_;
};

struct PumpRun {
    Bytes stream;
    std::vector<std::size_t> sizes;
    std::uint64_t dropped = 0;
    std::vector<Delivered> delivered;
};

// Puts `messages` random-sized messages through a pump of `ringBytes`, cut into events of 1 to
// `maxCut` bytes, while the client serves `buffers` buffers of `bufferSize` bytes.
PumpRun pumpStream(std::size_t messages, std::size_t ringBytes, std::size_t maxCut,
                   std::size_t buffers, std::size_t bufferSize, std::chrono::milliseconds stall) {
    PumpRun run;
    std::mt19937 random(static_cast<unsigned>(messages + ringBytes + maxCut));
    for (std::size_t k = 0; k < messages; ++k) {
        run.sizes.push_back(k == messages / 2 ? 65535 : 5 + random() % 3000);
        const Bytes m = patternMessage(k, run.sizes.back());
        run.stream.insert(run.stream.end(), m.begin(), m.end());
    }
    Client client(buffers, bufferSize);
    EmulatedMidiIn driver(&Client::callback, reinterpret_cast<std::uintptr_t>(&client));
    client.queueAll(driver);
    driver.start();
    {
        InputPump pump(driver, ringBytes);
        pump.start();
        std::thread transport([&] {
            std::mt19937 cuts(7);
            for (std::size_t at = 0; at < run.stream.size();) {
                const std::size_t size =
                    std::min<std::size_t>(1 + cuts() % maxCut, run.stream.size() - at);
                pump.put(run.stream.data() + at, size);
                pump.wake();
                at += size;
            }
            // As a transport's later cycles would, until the last loss is marked.
            while (!pump.markLoss()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
            pump.wake();
        });
        client.serve(driver, run.stream.size(), 3, stall);
        transport.join();
        pump.stop();
    }
    run.dropped = driver.droppedBytes();
    run.delivered = std::move(client.delivered);
    return run;
}

// The messages the delivered buffers make, joined until an F7 ends one; a broken buffer throws
// away what was being joined.
std::vector<Bytes> messagesOf(const std::vector<Delivered>& delivered) {
    std::vector<Bytes> messages;
    Bytes partial;
    for (const Delivered& d : delivered) {
        if (d.broken) {
            partial.clear();
            continue;
        }
        partial.insert(partial.end(), d.bytes.begin(), d.bytes.end());
        if (!partial.empty() && partial.back() == 0xF7)
            messages.push_back(std::exchange(partial, {}));
    }
    return messages;
}

TEST(InputPumpTest, AStreamCutAnywhereArrivesWholeThroughAFewSlowBuffers) {
    // 16 buffers against 3 MB put as fast as the transport can: the ring takes up the stalls.
    const PumpRun run = pumpStream(2000, InputPump::kDefaultRingBytes, 32720, 16, 4096,
                                   std::chrono::milliseconds(20));
    EXPECT_EQ(run.dropped, 0u);
    Bytes joined;
    for (const Delivered& d : run.delivered) {
        EXPECT_FALSE(d.broken);
        joined.insert(joined.end(), d.bytes.begin(), d.bytes.end());
    }
    EXPECT_TRUE(joined == run.stream) << joined.size() << " of " << run.stream.size() << " bytes";
}

TEST(InputPumpTest, AnOverflowingRingCountsEveryLostByteAndJoinsNoMessages) {
    // A small ring and a client that stalls for long: much is lost, but only as counted bytes.
    const PumpRun run = pumpStream(3000, 64 * 1024, 4096, 4, 1024, std::chrono::milliseconds(30));
    std::uint64_t delivered = 0;
    for (const Delivered& d : run.delivered) {
        delivered += d.bytes.size();
        EXPECT_TRUE(!d.broken || d.bytes.empty()) << "a broken message was handed on with bytes";
    }
    EXPECT_GT(run.dropped, 0u) << "the ring never overflowed; the test lost its point";
    EXPECT_EQ(delivered + run.dropped, run.stream.size());

    const std::vector<Bytes> messages = messagesOf(run.delivered);
    EXPECT_GT(messages.size(), 0u);
    long last = -1;
    for (const Bytes& m : messages) {
        ASSERT_GE(m.size(), 5u);
        const long k = m[2] << 7 | m[3];
        ASSERT_LT(static_cast<std::size_t>(k), run.sizes.size());
        EXPECT_GT(k, last) << "out of order";
        EXPECT_TRUE(m == patternMessage(static_cast<std::size_t>(k), run.sizes[k]))
            << "message " << k << " was delivered damaged or joined to another";
        last = k;
    }
}

}  // namespace
}  // namespace pellum::midi
