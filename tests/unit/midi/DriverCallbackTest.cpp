// What the driver callback lets into the ring, and which notice each call posts.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <utility>
#include <vector>

#include "device/DeviceConstants.h"
#include "device/DriverCallback.h"
#include "device/EventRing.h"
#include "device/FixedAddressBlocks.h"

namespace pellum {
namespace {

// The test calls the callback on its own thread, so plain recording is enough.
class RecordingSink final : public midi::NoticeSink {
public:
    void post(std::uint32_t code) noexcept override { codes.push_back(code); }
    void setHandler(Handler) override {}
    std::vector<std::uint32_t> codes;
};

class DriverCallback : public ::testing::Test {
protected:
    void SetUp() override {
        ring = device::createRing(8);
        instance = device::createCallbackInstance();
        ASSERT_NE(ring, nullptr);
        ASSERT_NE(instance, nullptr);
        instance->ring = ring;
        instance->window = &sink;
    }
    void TearDown() override {
        device::freeRing(ring);
        device::freeCallbackInstance(instance);
    }
    void call(std::uint32_t msg, std::uintptr_t p1, std::uintptr_t p2 = 0) {
        device::driverCallback(nullptr, msg, reinterpret_cast<std::uintptr_t>(instance), p1, p2);
    }

    device::EventRing* ring = nullptr;
    device::CallbackInstance* instance = nullptr;
    RecordingSink sink;
    midi::MIDIHDR header{};
    const std::uintptr_t headerAddress = reinterpret_cast<std::uintptr_t>(&header);
};

TEST_F(DriverCallback, FiltersMessagesAsTheInputNeeds) {
    struct Case {
        const char* what;
        std::uint32_t msg;
        std::uintptr_t p1;
        bool sysexOnly;
        bool recorded;
    };
    const Case cases[] = {
        {"note on", midi::MIM_DATA, 0x643C90, false, true},
        {"start", midi::MIM_DATA, 0xFA, false, true},
        {"stop", midi::MIM_DATA, 0xFC, false, true},
        {"reset", midi::MIM_DATA, 0xFF, false, true},
        {"active sensing", midi::MIM_DATA, 0xFE, false, false},
        {"timing clock", midi::MIM_DATA, 0xF8, false, false},
        {"note on, sysex only", midi::MIM_DATA, 0x643C90, true, false},
        {"start, sysex only", midi::MIM_DATA, 0xFA, true, false},
        {"sysex buffer", midi::MIM_LONGDATA, headerAddress, false, true},
        {"sysex buffer, sysex only", midi::MIM_LONGDATA, headerAddress, true, true},
        {"broken sysex buffer", midi::MIM_LONGERROR, headerAddress, true, true},
        {"open", midi::MIM_OPEN, 0, false, false},
        {"close", midi::MIM_CLOSE, 0, false, false},
        {"error", midi::MIM_ERROR, 0x643C90, false, false},
        {"more data", midi::MIM_MOREDATA, 0x643C90, false, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        sink.codes.clear();
        instance->sysexOnly = c.sysexOnly;
        call(c.msg, c.p1, 1234);
        device::RingRecord record{};
        ASSERT_EQ(device::ringPeek(ring, record), c.recorded);
        if (!c.recorded) {
            EXPECT_TRUE(sink.codes.empty());
            continue;
        }
        EXPECT_EQ(sink.codes, std::vector<std::uint32_t>{device::kEventsWaitingNotice});
        EXPECT_EQ(record.stamp, 1234u);
        if (c.msg == midi::MIM_DATA) {
            EXPECT_EQ(record.shortData, c.p1);
            EXPECT_EQ(record.sysexHeader, nullptr);
        } else {
            EXPECT_EQ(record.shortData, 0u);
            EXPECT_EQ(record.sysexHeader, &header);
        }
        device::ringRemove(ring);
    }
}

TEST_F(DriverCallback, FullRingPostsOverflowInsteadOfEventsWaiting) {
    device::freeRing(ring);
    ring = device::createRing(1);
    instance->ring = ring;
    call(midi::MIM_DATA, 0x90, 1);
    call(midi::MIM_DATA, 0x80, 2);
    EXPECT_EQ(sink.codes,
              (std::vector<std::uint32_t>{device::kEventsWaitingNotice, device::kOverflowNotice}));
    device::RingRecord record{};
    ASSERT_TRUE(device::ringPeek(ring, record));
    EXPECT_EQ(record.stamp, 1u);
    EXPECT_EQ(device::ringCount(ring), 1);
}

TEST_F(DriverCallback, WithoutARingOrAnInstanceNothingHappens) {
    const std::pair<std::uint32_t, std::uintptr_t> calls[] = {{midi::MIM_DATA, 0x90},
                                                              {midi::MIM_LONGDATA, headerAddress},
                                                              {midi::MIM_LONGERROR, headerAddress}};
    instance->ring = nullptr;
    for (const auto& [msg, p1] : calls) call(msg, p1);
    EXPECT_TRUE(sink.codes.empty());

    // A callback given no instance returns without touching anything; the call must not crash.
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(
        {
            for (const auto& [msg, p1] : calls) device::driverCallback(nullptr, msg, 0, p1, 0);
            std::exit(0);
        },
        ::testing::ExitedWithCode(0), "");
}

}  // namespace
}  // namespace pellum
