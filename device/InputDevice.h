// InputDevice: one MIDI input device of the MIDI service. It selects the device by number or by
// name, keeps a pool of SysEx buffers in the driver's queue, and turns the driver callback's
// ring records into ReceivedEvent objects on the window thread, announced through onInput.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "device/DeviceConstants.h"
#include "device/EventRecords.h"
#include "device/EventRing.h"
#include "device/FixedAddressBlocks.h"
#include "platform/midi/MidiService.h"
#include "platform/midi/notices/NoticeSink.h"

namespace pellum::device {

// Carries the message the user is shown. The name is shown too: an error that ends start-up is
// told in the run-time error box, which names the class, as users of the program have known it.
class EMidiInputError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Everything runs on the window thread; the notice sink must hand its notices to that thread.
class InputDevice {
public:
    using Event = std::function<void(InputDevice& sender)>;

    // Selects device 0. With no input device at all the component still comes up, with deviceId 0
    // and an empty productName, so the application can run without MIDI input; opening it then
    // fails quietly. The component takes over the sink's handler; once it is destroyed that
    // handler drops the notices, and a handler set since is left alone. The service and the sink
    // must outlive it.
    InputDevice(midi::MidiService& service, midi::NoticeSink& noticeWindow);
    ~InputDevice();
    InputDevice(const InputDevice&) = delete;
    InputDevice& operator=(const InputDevice&) = delete;

    const std::string& productName() const { return productName_; }
    // Selects the lowest-numbered device of exactly this name.
    void setProductName(const std::string& name);
    std::uint16_t deviceId() const { return deviceId_; }
    void setDeviceId(std::uint16_t value);
    // Low 16 bits of the result of the most recent MIDI call.
    std::uint16_t error() const { return error_; }
    std::uint16_t sysexBufferSize() const { return sysexBufferSize_; }
    void setSysexBufferSize(std::uint16_t value);
    std::uint16_t sysexBufferCount() const { return sysexBufferCount_; }
    void setSysexBufferCount(std::uint16_t value);
    bool sysexOnly() const { return sysexOnly_; }
    // Takes effect at once, also on an open device.
    void setSysexOnly(bool value);

    // Raised from the notice handling, never inside the driver callback.
    Event onInput;

    // Input devices found at construction.
    std::uint16_t deviceCount() const { return deviceCount_; }
    bool isOpen() const { return state_ == State::open; }

    // Never raises: a failed open leaves the component closed, with Error holding the code of
    // the driver call that failed, if one did. Does nothing while open.
    void open() noexcept;
    void start();
    // The system clock (ns since 1970) when input last started; arrival times count from it.
    std::int64_t startedAtNs() const { return startedAtNs_; }
    // Does nothing when closed. A close whose reset or close call failed left the device with
    // the driver; calling close again tries to finish it.
    void close();
    std::uint16_t pendingCount() const;
    // The oldest waiting event, or nullptr. A SysEx buffer is back in the driver's queue when
    // this returns.
    std::unique_ptr<ReceivedEvent> takeEvent();

    // The notice window's procedure; the component installs it on its sink.
    void handleNotice(std::uint32_t code);

private:
    enum class State { closed, open };

    std::string errorText(midi::MMRESULT code);
    void check(midi::MMRESULT code);
    void prepareSysexBuffers();
    void queueSysexBuffers();
    void releaseSysexBuffers();
    void shut();
    void abandonOpen() noexcept;

    midi::MidiService& service_;
    midi::NoticeSink& noticeWindow_;
    std::shared_ptr<InputDevice*> noticeTarget_;
    State state_ = State::closed;
    midi::HMIDIIN deviceHandle_ = nullptr;
    std::uint16_t deviceCount_ = 0;
    EventRing* ring_ = nullptr;
    CallbackInstance* instance_ = nullptr;
    std::optional<std::vector<std::unique_ptr<SysexBuffer>>> sysexBuffers_;

    std::string productName_;
    std::uint16_t deviceId_ = 0;
    std::uint16_t error_ = 0;
    std::uint16_t sysexBufferSize_ = kDefaultSysexBufferSize;
    std::uint16_t sysexBufferCount_ = kDefaultSysexBufferCount;
    bool sysexOnly_ = false;
    std::int64_t startedAtNs_ = 0;  // system clock at the last start
};

}  // namespace pellum::device
