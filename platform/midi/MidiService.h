// The MIDI service the device layer and the output port call: the winmm input and output
// operations by their own names. Backends (ALSA and JACK, winmm; the tests' loopback) implement
// it, and the application picks one at start-up.
#pragma once

#include <cstdint>
#include <string>

#include "platform/midi/MidiApi.h"

namespace pellum::midi {

// The text winmm gives for a result code, or nullptr for a code it does not know.
const char* mmErrorText(MMRESULT code) noexcept;

class MidiService {
public:
    virtual ~MidiService() = default;

    virtual std::uint32_t midiInGetNumDevs() = 0;
    virtual MMRESULT midiInGetDevCapsA(std::uintptr_t deviceId, MIDIINCAPSA* caps,
                                       std::uint32_t capsSize) = 0;
    // Only CALLBACK_FUNCTION (or CALLBACK_NULL) is offered: the callback runs on the service's
    // thread with `instance` as its third argument.
    virtual MMRESULT midiInOpen(HMIDIIN* handle, std::uint32_t deviceId, MidiInProc callback,
                                std::uintptr_t instance, std::uint32_t flags) = 0;
    virtual MMRESULT midiInPrepareHeader(HMIDIIN handle, MIDIHDR* header,
                                         std::uint32_t headerSize) = 0;
    virtual MMRESULT midiInAddBuffer(HMIDIIN handle, MIDIHDR* header, std::uint32_t headerSize) = 0;
    virtual MMRESULT midiInStart(HMIDIIN handle) = 0;
    // Stops input and returns every queued buffer through the callback before it returns.
    virtual MMRESULT midiInReset(HMIDIIN handle) = 0;
    virtual MMRESULT midiInUnprepareHeader(HMIDIIN handle, MIDIHDR* header,
                                           std::uint32_t headerSize) = 0;
    // No callback runs for the handle once this has returned.
    virtual MMRESULT midiInClose(HMIDIIN handle) = 0;
    virtual MMRESULT midiInGetErrorTextA(MMRESULT code, char* text, std::uint32_t textSize);

    virtual std::uint32_t midiOutGetNumDevs() = 0;
    virtual MMRESULT midiOutGetDevCapsA(std::uintptr_t deviceId, MIDIOUTCAPSA* caps,
                                        std::uint32_t capsSize) = 0;
    virtual MMRESULT midiOutOpen(HMIDIOUT* handle, std::uint32_t deviceId, std::uintptr_t callback,
                                 std::uintptr_t instance, std::uint32_t flags) = 0;
    virtual MMRESULT midiOutPrepareHeader(HMIDIOUT handle, MIDIHDR* header,
                                          std::uint32_t headerSize) = 0;
    virtual MMRESULT midiOutLongMsg(HMIDIOUT handle, MIDIHDR* header, std::uint32_t headerSize) = 0;
    virtual MMRESULT midiOutUnprepareHeader(HMIDIOUT handle, MIDIHDR* header,
                                            std::uint32_t headerSize) = 0;
    virtual MMRESULT midiOutClose(HMIDIOUT handle) = 0;
    // MIDIERR_STILLPLAYING while bytes of a message midiOutLongMsg took have not left the port
    // yet, though its header is done; a failure when they never will. By default every header
    // stays queued until its bytes have left (winmm), and nothing else waits.
    virtual MMRESULT midiOutPending(HMIDIOUT) { return MMSYSERR_NOERROR; }
    virtual MMRESULT midiOutGetErrorTextA(MMRESULT code, char* text, std::uint32_t textSize);

    // A device's name in full, as its API names it: the capability records hold only 31
    // characters, too few to tell similar ports apart. Empty for a number out of range. By
    // default the name the capability record holds.
    virtual std::string midiInDeviceName(std::uint32_t deviceId);
    virtual std::string midiOutDeviceName(std::uint32_t deviceId);
    // Bytes every input of this service has dropped so far, open or closed: received with no
    // buffer queued or while stopped. 0 from a service that cannot tell.
    virtual std::uint64_t droppedInputBytes() const { return 0; }
    // How often an open input's device has gone away so far (its port vanished or its server
    // stopped): input from it has ended, though the handle stays open until closed.
    virtual std::uint64_t lostInputDevices() const { return 0; }
    // SysEx messages every input has seen started but never finished (see EmulatedMidiIn).
    virtual std::uint64_t brokenInputMessages() const { return 0; }
    // Places where an input's transport fell behind in the middle of a SysEx, which was lost.
    virtual std::uint64_t inputGaps() const { return 0; }
    // Places where it fell behind between messages while data was coming: whole messages may
    // be missing there, or nothing.
    virtual std::uint64_t possibleInputGaps() const { return 0; }
    // Whether any MIDI system is there to list devices from (a JACK server, the ALSA
    // sequencer), as of the last listing; true from a service that cannot tell.
    virtual bool systemAvailable() const { return true; }
    // Why the last listing found no devices, as the user reads it (which MIDI systems are up,
    // and which have no ports); empty from a service that cannot tell.
    virtual std::string whyNoDevices() const { return {}; }
};

}  // namespace pellum::midi
