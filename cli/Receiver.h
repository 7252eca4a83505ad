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

    // Handles what arrives until a new message is complete (true) or `quietSeconds` passed
    // without any data (false).
    bool waitForMessage(double quietSeconds);

    const std::vector<std::vector<std::uint8_t>>& messages() const { return messages_; }
    std::uint64_t bytesReceived() const { return bytes_; }
    // Messages that lost their end (or their start) on the way and were left out.
    std::uint64_t brokenMessages() const { return broken_; }

private:
    void drain(TMidiInput& input);
    void take(std::uint8_t byte);

    midi::NoticeQueue notices_;
    TMidiInput input_;
    std::vector<std::vector<std::uint8_t>> messages_;
    std::vector<std::uint8_t> partial_;
    bool inMessage_ = false;
    std::uint64_t bytes_ = 0;
    std::uint64_t broken_ = 0;
};

}  // namespace pellum::cli
