// The output port over the loopback service: the list, opening and switching by list index,
// and send long message's bytes and block lifetime.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "device/OutputDevice.h"
#include "tests/support/VendorMessage.h"
#include "tests/support/loopback/LoopbackMidi.h"

namespace pellum {
namespace {

using Bytes = std::vector<std::uint8_t>;
using midi::LoopbackMidi;

// A driver that is still sending after midiOutLongMsg returned, until the test says it is done.
class SlowDriver final : public LoopbackMidi {
public:
    void finishAll() {
        for (midi::MIDIHDR* header : held_) header->dwFlags &= ~midi::MHDR_INQUEUE;
        held_.clear();
    }

    midi::MMRESULT midiOutLongMsg(midi::HMIDIOUT h, midi::MIDIHDR* header,
                                  std::uint32_t size) override {
        const midi::MMRESULT code = LoopbackMidi::midiOutLongMsg(h, header, size);
        header->dwFlags = (header->dwFlags & ~midi::MHDR_DONE) | midi::MHDR_INQUEUE;
        held_.push_back(header);
        return code;
    }
    // Like winmm, refuses to close while it still sends; finishes meanwhile.
    midi::MMRESULT midiOutClose(midi::HMIDIOUT h) override {
        if (!held_.empty()) {
            finishAll();
            return midi::MIDIERR_STILLPLAYING;
        }
        return LoopbackMidi::midiOutClose(h);
    }

private:
    std::vector<midi::MIDIHDR*> held_;
};

TEST(OutputDeviceTest, ListsNoneThenEveryDeviceInFullAndOpensByListIndex) {
    LoopbackMidi service;
    const std::string longName = "A synthesizer whose port name runs past 31 characters";
    service.addOutput("Short");
    service.addOutput(longName);
    device::OutputDevice port(service);
    EXPECT_EQ(port.buildOutputList(), (std::vector<std::string>{"(None)", "Short", longName}));

    port.switchOutput(2);
    EXPECT_EQ(port.outputIndex(), 2);
    EXPECT_FALSE(service.isOutputOpen(0));
    EXPECT_TRUE(service.isOutputOpen(1));

    // Back to "(None)": the port closes and a send goes nowhere.
    port.switchOutput(0);
    EXPECT_FALSE(service.isOutputOpen(1));
    EXPECT_FALSE(port.isOpen());
    EXPECT_EQ(port.sendLongMessage(Bytes{0xF0, 0x01, 0xF7}), midi::MMSYSERR_NOERROR);
    EXPECT_TRUE(service.sentMessages(1).empty());
}

TEST(OutputDeviceTest, ListStopsAt255DevicesInsteadOfWrappingToNone) {
    LoopbackMidi service;
    for (int i = 0; i < 300; ++i) service.addOutput("Port " + std::to_string(i));
    device::OutputDevice port(service);
    const auto list = port.buildOutputList();
    ASSERT_EQ(list.size(), 256u);
    EXPECT_EQ(list.back(), "Port 254");
}

TEST(OutputDeviceTest, SendsExactlyTheGivenBytesFromItsOwnCopy) {
    LoopbackMidi service;
    service.addOutput("Synth");
    device::OutputDevice port(service);
    port.buildOutputList();
    ASSERT_EQ(port.openOutput(1), midi::MMSYSERR_NOERROR);

    Bytes request{0xF0, 0x7E, 0x7F, 0x06, 0x01, 0xF7};
    port.sendLongMessage(request);
    request.assign(request.size(), 0);  // the caller reuses its array at once
    port.sendLongMessage(Bytes{});      // nothing at all
    const Bytes large = test::vendorMessage(0x11, 65535);
    port.sendLongMessage(large);

    EXPECT_EQ(service.sentMessages(0),
              (std::vector<Bytes>{{0xF0, 0x7E, 0x7F, 0x06, 0x01, 0xF7}, large}));
    EXPECT_EQ(port.blocksInFlight(), 0u);  // this driver was done at once
}

TEST(OutputDeviceTest, KeepsEachSendsBlocksUntilTheDriverIsDoneWithThem) {
    SlowDriver driver;
    driver.addOutput("Synth");
    device::OutputDevice port(driver);
    ASSERT_EQ(port.openOutput(1), midi::MMSYSERR_NOERROR);

    port.sendLongMessage(Bytes{0xF0, 0x01, 0xF7});
    port.sendLongMessage(Bytes{0xF0, 0x02, 0xF7});
    EXPECT_EQ(port.blocksInFlight(), 2u);  // two sends, two separate blocks, both still held

    driver.finishAll();
    port.sendLongMessage(Bytes{0xF0, 0x03, 0xF7});
    EXPECT_EQ(port.blocksInFlight(), 1u);  // the finished two went on the later send

    port.close();  // waits out the driver, then lets the last block go
    EXPECT_EQ(port.blocksInFlight(), 0u);
    EXPECT_FALSE(driver.isOutputOpen(0));
    EXPECT_EQ(driver.sentMessages(0).size(), 3u);
}

}  // namespace
}  // namespace pellum
