// The capture store: up to 9999 messages of up to 65535 bytes each.
#include <gtest/gtest.h>

#include <vector>

#include "core/list/CaptureStore.h"
#include "core/text/Errors.h"
#include "tests/support/VendorMessage.h"

using namespace pellum;
using Bytes = std::vector<std::uint8_t>;

TEST(CaptureStore, CountsToCapacityAndNeverExposesStaleSlots) {
    CaptureStore store;
    EXPECT_EQ(store.count(), 0);
    EXPECT_TRUE(store.message(0).empty());
    for (int i = 0; i < CaptureStore::kCapacity; ++i)
        ASSERT_EQ(store.append(test::vendorMessage(0x41, 4 + i % 7)), i);
    EXPECT_TRUE(store.full());
    EXPECT_EQ(store.append(test::vendorMessage(0x41, 4)), -1);
    EXPECT_EQ(store.count(), 9999);
    EXPECT_EQ(store.length(9998), 4 + 9998 % 7);

    store.clear();
    EXPECT_EQ(store.count(), 0);
    // The old bytes are still in the slot, but no index reaches them any more.
    EXPECT_TRUE(store.message(0).empty());
    EXPECT_EQ(store.length(0), 0);
    store.append(Bytes{0xF0, 0x43, 0xF7});
    EXPECT_EQ(store.message(0).size(), 3u);
    EXPECT_TRUE(store.message(1).empty());
    EXPECT_TRUE(store.message(-1).empty());
    // The longest message is kept whole; one byte more is refused, never cut short.
    EXPECT_EQ(store.append(test::vendorMessage(0x43, 65535)), 1);
    EXPECT_THROW(store.append(test::vendorMessage(0x43, 65536)), MessageTooLongError);
    EXPECT_EQ(store.count(), 2);
}
