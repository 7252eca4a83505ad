// TMidiInput: one MIDI input device of the MIDI service. It selects the device by number or by
// name, keeps a pool of SysEx buffers in the driver's queue, and turns the driver callback's
// ring records into TMyMidiEvent objects on the window thread, announced through OnMidiInput.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "midi/Circbuf.h"
#include "midi/Midicons.h"
#include "midi/Mididefs.h"
#include "midi/Miditype.h"
#include "platform/midi/MidiService.h"
#include "platform/midi/notices/NoticeSink.h"

namespace pellum {

// Carries the message the user is shown.
class EMidiInputError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Everything runs on the window thread; the notice sink must hand its notices to that thread.
class TMidiInput {
public:
    using Event = std::function<void(TMidiInput& sender)>;

    // Selects device 0. With no input device at all the component still comes up, with DeviceID 0
    // and an empty ProductName, so the application can run without MIDI input; opening it then
    // fails quietly. The component takes over the sink's handler; once it is destroyed that
    // handler drops the notices, and a handler set since is left alone. The service and the sink
    // must outlive it.
    TMidiInput(midi::MidiService& service, midi::NoticeSink& noticeWindow);
    ~TMidiInput();
    TMidiInput(const TMidiInput&) = delete;
    TMidiInput& operator=(const TMidiInput&) = delete;

    const std::string& ProductName() const { return productName_; }
    // Selects the lowest-numbered device of exactly this name.
    void setProductName(const std::string& name);
    std::uint16_t DeviceID() const { return deviceId_; }
    void setDeviceID(std::uint16_t value);
    // Slots of the event ring made at the next open; any value from 1 to 65535 is served, 0
    // makes the open fail.
    std::uint16_t Capacity() const { return capacity_; }
    void setCapacity(std::uint16_t value) { capacity_ = value; }
    // Low 16 bits of the result of the most recent MIDI call.
    std::uint16_t Error() const { return error_; }
    std::uint16_t SysexBufferSize() const { return sysexBufferSize_; }
    void setSysexBufferSize(std::uint16_t value);
    std::uint16_t SysexBufferCount() const { return sysexBufferCount_; }
    void setSysexBufferCount(std::uint16_t value);
    bool SysexOnly() const { return sysexOnly_; }
    // Takes effect at once, also on an open device.
    void setSysexOnly(bool value);

    // Raised from the notice handling, never inside the driver callback.
    Event OnMidiInput;
    Event OnOverflow;

    // Input devices found at construction.
    std::uint16_t deviceCount() const { return deviceCount_; }
    bool isOpen() const { return state_ == State::open; }

    // Never raises: a failed open leaves the component closed, with Error holding the code of
    // the driver call that failed, if one did. Does nothing while open.
    void OpenDevice() noexcept;
    void StartDevice();
    // Does nothing when closed. A close whose reset or close call failed left the device with
    // the driver; calling CloseDevice again tries to finish it.
    void CloseDevice();
    std::uint16_t PendingCount() const;
    // The oldest waiting event, or nullptr. A SysEx buffer is back in the driver's queue when
    // this returns.
    std::unique_ptr<TMyMidiEvent> TakeEvent();

    // The notice window's procedure; the component installs it on its sink.
    void handleNotice(std::uint32_t code);

private:
    enum class State { creating, closed, open };

    std::string ErrorText(midi::MMRESULT code);
    void check(midi::MMRESULT code);
    void PrepareSysexBuffers();
    void QueueSysexBuffers();
    void ReleaseSysexBuffers();
    void shutDevice();
    void abandonOpen() noexcept;

    midi::MidiService& service_;
    midi::NoticeSink& noticeWindow_;
    std::shared_ptr<TMidiInput*> noticeTarget_;
    State state_ = State::creating;
    midi::HMIDIIN deviceHandle_ = nullptr;
    std::uint16_t deviceCount_ = 0;
    EventRing* ring_ = nullptr;
    CallbackInstance* instance_ = nullptr;
    std::optional<std::vector<std::unique_ptr<TMyMidiHdr>>> sysexBuffers_;

    std::string productName_;
    std::uint16_t deviceId_ = 0;
    std::uint16_t capacity_ = kDefaultCapacity;
    std::uint16_t error_ = 0;
    std::uint16_t sysexBufferSize_ = kDefaultSysexBufferSize;
    std::uint16_t sysexBufferCount_ = kDefaultSysexBufferCount;
    bool sysexOnly_ = false;
};

}  // namespace pellum
