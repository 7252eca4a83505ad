// SysEx reception for pellum-cli: one input device through InputDevice, as the window receives,
// with the buffers the driver hands back joined into whole F0..F7 messages again.
#pragma once

#include <cstdint>
#include <vector>

#include "core/messages/SysexAssembler.h"
#include "device/InputDevice.h"
#include "platform/midi/MidiService.h"
#include "platform/midi/notices/NoticeQueue.h"

namespace pellum::cli {

class SysexReceiver {
public:
    // Opens and starts input device `device`; throws PellumError when it cannot be opened.
    SysexReceiver(midi::MidiService& service, std::uint16_t device);
    ~SysexReceiver();
    SysexReceiver(const SysexReceiver&) = delete;
    SysexReceiver& operator=(const SysexReceiver&) = delete;

    // Handles what arrives until a new message is complete (true), or `quietSeconds` passed
    // without any data, the device went away or the user asked to stop (false).
    bool waitForMessage(double quietSeconds);
    // Ends input; a message the driver still held unfinished is counted as broken then.
    void close();
    // The device went away while receiving: its port vanished or its server stopped.
    bool deviceLost() const { return deviceLost_; }

    struct Message {
        std::vector<std::uint8_t> bytes;
        std::int64_t arrivalNs = 0;  // when its F0 came, on the system clock
    };
    // The whole messages completed since the last call, oldest first; only these are held.
    std::vector<Message> takeMessages();
    std::uint64_t messageCount() const { return count_; }
    // When input started, on the system clock: arrival times count from here.
    std::int64_t startedAtNs() const { return input_.startedAtNs(); }
    std::uint64_t bytesReceived() const { return bytes_; }
    // Messages that lost their end (or their start) on the way and were left out, one still
    // unfinished included; at least what the input's driver counted as broken.
    std::uint64_t brokenMessages() const;
    // Messages longer than a .syx file of Pellum's may hold (65,535 bytes), left out whole.
    std::uint64_t tooLongMessages() const { return tooLongMessages_; }

private:
    void drain(device::InputDevice& input);
    void tally(const std::vector<SysexAssembler::Outcome>& outcomes);

    midi::MidiService& service_;
    const std::uint64_t lostBefore_;
    const std::uint64_t brokenBefore_;
    bool deviceLost_ = false;
    midi::NoticeQueue notices_;
    device::InputDevice input_;
    SysexAssembler assembler_;
    std::vector<Message> messages_;
    std::uint64_t count_ = 0;
    std::uint64_t bytes_ = 0;
    std::uint64_t broken_ = 0;
    std::uint64_t tooLongMessages_ = 0;
};

}  // namespace pellum::cli
