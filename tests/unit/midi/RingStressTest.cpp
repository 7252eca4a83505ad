// The ring between two real threads: every record arrives once, whole and in order, with the
// ring full or empty at every possible moment.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <thread>

#include "midi/Circbuf.h"
#include "midi/Delphmcb.h"

namespace pellum {
namespace {

// At most this many records, or what two seconds give. ThreadSanitizer reports a wrong memory
// order within the first records; the count is for the orderings that only load shows.
constexpr std::uint32_t kRecords = 1'000'000;
constexpr auto kTimeBound = std::chrono::seconds(2);

// Each field derives from the sequence number, so a torn or stale record cannot pass.
RingRecord recordFor(std::uint32_t n) {
    return {n, ~n, reinterpret_cast<midi::MIDIHDR*>((std::uintptr_t{n} + 1) * 64)};
}

class RingStress : public ::testing::TestWithParam<std::uint16_t> {};

TEST_P(RingStress, TransfersEveryRecordOnceInOrder) {
    EventRing* ring = RingCreate(GetParam());
    ASSERT_NE(ring, nullptr);

    std::atomic<std::uint32_t> produced{kRecords + 1};  // not known yet
    std::thread producer([ring, &produced] {
        const auto until = std::chrono::steady_clock::now() + kTimeBound;
        std::uint32_t n = 0;
        for (; n < kRecords && (n % 4096 != 0 || std::chrono::steady_clock::now() < until); ++n) {
            while (!RingPut(ring, recordFor(n))) std::this_thread::yield();
        }
        produced.store(n, std::memory_order_release);
    });

    std::uint32_t mismatches = 0;
    std::uint32_t firstMismatch = 0;
    for (std::uint32_t expected = 0; expected != produced.load(std::memory_order_acquire);) {
        RingRecord record{};
        if (!RingPeek(ring, record)) {
            std::this_thread::yield();
            continue;
        }
        const RingRecord want = recordFor(expected);
        if (record.stamp != want.stamp || record.shortData != want.shortData ||
            record.sysexHeader != want.sysexHeader) {
            if (mismatches++ == 0) firstMismatch = expected;
        }
        if (!RingRemove(ring)) ++mismatches;
        ++expected;
    }
    producer.join();

    EXPECT_GE(produced.load(), 4096u);
    EXPECT_EQ(mismatches, 0u) << "first at record " << firstMismatch;
    EXPECT_EQ(RingCount(ring), 0);
    RingRecord leftover{};
    EXPECT_FALSE(RingPeek(ring, leftover));
    RingFree(ring);
}

INSTANTIATE_TEST_SUITE_P(Capacities, RingStress, ::testing::Values(2, 3, 1024));

}  // namespace
}  // namespace pellum
