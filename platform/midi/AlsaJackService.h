// The MIDI service over the machine's real MIDI APIs, the ALSA sequencer and JACK (PipeWire
// serves both), through alsa-lib and libjack directly, so that input is neither lost nor held
// back and messages of any size go out whole. Devices are the other programs' ports of every API
// that is up, ALSA first, named in full. Input emulates a winmm driver fed through an input pump,
// from our own ALSA sequencer reader or JACK client.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "platform/midi/MidiService.h"

namespace pellum::midi {

class AlsaPortList;
class JackPortList;

class AlsaJackService final : public MidiService {
public:
    // Finds which APIs are up; the device lists are read again by every Get...NumDevs call.
    // `followServer`: the JACK list client runs, so that a server going away is heard.
    explicit AlsaJackService(bool followServer = true);
    ~AlsaJackService() override;
    AlsaJackService(const AlsaJackService&) = delete;
    AlsaJackService& operator=(const AlsaJackService&) = delete;

    bool alsaAvailable() const { return alsaUp_; }
    bool jackAvailable() const { return jackUp_; }
    bool systemAvailable() const override { return alsaUp_ || jackUp_; }
    std::string whyNoDevices() const override;
    std::uint64_t droppedInputBytes() const override;
    std::uint64_t lostInputDevices() const override;
    std::uint64_t brokenInputMessages() const override;
    std::uint64_t inputGaps() const override;
    std::uint64_t possibleInputGaps() const override;

    std::string midiInDeviceName(std::uint32_t deviceId) override;
    std::string midiOutDeviceName(std::uint32_t deviceId) override;

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
    // Only CALLBACK_NULL: a long message is done once midiOutLongMsg returns.
    MMRESULT midiOutOpen(HMIDIOUT* handle, std::uint32_t deviceId, std::uintptr_t callback,
                         std::uintptr_t instance, std::uint32_t flags) override;
    MMRESULT midiOutPrepareHeader(HMIDIOUT handle, MIDIHDR* header,
                                  std::uint32_t headerSize) override;
    // Queues the whole message (waiting for room) or returns an error code; never a part of it.
    MMRESULT midiOutLongMsg(HMIDIOUT handle, MIDIHDR* header, std::uint32_t headerSize) override;
    MMRESULT midiOutUnprepareHeader(HMIDIOUT handle, MIDIHDR* header,
                                    std::uint32_t headerSize) override;
    // Hands on everything queued before the port goes.
    MMRESULT midiOutClose(HMIDIOUT handle) override;
    MMRESULT midiOutPending(HMIDIOUT handle) override;

private:
    enum class Api { alsa, jack };
    struct Device {
        Api api;
        std::string name;
    };
    class OpenInput;
    class OpenOutput;

    std::vector<Device> listPorts(bool inputs);
    // Once the JACK server stopped, lets go of our clients of it, the open ports' included:
    // they are kept, never closed (see keepAfterServerStopped), before another client opens.
    void leaveStoppedJackServer();
    // A count over every input, those still open and (`closed`) those closed before.
    template <typename Count>
    std::uint64_t sumInputs(std::uint64_t closed, Count count) const;
    OpenInput* openInput(HMIDIIN handle) const;
    OpenOutput* openOutput(HMIDIOUT handle) const;

    bool alsaUp_ = false;
    bool jackUp_ = false;
    // The listing clients, one on each system, kept between lists.
    std::unique_ptr<AlsaPortList> alsaList_;
    std::unique_ptr<JackPortList> jackList_;

    // Guards the lists below; never held while a callback runs or a message is being queued.
    mutable std::mutex mutex_;
    std::vector<Device> inputs_;
    std::vector<Device> outputs_;
    std::vector<std::unique_ptr<OpenInput>> openInputs_;
    std::vector<std::unique_ptr<OpenOutput>> openOutputs_;
    std::uint64_t droppedByClosedInputs_ = 0;
    std::uint64_t lostByClosedInputs_ = 0;
    std::uint64_t brokenByClosedInputs_ = 0;
    std::uint64_t gapsOfClosedInputs_ = 0;
    std::uint64_t possibleGapsOfClosedInputs_ = 0;
};

}  // namespace pellum::midi
