// The MIDI service on Windows: every operation passed straight through to winmm. Handles are
// port objects of this service around winmm's own, so that the driver's callback reaches the
// caller with the handle the caller holds.
#pragma once

#include <memory>
#include <mutex>
#include <set>

#include "platform/midi/MidiService.h"

namespace pellum::midi {

class WinMmService final : public MidiService {
public:
    WinMmService();
    ~WinMmService() override;
    WinMmService(const WinMmService&) = delete;
    WinMmService& operator=(const WinMmService&) = delete;

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
    MMRESULT midiInGetErrorTextA(MMRESULT code, char* text, std::uint32_t textSize) override;

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
    MMRESULT midiOutGetErrorTextA(MMRESULT code, char* text, std::uint32_t textSize) override;

    // The names in UTF-8, read through the wide capability records: the "A" records hold the
    // names in the machine's code page, which the rest of the program does not speak.
    std::string midiInDeviceName(std::uint32_t deviceId) override;
    std::string midiOutDeviceName(std::uint32_t deviceId) override;

    class InPort;
    class OutPort;

private:
    InPort* ownIn(HMIDIIN handle);
    OutPort* ownOut(HMIDIOUT handle);

    // Ports this service opened and has not closed; only the caller's threads use it, never the
    // driver's callback.
    std::mutex portsMutex_;
    std::set<InPort*> inPorts_;
    std::set<OutPort*> outPorts_;
};

}  // namespace pellum::midi
