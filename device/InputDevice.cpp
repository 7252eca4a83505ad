// The MIDI input device.
#include "device/InputDevice.h"

#include <algorithm>
#include <array>
#include <chrono>
#include <cstring>

#include "device/DriverCallback.h"

namespace pellum::device {

namespace {

constexpr std::uint32_t kHeaderSize = sizeof(midi::MIDIHDR);

// A failure that has already stored its code, or has none; open swallows it.
struct OpenFailed {};

}  // namespace

InputDevice::InputDevice(midi::MidiService& service, midi::NoticeSink& noticeWindow)
    : service_(service), noticeWindow_(noticeWindow) {
    deviceCount_ =
        static_cast<std::uint16_t>(std::min<std::uint32_t>(service_.midiInGetNumDevs(), 0xFFFF));
    if (deviceCount_ > 0) setDeviceId(0);
    // The handler reaches the component through a target of its own, which the destructor
    // clears: another component may have taken the sink over meanwhile, and keeps it.
    noticeTarget_ = std::make_shared<InputDevice*>(this);
    noticeWindow_.setHandler([target = noticeTarget_](std::uint32_t code) {
        if (*target != nullptr) (*target)->handleNotice(code);
    });
}

InputDevice::~InputDevice() {
    if (noticeTarget_) *noticeTarget_ = nullptr;
    if (deviceHandle_ != nullptr) {
        try {
            state_ = State::closed;
            shut();
        } catch (const EMidiInputError&) {
            // Reported nowhere: the component is going away.
        }
    }
    if (deviceHandle_ != nullptr) {
        // The driver still holds the device and may call into the instance, the ring and the
        // buffers: they are left allocated rather than freed under it.
        if (sysexBuffers_) {
            for (auto& buffer : *sysexBuffers_) static_cast<void>(buffer.release());
        }
        return;
    }
    freeRing(ring_);
    freeCallbackInstance(instance_);
}

void InputDevice::setProductName(const std::string& name) {
    if (state_ == State::open) throw EMidiInputError("Change to ProductName while device was open");
    const std::uint32_t count = std::min<std::uint32_t>(service_.midiInGetNumDevs(), 0x10000);
    for (std::uint32_t device = 0; device < count; ++device) {
        midi::MIDIINCAPSA caps{};
        check(service_.midiInGetDevCapsA(device, &caps, sizeof caps));
        if (service_.midiInDeviceName(device) == name) {
            setDeviceId(static_cast<std::uint16_t>(device));
            return;
        }
    }
    throw EMidiInputError("MIDI Input Device " + name + " not installed ");
}

void InputDevice::setDeviceId(std::uint16_t value) {
    if (state_ == State::open) throw EMidiInputError("Change to DeviceID while device was open");
    if (value >= service_.midiInGetNumDevs()) throw EMidiInputError("Invalid device ID");
    deviceId_ = value;
    midi::MIDIINCAPSA caps{};
    check(service_.midiInGetDevCapsA(value, &caps, sizeof caps));
    // The full name: the record's 31 characters may not tell two similar ports apart.
    productName_ = service_.midiInDeviceName(value);
}

void InputDevice::setSysexBufferSize(std::uint16_t value) {
    if (state_ == State::open) {
        throw EMidiInputError("Change to SysexBufferSize while device was open");
    }
    sysexBufferSize_ = value;
}

void InputDevice::setSysexBufferCount(std::uint16_t value) {
    if (state_ == State::open) {
        throw EMidiInputError("Change to SysexBuffercount while device was open");
    }
    sysexBufferCount_ = value;
}

void InputDevice::setSysexOnly(bool value) {
    sysexOnly_ = value;
    if (instance_ != nullptr) instance_->sysexOnly.store(value, std::memory_order_relaxed);
}

void InputDevice::open() noexcept {
    if (state_ == State::open) return;
    try {
        if (deviceHandle_ != nullptr) shut();  // finish an earlier close first
        if (ring_ == nullptr) {
            ring_ = createRing(kDefaultCapacity);
            if (ring_ == nullptr) throw OpenFailed{};
        }
        if (instance_ == nullptr) {
            instance_ = createCallbackInstance();
            if (instance_ == nullptr) throw OpenFailed{};
        }
        instance_->ring = ring_;
        instance_->window = &noticeWindow_;
        instance_->sysexOnly.store(sysexOnly_, std::memory_order_relaxed);

        midi::HMIDIIN handle = nullptr;
        check(service_.midiInOpen(&handle, deviceId_, &driverCallback,
                                  reinterpret_cast<std::uintptr_t>(instance_),
                                  midi::CALLBACK_FUNCTION));
        deviceHandle_ = handle;
        prepareSysexBuffers();
        queueSysexBuffers();
        state_ = State::open;
    } catch (...) {
        abandonOpen();
    }
}

void InputDevice::abandonOpen() noexcept {
    const std::uint16_t failure = error_;
    if (deviceHandle_ != nullptr) {
        // The device was opened: until reset and close have returned, the driver may still call
        // back into the instance and fill the buffers, so those go last.
        try {
            shut();
        } catch (...) {
            // The driver keeps the device. Everything it may touch stays allocated; a later
            // close, open or the destructor tries again.
            error_ = failure;
            return;
        }
    }
    error_ = failure;
    sysexBuffers_.reset();
    freeRing(ring_);
    ring_ = nullptr;
    freeCallbackInstance(instance_);
    instance_ = nullptr;
}

void InputDevice::prepareSysexBuffers() {
    if (sysexBufferCount_ == 0 || sysexBufferSize_ == 0 || deviceHandle_ == nullptr) return;
    sysexBuffers_.emplace();
    sysexBuffers_->reserve(sysexBufferCount_);
    for (std::uint16_t i = 0; i < sysexBufferCount_; ++i) {
        auto buffer = std::make_unique<SysexBuffer>(sysexBufferSize_);
        check(service_.midiInPrepareHeader(deviceHandle_, buffer->header, kHeaderSize));
        sysexBuffers_->push_back(std::move(buffer));
    }
}

void InputDevice::queueSysexBuffers() {
    if (!sysexBuffers_) return;
    for (const auto& buffer : *sysexBuffers_) {
        check(service_.midiInAddBuffer(deviceHandle_, buffer->header, kHeaderSize));
    }
}

void InputDevice::start() {
    if (state_ != State::open) return;
    // The driver stamps what arrives in milliseconds from here.
    startedAtNs_ = std::chrono::duration_cast<std::chrono::nanoseconds>(
                       std::chrono::system_clock::now().time_since_epoch())
                       .count();
    check(service_.midiInStart(deviceHandle_));
}

void InputDevice::close() {
    if (state_ != State::open && deviceHandle_ == nullptr) return;
    // Closed first: records the reset still produces are neither counted nor announced.
    state_ = State::closed;
    shut();
}

void InputDevice::shut() {
    check(service_.midiInReset(deviceHandle_));
    releaseSysexBuffers();
    check(service_.midiInClose(deviceHandle_));
    deviceHandle_ = nullptr;
    freeRing(ring_);
    ring_ = nullptr;
}

void InputDevice::releaseSysexBuffers() {
    if (!sysexBuffers_) return;
    auto& buffers = *sysexBuffers_;
    while (!buffers.empty()) {
        check(service_.midiInUnprepareHeader(deviceHandle_, buffers.front()->header, kHeaderSize));
        buffers.erase(buffers.begin());
    }
    sysexBuffers_.reset();
}

std::uint16_t InputDevice::pendingCount() const {
    return state_ == State::open && ring_ != nullptr ? ringCount(ring_) : 0;
}

std::unique_ptr<ReceivedEvent> InputDevice::takeEvent() {
    RingRecord record;
    if (state_ != State::open || ring_ == nullptr || !ringPeek(ring_, record)) return nullptr;
    auto event = std::make_unique<ReceivedEvent>();
    event->timeStamp = record.stamp;
    event->arrivalNs = startedAtNs_ + std::int64_t{record.stamp} * 1'000'000;
    if (record.sysexHeader == nullptr) {
        event->statusByte = static_cast<std::uint8_t>(record.shortData);
        event->firstData = static_cast<std::uint8_t>(record.shortData >> 8);
        event->secondData = static_cast<std::uint8_t>(record.shortData >> 16);
    } else {
        midi::MIDIHDR* header = record.sysexHeader;
        event->statusByte = kSysexStatus;
        // Never past the buffer, whatever the driver recorded.
        const std::uint32_t size = std::min(header->dwBytesRecorded, header->dwBufferLength);
        event->sysexSize = static_cast<std::uint16_t>(std::min<std::uint32_t>(size, 0xFFFF));
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(header->lpData);
        event->sysexBytes.assign(bytes, bytes + event->sysexSize);
        midi::MMRESULT code = service_.midiInPrepareHeader(deviceHandle_, header, kHeaderSize);
        if (code == midi::MMSYSERR_NOERROR) {
            code = service_.midiInAddBuffer(deviceHandle_, header, kHeaderSize);
        }
        // A failed re-queue throws before the record leaves the ring: the copy made above dies
        // with the exception, so the caller gets the message once, on the try that succeeds.
        check(code);
    }
    ringRemove(ring_);
    return event;
}

void InputDevice::handleNotice(std::uint32_t code) {
    // A full ring's notice is not passed on: what the ring kept waits for takeEvent all the same.
    if (code == kEventsWaitingNotice && pendingCount() > 0 && onInput && state_ == State::open) {
        Event handler = onInput;  // a copy, so that the handler may replace itself while it runs
        handler(*this);
    }
}

std::string InputDevice::errorText(midi::MMRESULT code) {
    std::array<char, 128> text{};
    if (service_.midiInGetErrorTextA(code & 0xFFFF, text.data(), text.size()) ==
        midi::MMSYSERR_NOERROR) {
        return std::string(text.data(), strnlen(text.data(), text.size()));
    }
    return "Specified error number is out of range";
}

void InputDevice::check(midi::MMRESULT code) {
    error_ = static_cast<std::uint16_t>(code & 0xFFFF);
    if (code != midi::MMSYSERR_NOERROR) throw EMidiInputError(errorText(code));
}

}  // namespace pellum::device
