// The loopback backend: each open input has a transport thread of its own, which puts injected
// bytes into the input's pump as a JACK process thread or an ALSA reader does, and marks a loss
// once the ring has room again; outputs record what they send.
#include "tests/support/loopback/LoopbackMidi.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <thread>
#include <type_traits>
#include <utility>

#include "platform/midi/MidiHeaders.h"
#include "platform/midi/input/EmulatedMidiIn.h"

namespace pellum::midi {

class LoopbackMidi::OpenInput final : public EmulatedMidiIn {
public:
    OpenInput(MidiInProc callback, std::uintptr_t instance, std::size_t ringBytes)
        : EmulatedMidiIn(callback, instance), pump_(*this, ringBytes) {
        pump_.start();
        announce(MIM_OPEN);
        thread_ = std::thread([this] { run(); });
    }

    // As the system's inputs close: the transport stops, then the pump, and no callback runs
    // once this returns.
    ~OpenInput() override {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        wake_.notify_all();
        thread_.join();
        pump_.stop();
        announce(MIM_CLOSE);
    }

    void submitBytes(std::vector<std::uint8_t> bytes) { submit({false, std::move(bytes)}); }
    void submitGap() { submit({true, {}}); }

    void flush() {
        std::unique_lock lock(mutex_);
        wake_.wait(lock, [&] { return commands_.empty() && !handing_; });
        // The pump either hands everything on or holds what waits for the client's buffer; a
        // loss is marked once the ring has room, and only then is the input at rest.
        while (!(pump_.idle() && !lossUnmarked_) && !pump_.waitingForBuffer()) {
            lock.unlock();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
            lock.lock();
        }
    }

private:
    struct Command {
        bool gap;
        std::vector<std::uint8_t> bytes;
    };

    void submit(Command command) {
        {
            std::lock_guard lock(mutex_);
            commands_.push_back(std::move(command));
        }
        wake_.notify_all();
    }

    // The one producer of the pump's ring. While a loss waits to be marked it looks again every
    // millisecond, as a transport's cycles do.
    void run() {
        std::unique_lock lock(mutex_);
        for (;;) {
            const auto ready = [&] { return stopping_ || !commands_.empty(); };
            if (lossUnmarked_) {
                wake_.wait_for(lock, std::chrono::milliseconds(1), ready);
            } else {
                wake_.wait(lock, ready);
            }
            if (stopping_) return;
            std::deque<Command> batch = std::exchange(commands_, {});
            handing_ = true;
            lock.unlock();
            for (const Command& command : batch) {
                if (command.gap) {
                    pump_.gap(Gap::Possible);
                } else {
                    pump_.put(command.bytes.data(), command.bytes.size());
                }
            }
            const bool unmarked = !pump_.markLoss();
            pump_.wake();
            lock.lock();
            lossUnmarked_ = unmarked;
            handing_ = false;
            wake_.notify_all();
        }
    }

