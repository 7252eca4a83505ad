// An in-process MIDI service with virtual devices of chosen names, for the tests and benchmarks.
// Bytes injected into an input take the path the system's backends give received bytes: a
// transport thread of the input's own puts them into an InputPump, whose thread feeds the
// emulated driver and waits for a free buffer rather than dropping; only a full pump ring loses
// bytes. What an output sends is kept, and may be answered by a scripted instrument wired to an
// input.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <vector>

#include "platform/midi/MidiService.h"
#include "platform/midi/input/InputPump.h"

namespace pellum::midi {

class LoopbackMidi : public MidiService {
public:
    // Gets each message an output sent and returns the bytes to answer with (none for silence).
    using Responder = std::function<std::vector<std::uint8_t>(std::span<const std::uint8_t> sent)>;

    // Operations whose next calls can be made to fail, to reach the client's error paths.
    enum class Call {
        midiInOpen,
        midiInPrepareHeader,
        midiInAddBuffer,
        midiInStart,
        midiInReset,
        midiInGetDevCapsA,
    };

    LoopbackMidi();
    ~LoopbackMidi() override;
    LoopbackMidi(const LoopbackMidi&) = delete;
    LoopbackMidi& operator=(const LoopbackMidi&) = delete;

    // Adds a device and returns its number; numbers count from 0 in the order of adding.
    // `ringBytes`: the size of the input's pump ring while it is open.
    std::uint32_t addInput(std::string name, std::size_t ringBytes = InputPump::kDefaultRingBytes);
    std::uint32_t addOutput(std::string name);

    // Queues bytes for the input's transport thread and returns at once; each call is one
    // event of the transport. Input that is not open is dropped; input that is not started is
    // dropped by the driver.
    void inject(std::uint32_t input, std::span<const std::uint8_t> bytes);
    void inject(std::uint32_t input, std::initializer_list<std::uint8_t> bytes);
    // A place in the input's stream where an unknown amount went missing, as a transport that
    // fell behind marks it.
    void injectGap(std::uint32_t input);
    // Waits until the input has come to rest: everything injected so far has reached the client
    // or waits in the pump for a buffer the client holds.
    void flush(std::uint32_t input);
    bool isInputOpen(std::uint32_t input) const;
    std::vector<const MIDIHDR*> queuedBuffers(std::uint32_t input) const;
    // What open inputs dropped; bytes sent to an input nobody had open are not a loss.
    std::uint64_t droppedInputBytes() const override;
    std::uint64_t inputGaps() const override;

    std::vector<std::vector<std::uint8_t>> sentMessages(std::uint32_t output) const;
    bool isOutputOpen(std::uint32_t output) const;
    // Answers go into `input` through its driver thread, as an instrument's reply would.
    void connect(std::uint32_t output, std::uint32_t input, Responder responder);
    // An instrument that answers an Identity Request (F0 7E <any id> 06 01 F7) with `reply`.
    static Responder identityResponder(std::vector<std::uint8_t> reply);

    // The next call of `call` after `skip` successful ones returns `code` and does nothing.
    void failNextCall(Call call, MMRESULT code, unsigned skip = 0);

    std::uint32_t midiInGetNumDevs() override;
    MMRESULT midiInGetDevCapsA(std::uintptr_t deviceId, MIDIINCAPSA* caps,
                               std::uint32_t capsSize) override;
    MMRESULT midiInOpen(HMIDIIN* handle, std::uint32_t deviceId, MidiInProc callback,
                        std::uintptr_t instance, std::uint32_t flags) override;
    MMRESULT midiInPrepareHeader(HMIDIIN handle, MIDIHDR* header,
                                 std::uint32_t headerSize) override;
    MMRESULT midiInAddBuffer(HMIDIIN handle, MIDIHDR* header, std::uint32_t headerSize) override;
    MMRESULT midiInStart(HMIDIIN handle) override;
    MMRESULT midiInReset(HMIDIIN handle) override;
    MMRESULT midiInUnprepareHeader(HMIDIIN handle, MIDIHDR* header,
                                   std::uint32_t headerSize) override;
    MMRESULT midiInClose(HMIDIIN handle) override;

    std::uint32_t midiOutGetNumDevs() override;
    MMRESULT midiOutGetDevCapsA(std::uintptr_t deviceId, MIDIOUTCAPSA* caps,
                                std::uint32_t capsSize) override;
    MMRESULT midiOutOpen(HMIDIOUT* handle, std::uint32_t deviceId, std::uintptr_t callback,
                         std::uintptr_t instance, std::uint32_t flags) override;
    MMRESULT midiOutPrepareHeader(HMIDIOUT handle, MIDIHDR* header,
                                  std::uint32_t headerSize) override;
    MMRESULT midiOutLongMsg(HMIDIOUT handle, MIDIHDR* header, std::uint32_t headerSize) override;
    MMRESULT midiOutUnprepareHeader(HMIDIOUT handle, MIDIHDR* header,
                                    std::uint32_t headerSize) override;
    MMRESULT midiOutClose(HMIDIOUT handle) override;

    // The names as given, however long.
    std::string midiInDeviceName(std::uint32_t deviceId) override;
    std::string midiOutDeviceName(std::uint32_t deviceId) override;

private:
    class OpenInput;
    class OpenOutput;
    struct VirtualInput;
    struct VirtualOutput;
    // A count over every virtual input: what earlier opens left (`before`) and the open one's.
    std::uint64_t sumInputs(std::uint64_t VirtualInput::*before,
                            std::uint64_t (EmulatedMidiIn::*count)() const) const;
    struct Failure {
        Call call;
        MMRESULT code;
        unsigned skip;
    };

    MMRESULT injectedFailure(Call call);
    // The open port of input number `input`, or nullptr; the caller holds mutex_.
    OpenInput* openPort(std::uint32_t input) const;
    // The open port `handle` names, or nullptr; takes mutex_.
    OpenInput* portOf(HMIDIIN handle) const;
    // Fails as failNextCall() asked, or runs `operation` on the port `handle` names.
    template <typename Operation>
    MMRESULT onInput(Call call, HMIDIIN handle, Operation operation);

    // Guards the device tables and the failure list; never held while a callback runs.
    mutable std::mutex mutex_;
    std::vector<std::unique_ptr<VirtualInput>> inputs_;
    std::vector<std::unique_ptr<VirtualOutput>> outputs_;
    std::vector<Failure> failures_;
};

}  // namespace pellum::midi
