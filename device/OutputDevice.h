// The window's one MIDI output port: the output device list, opening and switching the port by
// list index, and send long message, the one way the program transmits bytes. Qt-free, so
// pellum-cli sends exactly as the window does.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/midi/MidiService.h"

namespace pellum::device {

class OutputDevice {
public:
    // The list text of index 0, which opens nothing.
    static constexpr const char* kNone = "(None)";

    // The service must outlive the port.
    explicit OutputDevice(midi::MidiService& service);
    // Closes the port, so every queued byte is handed on and every send block released.
    ~OutputDevice();
    OutputDevice(const OutputDevice&) = delete;
    OutputDevice& operator=(const OutputDevice&) = delete;

    // "(None)", then each output device's full name in device order (at most 255 devices).
    std::vector<std::string> buildOutputList();
    // Index 0 opens nothing; index i opens device i - 1. The window ignores the result; it is
    // returned for pellum-cli, which reports failures.
    midi::MMRESULT openOutput(int index);
    // Closes the open port, then opens the new index, which becomes the output index.
    midi::MMRESULT switchOutput(int index);
    // Hands on what the driver still holds, then closes; the failure when not every byte
    // could be handed on (the MIDI server went away).
    midi::MMRESULT close();

    int outputIndex() const { return outputIndex_; }
    bool isOpen() const { return handle_ != nullptr; }

    // Transmits exactly these bytes as one long message from a copy of its own, so the caller
    // may reuse them at once. Nothing is sent for an empty message or without an open port.
    // Returns the first failing result (the window ignores it).
    midi::MMRESULT sendLongMessage(std::span<const std::uint8_t> bytes);

    // MIDIERR_STILLPLAYING while some bytes sent have not left the port; else 0, or the
    // failure that keeps them from ever leaving.
    midi::MMRESULT pending();
    // Waits until every byte sent has left the port; the failure when some never will. A run
    // counts its wait between two messages from here, not from when a message was handed over.
    midi::MMRESULT waitUntilSent();

    // Send blocks the driver still holds (tests watch them being released).
    std::size_t blocksInFlight() const { return inFlight_.size(); }

private:
    struct SendBlock {
        midi::MIDIHDR header{};
        std::unique_ptr<std::uint8_t[]> data;
    };

    // Releases every block whose header the driver is done with.
    void releaseFinished();

    midi::MidiService& service_;
    midi::HMIDIOUT handle_ = nullptr;
    int outputIndex_ = 0;
    // Each block on the heap, so its header keeps its address while the driver holds it.
    std::vector<std::unique_ptr<SendBlock>> inFlight_;
};

}  // namespace pellum::device
