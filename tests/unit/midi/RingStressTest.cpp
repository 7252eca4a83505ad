// The ring between two real threads: every record arrives once, whole and in order, with the
// ring full or empty at every possible moment.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <thread>

#include "device/DriverCallback.h"
#include "device/EventRing.h"

namespace pellum {
namespace {

// At most this many records, or what two seconds give. ThreadSanitizer reports a wrong memory
// order within the first records; the count is for the orderings that only load shows.
constexpr std::uint32_t kRecords = 1'000'000;
constexpr auto kTimeBound = std::chrono::seconds(2);

// Each field derives from the sequence number, so a torn or stale record cannot pass.
device::RingRecord recordFor(std::uint32_t n) {
    return {n, ~n, reinterpret_cast<midi::MIDIHDR*>((std::uintptr_t{n} + 1) * 64)};
}

class RingStress : public ::testing::TestWithParam<std::uint16_t> {};

TEST_P(RingStress, TransfersEveryRecordOnceInOrder) {
    device::EventRing* ring = device::createRing(GetParam());
    ASSERT_NE(ring, nullptr);

    std::atomic<std::uint32_t> produced{kRecords + 1};  // not known yet
    std::thread producer([ring, &produced] {
        const auto until = std::chrono::steady_clock::now() + kTimeBound;
        std::uint32_t n = 0;
        for (; n < kRecords && (n % 4096 != 0 || std::chrono::steady_clock::now() < until); ++n) {
            while (!device::ringPut(ring, recordFor(n))) std::this_thread::yield();
        }
        produced.store(n, std::memory_order_release);
    });

    std::uint32_t mismatches = 0;
    std::uint32_t firstMismatch = 0;
    for (std::uint32_t expected = 0; expected != produced.load(std::memory_order_acquire);) {
        device::RingRecord record{};
        if (!device::ringPeek(ring, record)) {
            std::this_thread::yield();
            continue;
        }
        const device::RingRecord want = recordFor(expected);
        if (record.stamp != want.stamp || record.shortData != want.shortData ||
            record.sysexHeader != want.sysexHeader) {
            if (mismatches++ == 0) firstMismatch = expected;
        }
        if (!device::ringRemove(ring)) ++mismatches;
        ++expected;
    }
    producer.join();

    EXPECT_GE(produced.load(), 4096u);
    EXPECT_EQ(mismatches, 0u) << "first at record " << firstMismatch;
    EXPECT_EQ(device::ringCount(ring), 0);
    device::RingRecord leftover{};
    EXPECT_FALSE(device::ringPeek(ring, leftover));
    device::freeRing(ring);
}

INSTANTIATE_TEST_SUITE_P(Capacities, RingStress, ::testing::Values(2, 3, 1024));

}  // namespace
}  // namespace pellum
