// SysEx reception for pellum-cli: one input device through TMidiInput, as the window receives,
// with the buffers the driver hands back joined into whole F0..F7 messages again.
#pragma once

#include <cstdint>
#include <vector>

#include "midi/MidiIn.h"
#include "platform/midi/MidiService.h"
#include "platform/midi/NoticeQueue.h"

namespace pellum::cli {

class SysexReceiver {
public:
    // Opens and starts input device `device`; throws PellumError when it cannot be opened.
    SysexReceiver(midi::MidiService& service, std::uint16_t device);
    ~SysexReceiver();
    SysexReceiver(const SysexReceiver&) = delete;
    SysexReceiver& operator=(const SysexReceiver&) = delete;

    // Handles what arrives until a new message is complete (true), or `quietSeconds` passed
    // without any data or the device went away (false).
    bool waitForMessage(double quietSeconds);
    // The device went away while receiving: its port vanished or its server stopped.
    bool deviceLost() const { return deviceLost_; }

    const std::vector<std::vector<std::uint8_t>>& messages() const { return messages_; }
    std::uint64_t bytesReceived() const { return bytes_; }
    // Messages that lost their end (or their start) on the way and were left out; one still
    // unfinished counts too.
    std::uint64_t brokenMessages() const { return broken_ + (inMessage_ ? 1 : 0); }

private:
    void drain(TMidiInput& input);
    void take(std::uint8_t byte);

    midi::MidiService& service_;
    const std::uint64_t lostBefore_;
    bool deviceLost_ = false;
    midi::NoticeQueue notices_;
    TMidiInput input_;
    std::vector<std::vector<std::uint8_t>> messages_;
    std::vector<std::uint8_t> partial_;
    bool inMessage_ = false;
    std::uint64_t bytes_ = 0;
    std::uint64_t broken_ = 0;
};

}  // namespace pellum::cli
