// The input pump between a transport thread and the emulated driver, with an unkind transport
// (a byte stream cut anywhere, as fast as it can put) and an unkind client (buffers handed back
// late, in bursts, out of order). Every byte must be either delivered in a returned buffer or
// counted as lost, and a message is delivered whole or marked broken, never joined to another.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <random>
#include <thread>
#include <vector>

#include "platform/midi/input/EmulatedMidiIn.h"
#include "platform/midi/input/InputPump.h"
#include "tests/support/PatternMessage.h"
#include "tests/unit/midi/RecordingClient.h"

namespace pellum::midi {
namespace {

using Bytes = std::vector<std::uint8_t>;
using test::patternMessage;

struct Delivered {
    bool broken;
    Bytes bytes;
};

// The client takes what the driver returns and queues each buffer again after a delay of its
// own choosing: it stalls now and then and hands buffers back in bursts, newest first, until
// `total` bytes were delivered or lost.
std::vector<Delivered> serve(test::RecordingClient& client, EmulatedMidiIn& driver,
                             std::uint64_t total, std::chrono::milliseconds longestStall) {
    std::mt19937 random(3);
    std::vector<Delivered> delivered;
    std::uint64_t deliveredBytes = 0;
    std::vector<MIDIHDR*> held;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (deliveredBytes + driver.droppedBytes() < total &&
           std::chrono::steady_clock::now() < deadline) {
        const auto batch = client.take(std::chrono::milliseconds(5));
        for (const auto& call : batch) {
            if (!call.returnedBuffer()) continue;
            delivered.push_back({call.msg == MIM_LONGERROR, call.bytes});
            deliveredBytes += call.bytes.size();
            held.push_back(call.header());
        }
        if (random() % 8 == 0) std::this_thread::sleep_for(longestStall * (random() % 100) / 100);
        if (held.size() >= 1 + random() % client.headers.size() || batch.empty()) {
            std::reverse(held.begin(), held.end());
            for (MIDIHDR* header : held) driver.addBuffer(header, sizeof(MIDIHDR));
            held.clear();
        }
    }
    for (MIDIHDR* header : held) driver.addBuffer(header, sizeof(MIDIHDR));
    return delivered;
}

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
    for (std::size_t k = 0; k < messages; ++k)
        run.sizes.push_back(k == messages / 2 ? 65535 : 5 + random() % 3000);
    run.stream = test::patternStream(run.sizes);
    test::RecordingClient client;
    EmulatedMidiIn driver(&test::RecordingClient::callback, client.instance());
    client.queueBuffers(buffers, bufferSize, [&](MIDIHDR& header) {
        ASSERT_EQ(driver.prepareHeader(&header, sizeof header), MMSYSERR_NOERROR);
        ASSERT_EQ(driver.addBuffer(&header, sizeof header), MMSYSERR_NOERROR);
    });
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
        run.delivered = serve(client, driver, run.stream.size(), stall);
        transport.join();
        pump.stop();
    }
    run.dropped = driver.droppedBytes();
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
