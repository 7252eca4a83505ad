// The event ring's FIFO rules, the capacities it serves, and the SysEx buffer blocks.
#include <gtest/gtest.h>

#include <memory>

#include "device/DriverCallback.h"
#include "device/EventRecords.h"
#include "device/EventRing.h"

namespace pellum {
namespace {

struct RingDeleter {
    void operator()(device::EventRing* ring) const { device::freeRing(ring); }
};
using RingPtr = std::unique_ptr<device::EventRing, RingDeleter>;

device::RingRecord shortRecord(std::uint32_t n) {
    return {n, 0x90 | n << 8, nullptr};
}

TEST(EventRing, KeepsOrderAcrossManyWrapArounds) {
    RingPtr ring(device::createRing(3));
    ASSERT_NE(ring, nullptr);
    std::uint32_t put = 0;
    std::uint32_t taken = 0;
    // Uneven batches move both slots past `limit` many times at different phases.
    for (int round = 0; round < 50; ++round) {
        const int batch = 1 + round % 3;
        for (int i = 0; i < batch; ++i)
            ASSERT_TRUE(device::ringPut(ring.get(), shortRecord(put++)));
        for (int i = 0; i < batch; ++i) {
            device::RingRecord record{};
            ASSERT_TRUE(device::ringPeek(ring.get(), record));
            EXPECT_EQ(record.stamp, taken);
            EXPECT_EQ(record.shortData, 0x90 | taken << 8);
            ASSERT_TRUE(device::ringRemove(ring.get()));
            ++taken;
        }
        ASSERT_GE(ring->readSlot, ring->first);
        ASSERT_LT(ring->readSlot, ring->limit);
        ASSERT_EQ(ring->readSlot, ring->writeSlot);
    }
    EXPECT_EQ(device::ringCount(ring.get()), 0);
}

TEST(EventRing, FullRingRefusesAndStaysUnchanged) {
    RingPtr ring(device::createRing(1));
    ASSERT_TRUE(device::ringPut(ring.get(), shortRecord(7)));
    device::RingRecord* writeSlot = ring->writeSlot;
    EXPECT_FALSE(device::ringPut(ring.get(), shortRecord(8)));
    EXPECT_EQ(device::ringCount(ring.get()), 1);
    EXPECT_EQ(ring->writeSlot, writeSlot);
    device::RingRecord record{};
    ASSERT_TRUE(device::ringPeek(ring.get(), record));
    EXPECT_EQ(record.stamp, 7u);
    // Peeking does not consume.
    ASSERT_TRUE(device::ringPeek(ring.get(), record));
    EXPECT_EQ(device::ringCount(ring.get()), 1);
}

TEST(EventRing, EmptyRingPeekLeavesRecordAndRemoveFails) {
    RingPtr ring(device::createRing(4));
    device::RingRecord record{11, 22, nullptr};
    EXPECT_FALSE(device::ringPeek(ring.get(), record));
    EXPECT_EQ(record.stamp, 11u);
    EXPECT_EQ(record.shortData, 22u);
    EXPECT_FALSE(device::ringRemove(ring.get()));
    EXPECT_EQ(device::ringCount(ring.get()), 0);
}

TEST(EventRing, ServesCapacitiesBeyondOneSixteenBitBlockAndRefusesZero) {
    EXPECT_EQ(device::createRing(0), nullptr);
    for (std::uint16_t capacity :
         {std::uint16_t{5461}, std::uint16_t{5462}, std::uint16_t{65535}}) {
        SCOPED_TRACE(capacity);
        RingPtr ring(device::createRing(capacity));
        ASSERT_NE(ring, nullptr);
        EXPECT_EQ(ring->limit - ring->first, capacity);
        for (std::uint32_t n = 0; n < capacity; ++n)
            ASSERT_TRUE(device::ringPut(ring.get(), shortRecord(n)));
        EXPECT_FALSE(device::ringPut(ring.get(), shortRecord(capacity)));
        EXPECT_EQ(device::ringCount(ring.get()), capacity);
        for (std::uint32_t n = 0; n < capacity; ++n) {
            device::RingRecord record{};
            ASSERT_TRUE(device::ringPeek(ring.get(), record));
            ASSERT_EQ(record.stamp, n);
            ASSERT_TRUE(device::ringRemove(ring.get()));
        }
    }
}

TEST(SysexBuffer, HeaderPointsAtItsDataAndSizeZeroHoldsNothing) {
    device::SysexBuffer empty(0);
    EXPECT_EQ(empty.header, nullptr);
    EXPECT_EQ(empty.headerHandle, 0u);
    EXPECT_EQ(empty.data, nullptr);
    EXPECT_EQ(empty.dataHandle, 0u);

    device::SysexBuffer buffer(65535);
    ASSERT_NE(buffer.header, nullptr);
    EXPECT_EQ(buffer.header->lpData, reinterpret_cast<char*>(buffer.data));
    EXPECT_EQ(buffer.header->dwBufferLength, 65535u);
    EXPECT_EQ(buffer.header->dwBytesRecorded, 0u);
    EXPECT_EQ(buffer.header->dwFlags, 0u);
    EXPECT_EQ(buffer.data[65534], 0);  // zero-filled to the last byte
}

}  // namespace
}  // namespace pellum
