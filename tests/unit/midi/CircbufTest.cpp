// The event ring's FIFO rules, the capacities it serves, and the SysEx buffer blocks.
#include <gtest/gtest.h>

#include <memory>

#include "midi/Circbuf.h"
#include "midi/Delphmcb.h"
#include "midi/Miditype.h"

namespace pellum {
namespace {

struct RingDeleter {
    void operator()(EventRing* ring) const { RingFree(ring); }
};
using RingPtr = std::unique_ptr<EventRing, RingDeleter>;

RingRecord shortRecord(std::uint32_t n) {
    return {n, 0x90 | n << 8, nullptr};
}

TEST(Circbuf, KeepsOrderAcrossManyWrapArounds) {
    RingPtr ring(RingCreate(3));
    ASSERT_NE(ring, nullptr);
    std::uint32_t put = 0;
    std::uint32_t taken = 0;
    // Uneven batches move both slots past `limit` many times at different phases.
    for (int round = 0; round < 50; ++round) {
        const int batch = 1 + round % 3;
        for (int i = 0; i < batch; ++i) ASSERT_TRUE(RingPut(ring.get(), shortRecord(put++)));
        for (int i = 0; i < batch; ++i) {
            RingRecord record{};
            ASSERT_TRUE(RingPeek(ring.get(), record));
            EXPECT_EQ(record.stamp, taken);
            EXPECT_EQ(record.shortData, 0x90 | taken << 8);
            ASSERT_TRUE(RingRemove(ring.get()));
            ++taken;
        }
        ASSERT_GE(ring->readSlot, ring->first);
        ASSERT_LT(ring->readSlot, ring->limit);
        ASSERT_EQ(ring->readSlot, ring->writeSlot);
    }
    EXPECT_EQ(RingCount(ring.get()), 0);
}

TEST(Circbuf, FullRingRefusesAndStaysUnchanged) {
    RingPtr ring(RingCreate(1));
    ASSERT_TRUE(RingPut(ring.get(), shortRecord(7)));
    RingRecord* writeSlot = ring->writeSlot;
    EXPECT_FALSE(RingPut(ring.get(), shortRecord(8)));
    EXPECT_EQ(RingCount(ring.get()), 1);
    EXPECT_EQ(ring->writeSlot, writeSlot);
    RingRecord record{};
    ASSERT_TRUE(RingPeek(ring.get(), record));
    EXPECT_EQ(record.stamp, 7u);
    // Peeking does not consume.
    ASSERT_TRUE(RingPeek(ring.get(), record));
    EXPECT_EQ(RingCount(ring.get()), 1);
}

TEST(Circbuf, EmptyRingPeekLeavesRecordAndRemoveFails) {
    RingPtr ring(RingCreate(4));
    RingRecord record{11, 22, nullptr};
    EXPECT_FALSE(RingPeek(ring.get(), record));
    EXPECT_EQ(record.stamp, 11u);
    EXPECT_EQ(record.shortData, 22u);
    EXPECT_FALSE(RingRemove(ring.get()));
    EXPECT_EQ(RingCount(ring.get()), 0);
}

TEST(Circbuf, ServesCapacitiesBeyondOneSixteenBitBlockAndRefusesZero) {
    EXPECT_EQ(RingCreate(0), nullptr);
    for (std::uint16_t capacity :
         {std::uint16_t{5461}, std::uint16_t{5462}, std::uint16_t{65535}}) {
        SCOPED_TRACE(capacity);
        RingPtr ring(RingCreate(capacity));
        ASSERT_NE(ring, nullptr);
        EXPECT_EQ(ring->limit - ring->first, capacity);
        for (std::uint32_t n = 0; n < capacity; ++n)
            ASSERT_TRUE(RingPut(ring.get(), shortRecord(n)));
        EXPECT_FALSE(RingPut(ring.get(), shortRecord(capacity)));
        EXPECT_EQ(RingCount(ring.get()), capacity);
        for (std::uint32_t n = 0; n < capacity; ++n) {
            RingRecord record{};
            ASSERT_TRUE(RingPeek(ring.get(), record));
            ASSERT_EQ(record.stamp, n);
            ASSERT_TRUE(RingRemove(ring.get()));
        }
    }
}

TEST(Miditype, HeaderPointsAtItsDataAndSizeZeroHoldsNothing) {
    TMyMidiHdr empty(0);
    EXPECT_EQ(empty.header, nullptr);
    EXPECT_EQ(empty.headerHandle, 0u);
    EXPECT_EQ(empty.data, nullptr);
    EXPECT_EQ(empty.dataHandle, 0u);

    TMyMidiHdr buffer(65535);
    ASSERT_NE(buffer.header, nullptr);
    EXPECT_EQ(buffer.header->lpData, reinterpret_cast<char*>(buffer.data));
    EXPECT_EQ(buffer.header->dwBufferLength, 65535u);
    EXPECT_EQ(buffer.header->dwBytesRecorded, 0u);
    EXPECT_EQ(buffer.header->dwFlags, 0u);
    EXPECT_EQ(buffer.data[65534], 0);  // zero-filled to the last byte
}

}  // namespace
}  // namespace pellum