    InputPump pump_;
    std::mutex mutex_;
    std::condition_variable wake_;
    std::deque<Command> commands_;
    bool handing_ = false;
    bool lossUnmarked_ = false;
    bool stopping_ = false;
    std::thread thread_;
};

class LoopbackMidi::OpenOutput final : public MidiOutPort {};

struct LoopbackMidi::VirtualInput {
    std::string name;
    std::size_t ringBytes = 0;
    std::unique_ptr<OpenInput> port;
    std::uint64_t droppedBefore = 0;  // by earlier opens
    std::uint64_t gapsBefore = 0;
};

struct LoopbackMidi::VirtualOutput {
    std::string name;
    std::unique_ptr<OpenOutput> port;
    std::vector<std::vector<std::uint8_t>> sent;
    Responder responder;
    std::uint32_t answerInput = 0;
};

namespace {

// The device numbered `id`, or nullptr.
template <typename Device>
Device* numbered(const std::vector<std::unique_ptr<Device>>& devices, std::uintptr_t id) {
    return id < devices.size() ? devices[id].get() : nullptr;
}

// The device whose open port is `handle`, or nullptr.
template <typename Device, typename Handle>
Device* opened(const std::vector<std::unique_ptr<Device>>& devices, Handle handle) {
    for (const auto& device : devices) {
        if (handle != nullptr && device->port.get() == handle) return device.get();
    }
    return nullptr;
}

// Device number `id`'s capability record, filled as the system's backends fill it; the record
// holds 31 characters of the name and a zero, the DeviceName calls the whole name.
template <typename Caps, typename Device>
MMRESULT capsOf(const std::vector<std::unique_ptr<Device>>& devices, std::uintptr_t id, Caps* caps,
                std::uint32_t capsSize) {
    if (caps == nullptr || capsSize < sizeof(Caps)) return MMSYSERR_INVALPARAM;
    const Device* device = numbered(devices, id);
    if (device == nullptr) return MMSYSERR_BADDEVICEID;
    *caps = Caps{};
    caps->wMid = MM_UNMAPPED;
    caps->wPid = MM_UNMAPPED;
    caps->vDriverVersion = 0x0100;
    std::memcpy(caps->szPname, device->name.data(), std::min(device->name.size(), MAXPNAMELEN - 1));
    if constexpr (std::is_same_v<Caps, MIDIOUTCAPSA>) {
        caps->wTechnology = MOD_MIDIPORT;
        caps->wChannelMask = 0xFFFF;
    }
    return MMSYSERR_NOERROR;
}

}  // namespace

LoopbackMidi::LoopbackMidi() = default;
LoopbackMidi::~LoopbackMidi() = default;

std::uint32_t LoopbackMidi::addInput(std::string name, std::size_t ringBytes) {
    std::lock_guard lock(mutex_);
    VirtualInput& device = *inputs_.emplace_back(std::make_unique<VirtualInput>());
    device.name = std::move(name);
    device.ringBytes = ringBytes;
    return static_cast<std::uint32_t>(inputs_.size() - 1);
}

std::uint32_t LoopbackMidi::addOutput(std::string name) {
    std::lock_guard lock(mutex_);
    outputs_.emplace_back(std::make_unique<VirtualOutput>())->name = std::move(name);
    return static_cast<std::uint32_t>(outputs_.size() - 1);
}

void LoopbackMidi::inject(std::uint32_t input, std::span<const std::uint8_t> bytes) {
    std::lock_guard lock(mutex_);
    if (OpenInput* port = openPort(input)) port->submitBytes({bytes.begin(), bytes.end()});
}

void LoopbackMidi::inject(std::uint32_t input, std::initializer_list<std::uint8_t> bytes) {
    inject(input, std::span<const std::uint8_t>(bytes.begin(), bytes.size()));
}

void LoopbackMidi::injectGap(std::uint32_t input) {
    std::lock_guard lock(mutex_);
    if (OpenInput* port = openPort(input)) port->submitGap();
}

void LoopbackMidi::flush(std::uint32_t input) {
    OpenInput* port = nullptr;
    {
        std::lock_guard lock(mutex_);
        port = openPort(input);
    }
    if (port != nullptr) port->flush();
}

bool LoopbackMidi::isInputOpen(std::uint32_t input) const {
    std::lock_guard lock(mutex_);
    return openPort(input) != nullptr;
}

std::vector<const MIDIHDR*> LoopbackMidi::queuedBuffers(std::uint32_t input) const {
    std::lock_guard lock(mutex_);
    const OpenInput* port = openPort(input);
    return port ? port->queuedBuffers() : std::vector<const MIDIHDR*>{};
}

std::uint64_t LoopbackMidi::sumInputs(std::uint64_t VirtualInput::*before,
                                      std::uint64_t (EmulatedMidiIn::*count)() const) const {
    std::lock_guard lock(mutex_);
    std::uint64_t total = 0;
    for (const auto& device : inputs_) {
        total += (*device).*before + (device->port ? ((*device->port).*count)() : 0);
    }
    return total;
}

std::uint64_t LoopbackMidi::droppedInputBytes() const {
    return sumInputs(&VirtualInput::droppedBefore, &EmulatedMidiIn::droppedBytes);
}

std::uint64_t LoopbackMidi::inputGaps() const {
    return sumInputs(&VirtualInput::gapsBefore, &EmulatedMidiIn::gaps);
}

std::vector<std::vector<std::uint8_t>> LoopbackMidi::sentMessages(std::uint32_t output) const {
    std::lock_guard lock(mutex_);
    const VirtualOutput* device = numbered(outputs_, output);
    return device ? device->sent : std::vector<std::vector<std::uint8_t>>{};
}

bool LoopbackMidi::isOutputOpen(std::uint32_t output) const {
    std::lock_guard lock(mutex_);
    const VirtualOutput* device = numbered(outputs_, output);
    return device && device->port;
}

void LoopbackMidi::connect(std::uint32_t output, std::uint32_t input, Responder responder) {
    std::lock_guard lock(mutex_);
    if (VirtualOutput* device = numbered(outputs_, output)) {
        device->responder = std::move(responder);
        device->answerInput = input;
    }
}

LoopbackMidi::Responder LoopbackMidi::identityResponder(std::vector<std::uint8_t> reply) {
    return [reply = std::move(reply)](std::span<const std::uint8_t> sent) {
        const bool isIdentityRequest = sent.size() == 6 && sent[0] == 0xF0 && sent[1] == 0x7E &&
                                       sent[3] == 0x06 && sent[4] == 0x01 && sent[5] == 0xF7;
        return isIdentityRequest ? reply : std::vector<std::uint8_t>{};
    };
}

void LoopbackMidi::failNextCall(Call call, MMRESULT code, unsigned skip) {
    std::lock_guard lock(mutex_);
    failures_.push_back({call, code, skip});
}

MMRESULT LoopbackMidi::injectedFailure(Call call) {
    std::lock_guard lock(mutex_);
    const auto found = std::find_if(failures_.begin(), failures_.end(),
                                    [call](const Failure& f) { return f.call == call; });
    if (found == failures_.end()) return MMSYSERR_NOERROR;
    if (found->skip > 0) {
        --found->skip;
        return MMSYSERR_NOERROR;
    }
    const MMRESULT code = found->code;
    failures_.erase(found);
    return code;
}

LoopbackMidi::OpenInput* LoopbackMidi::openPort(std::uint32_t input) const {
    const VirtualInput* device = numbered(inputs_, input);
    return device ? device->port.get() : nullptr;
}

LoopbackMidi::OpenInput* LoopbackMidi::portOf(HMIDIIN handle) const {
    std::lock_guard lock(mutex_);
    const VirtualInput* device = opened(inputs_, handle);
    return device ? device->port.get() : nullptr;
}

template <typename Operation>
MMRESULT LoopbackMidi::onInput(Call call, HMIDIIN handle, Operation operation) {
    if (MMRESULT failure = injectedFailure(call)) return failure;
    // Outside the lock: reset() runs the callback, which may call back into us.
    OpenInput* port = portOf(handle);
    return port ? operation(*port) : MMSYSERR_INVALHANDLE;
}

std::uint32_t LoopbackMidi::midiInGetNumDevs() {
    std::lock_guard lock(mutex_);
    return static_cast<std::uint32_t>(inputs_.size());
}

MMRESULT LoopbackMidi::midiInGetDevCapsA(std::uintptr_t deviceId, MIDIINCAPSA* caps,
                                         std::uint32_t capsSize) {
    if (MMRESULT failure = injectedFailure(Call::midiInGetDevCapsA)) return failure;
    std::lock_guard lock(mutex_);
    return capsOf(inputs_, deviceId, caps, capsSize);
}

std::string LoopbackMidi::midiInDeviceName(std::uint32_t deviceId) {
    std::lock_guard lock(mutex_);
    const VirtualInput* device = numbered(inputs_, deviceId);
    return device ? device->name : std::string();
}

std::string LoopbackMidi::midiOutDeviceName(std::uint32_t deviceId) {
    std::lock_guard lock(mutex_);
    const VirtualOutput* device = numbered(outputs_, deviceId);
    return device ? device->name : std::string();
}

MMRESULT LoopbackMidi::midiInOpen(HMIDIIN* handle, std::uint32_t deviceId, MidiInProc callback,
                                  std::uintptr_t instance, std::uint32_t flags) {
    if (MMRESULT failure = injectedFailure(Call::midiInOpen)) return failure;
    if (handle == nullptr) return MMSYSERR_INVALPARAM;
    const std::uint32_t callbackType = flags & CALLBACK_TYPEMASK;
    if (callbackType != CALLBACK_FUNCTION && callbackType != CALLBACK_NULL) {
        return MMSYSERR_INVALFLAG;
    }
    if (callbackType == CALLBACK_FUNCTION && callback == nullptr) return MMSYSERR_INVALPARAM;
    std::lock_guard lock(mutex_);
    VirtualInput* device = numbered(inputs_, deviceId);
    if (device == nullptr) return MMSYSERR_BADDEVICEID;
    if (device->port) return MMSYSERR_ALLOCATED;
    device->port = std::make_unique<OpenInput>(
        callbackType == CALLBACK_FUNCTION ? callback : nullptr, instance, device->ringBytes);
    *handle = device->port.get();
    return MMSYSERR_NOERROR;
}

MMRESULT LoopbackMidi::midiInPrepareHeader(HMIDIIN handle, MIDIHDR* header,
                                           std::uint32_t headerSize) {
    return onInput(Call::midiInPrepareHeader, handle,
                   [&](OpenInput& port) { return port.prepareHeader(header, headerSize); });
}

MMRESULT LoopbackMidi::midiInAddBuffer(HMIDIIN handle, MIDIHDR* header, std::uint32_t headerSize) {
    return onInput(Call::midiInAddBuffer, handle,
                   [&](OpenInput& port) { return port.addBuffer(header, headerSize); });
}

MMRESULT LoopbackMidi::midiInStart(HMIDIIN handle) {
    return onInput(Call::midiInStart, handle, [](OpenInput& port) { return port.start(); });
}

MMRESULT LoopbackMidi::midiInReset(HMIDIIN handle) {
    return onInput(Call::midiInReset, handle, [](OpenInput& port) { return port.reset(); });
}

MMRESULT LoopbackMidi::midiInUnprepareHeader(HMIDIIN handle, MIDIHDR* header,
                                             std::uint32_t headerSize) {
    OpenInput* port = portOf(handle);
    return port ? port->unprepareHeader(header, headerSize) : MMSYSERR_INVALHANDLE;
}

MMRESULT LoopbackMidi::midiInClose(HMIDIIN handle) {
    std::unique_ptr<OpenInput> closing;
    {
        std::lock_guard lock(mutex_);
        VirtualInput* device = opened(inputs_, handle);
        if (device == nullptr) return MMSYSERR_INVALHANDLE;
        if (device->port->hasQueuedBuffers()) return MIDIERR_STILLPLAYING;
        device->droppedBefore += device->port->droppedBytes();
        device->gapsBefore += device->port->gaps();
        closing = std::move(device->port);
    }
    // Closed outside the lock: the last callbacks may call back into us.
    closing.reset();
    return MMSYSERR_NOERROR;
}

std::uint32_t LoopbackMidi::midiOutGetNumDevs() {
    std::lock_guard lock(mutex_);
    return static_cast<std::uint32_t>(outputs_.size());
}

MMRESULT LoopbackMidi::midiOutGetDevCapsA(std::uintptr_t deviceId, MIDIOUTCAPSA* caps,
                                          std::uint32_t capsSize) {
    std::lock_guard lock(mutex_);
    return capsOf(outputs_, deviceId, caps, capsSize);
}

MMRESULT LoopbackMidi::midiOutOpen(HMIDIOUT* handle, std::uint32_t deviceId,
                                   std::uintptr_t /*callback*/, std::uintptr_t /*instance*/,
                                   std::uint32_t flags) {
    if (handle == nullptr) return MMSYSERR_INVALPARAM;
    // Sending completes before midiOutLongMsg returns, so there is nothing to call back about.
    if ((flags & CALLBACK_TYPEMASK) != CALLBACK_NULL) return MMSYSERR_NOTSUPPORTED;
    std::lock_guard lock(mutex_);
    VirtualOutput* device = numbered(outputs_, deviceId);
    if (device == nullptr) return MMSYSERR_BADDEVICEID;
    if (device->port) return MMSYSERR_ALLOCATED;
    device->port = std::make_unique<OpenOutput>();
    *handle = device->port.get();
    return MMSYSERR_NOERROR;
}

MMRESULT LoopbackMidi::midiOutPrepareHeader(HMIDIOUT handle, MIDIHDR* header,
                                            std::uint32_t headerSize) {
    std::lock_guard lock(mutex_);
    if (opened(outputs_, handle) == nullptr) return MMSYSERR_INVALHANDLE;
    return prepareHeader(header, headerSize, HeaderUse::output);
}

MMRESULT LoopbackMidi::midiOutLongMsg(HMIDIOUT handle, MIDIHDR* header, std::uint32_t headerSize) {
    Responder responder;
    std::uint32_t answerInput = 0;
    std::vector<std::uint8_t> message;
    {
        std::lock_guard lock(mutex_);
        VirtualOutput* device = opened(outputs_, handle);
        if (device == nullptr) return MMSYSERR_INVALHANDLE;
        if (MMRESULT code = queueHeader(header, headerSize, HeaderUse::output)) return code;
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(header->lpData);
        message.assign(bytes, bytes + header->dwBufferLength);
        if (!message.empty()) device->sent.push_back(message);  // nothing goes on the wire
        returnHeader(header);
        responder = device->responder;
        answerInput = device->answerInput;
    }
    if (responder && !message.empty()) {
        const std::vector<std::uint8_t> answer = responder(message);
        if (!answer.empty()) inject(answerInput, answer);
    }
    return MMSYSERR_NOERROR;
}

MMRESULT LoopbackMidi::midiOutUnprepareHeader(HMIDIOUT handle, MIDIHDR* header,
                                              std::uint32_t headerSize) {
    std::lock_guard lock(mutex_);
    if (opened(outputs_, handle) == nullptr) return MMSYSERR_INVALHANDLE;
    return unprepareHeader(header, headerSize);
}

MMRESULT LoopbackMidi::midiOutClose(HMIDIOUT handle) {
    std::lock_guard lock(mutex_);
    VirtualOutput* device = opened(outputs_, handle);
    if (device == nullptr) return MMSYSERR_INVALHANDLE;
    device->port.reset();
    return MMSYSERR_NOERROR;
}

}  // namespace pellum::midi
