// The RtMidi backend: device lists through RtMidi, input through AlsaSeqIn and JackMidiIn,
// output through JackMidiOut and AlsaSeqOut, all under one client name per process so our own
// ports can be left out.
#include "platform/midi/RtMidiService.h"

#include <alsa/asoundlib.h>
#include <rtmidi/RtMidi.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <new>
#include <utility>

#include "platform/midi/AlsaSeqIn.h"
#include "platform/midi/AlsaSeqOut.h"
#include "platform/midi/EmulatedMidiIn.h"
#include "platform/midi/InputPump.h"
#include "platform/midi/JackMidiIn.h"
#include "platform/midi/JackMidiOut.h"
#include "platform/midi/JackPortList.h"

namespace pellum::midi {

namespace {

void quietAlsa(const char*, int, const char*, int, const char*, ...) {}

// Asked directly rather than through RtMidi, which would print its complaints when an API is
// down, and the libraries' own complaints are kept quiet while asking.
bool alsaSequencerUp() {
    snd_lib_error_set_handler(&quietAlsa);
    snd_seq_t* seq = nullptr;
    const bool up = snd_seq_open(&seq, "default", SND_SEQ_OPEN_DUPLEX, SND_SEQ_NONBLOCK) >= 0;
    if (up) snd_seq_close(seq);
    snd_lib_error_set_handler(nullptr);
    return up;
}

// RtMidi reports through this instead of printing or throwing; a port that failed to open
// shows up here.
struct ErrorFlag {
    std::atomic<bool> failed{false};

    static void record(RtMidiError::Type type, const std::string& /*text*/, void* self) {
        if (type != RtMidiError::WARNING && type != RtMidiError::DEBUG_WARNING) {
            static_cast<ErrorFlag*>(self)->failed.store(true);
        }
    }
};

// RtMidi ends an ALSA port's name with its address, "client:port".
bool alsaAddress(const std::string& name, int& client, int& port) {
    const std::size_t space = name.rfind(' ');
    return space != std::string::npos &&
           std::sscanf(name.c_str() + space + 1, "%d:%d", &client, &port) == 2;
}

template <typename Caps>
void fillCaps(Caps& caps, const std::string& name) {
    caps = Caps{};
    caps.wMid = MM_UNMAPPED;
    caps.wPid = MM_UNMAPPED;
    // The record holds 31 characters and a zero; the full name comes from the DeviceName calls.
    const std::size_t length = std::min(name.size(), MAXPNAMELEN - 1);
    std::memcpy(caps.szPname, name.data(), length);
}

}  // namespace

struct RtMidiService::Probes {
    std::unique_ptr<RtMidiIn> alsaIn;
    std::unique_ptr<RtMidiOut> alsaOut;
    ErrorFlag errors;
};

class RtMidiService::InputPort final : public EmulatedMidiIn {
public:
    InputPort(MidiInProc callback, std::uintptr_t instance)
        : EmulatedMidiIn(callback, instance), pump_(*this) {}

    ~InputPort() override { disconnect(); }

    // No transport callback runs once its client is gone, so the pump can stop after it.
    void disconnect() {
        jack_.reset();
        alsa_.reset();
        pump_.stop();
        if (opened_) announce(MIM_CLOSE);
        opened_ = false;
    }

    // Said only once the pump has handed on all that came before the end.
    bool gone() const { return pump_.transportEnded(); }

    // Its JACK server stopped: the dead client goes before another opens. The end is told
    // here too, in case the client's own word of it has not come yet.
    void releaseJack() {
        if (!jack_) return;
        jack_.reset();
        pump_.transportBroke();
    }

    MMRESULT connect(bool jack, const std::string& clientName, const std::string& source) {
        pump_.start();
        const MMRESULT code =
            jack ? connectJack(clientName, source) : connectAlsa(clientName, source);
        if (code != MMSYSERR_NOERROR) {
            disconnect();
            return code;
        }
        opened_ = true;
        announce(MIM_OPEN);
        return MMSYSERR_NOERROR;
    }

private:
    MMRESULT connectJack(const std::string& clientName, const std::string& source) {
        MMRESULT code = MMSYSERR_NOERROR;
        jack_ = JackMidiIn::open(clientName, source, pump_, code);
        return code;
    }

    MMRESULT connectAlsa(const std::string& clientName, const std::string& source) {
        int client = -1;
        int port = -1;
        if (!alsaAddress(source, client, port)) return MIDIERR_NODEVICE;
        MMRESULT code = MMSYSERR_NOERROR;
        alsa_ = AlsaSeqIn::open(clientName, client, port, pump_, code);
        return code;
    }

    InputPump pump_;
    std::unique_ptr<JackMidiIn> jack_;
    std::unique_ptr<AlsaSeqIn> alsa_;
    bool opened_ = false;
};

class RtMidiService::OutputPort final : public MidiOutPort {
public:
    std::unique_ptr<JackMidiOut> jack;
    std::unique_ptr<AlsaSeqOut> alsa;

    MMRESULT send(const std::uint8_t* bytes, std::size_t count) {
        if (count == 0) return MMSYSERR_NOERROR;
        if (jackStopped) return kMidiServerStopped;
        return jack ? jack->send(bytes, count) : alsa->send(bytes, count);
    }
    // Waits until what was queued has been handed on; ALSA takes each event as it is written.
    MMRESULT finish() {
        if (jackStopped) return kMidiServerStopped;
        return jack ? jack->flush() : MMSYSERR_NOERROR;
    }
    // Its JACK server stopped: the dead client goes before another opens.
    void releaseJack() {
        if (jack) jackStopped = true;
        jack.reset();
    }
    bool jackStopped = false;
};

RtMidiService::RtMidiService()
    : clientName_("Pellum-" + std::to_string(::getpid())),
      probes_(std::make_unique<Probes>()),
      jackPorts_(std::make_unique<JackPortList>(clientName_)) {
    alsaUp_ = alsaSequencerUp();
    try {
        if (alsaUp_) {
            probes_->alsaIn = std::make_unique<RtMidiIn>(RtMidi::LINUX_ALSA, clientName_);
            probes_->alsaOut = std::make_unique<RtMidiOut>(RtMidi::LINUX_ALSA, clientName_);
        }
    } catch (const RtMidiError&) {
        alsaUp_ = false;
    }
    for (RtMidi* probe : {static_cast<RtMidi*>(probes_->alsaIn.get()),
                          static_cast<RtMidi*>(probes_->alsaOut.get())}) {
        if (probe != nullptr) probe->setErrorCallback(&ErrorFlag::record, &probes_->errors);
    }
    inputs_ = listPorts(true);
    outputs_ = listPorts(false);
}

RtMidiService::~RtMidiService() {
    openInputs_.clear();
    openOutputs_.clear();
}

void RtMidiService::leaveStoppedJackServer() {
    if (!jackPorts_->serverStopped()) return;
    std::vector<InputPort*> inputs;
    std::vector<OutputPort*> outputs;
    {
        std::lock_guard lock(mutex_);
        for (const auto& port : openInputs_) inputs.push_back(port.get());
        for (const auto& port : openOutputs_) outputs.push_back(port.get());
    }
    // Outside the lock, as at a close; only this thread removes ports, so they stay alive.
    for (InputPort* port : inputs) port->releaseJack();
    for (OutputPort* port : outputs) port->releaseJack();
    jackPorts_->drop();
}

std::vector<RtMidiService::Device> RtMidiService::listPorts(bool inputs) {
    std::vector<Device> list;
    auto add = [&](RtMidi* probe, Api api) {
        if (probe == nullptr) return;
        const unsigned count = probe->getPortCount();
        for (unsigned i = 0; i < count; ++i) {
            std::string name = probe->getPortName(i);
            if (!name.empty() && !isOwnPort(name)) list.push_back({api, std::move(name)});
        }
    };
    add(inputs ? static_cast<RtMidi*>(probes_->alsaIn.get()) : probes_->alsaOut.get(), Api::alsa);
    leaveStoppedJackServer();
    // An input listens to a port that sends.
    for (std::string& name : jackPorts_->ports(inputs)) {
        if (!isOwnPort(name)) list.push_back({Api::jack, std::move(name)});
    }
    jackUp_ = jackPorts_->up();
    return list;
}

// JACK renames a second client of the same name "<name>-01", and so on.
bool RtMidiService::isOwnPort(const std::string& name) const {
    if (name.compare(0, clientName_.size(), clientName_) != 0) return false;
    const char next = name.size() > clientName_.size() ? name[clientName_.size()] : ':';
    return next == ':' || next == '-';
}

RtMidiService::InputPort* RtMidiService::inputPort(HMIDIIN handle) const {
    for (const auto& port : openInputs_) {
        if (port.get() == handle) return port.get();
    }
    return nullptr;
}

RtMidiService::OutputPort* RtMidiService::outputPort(HMIDIOUT handle) const {
    for (const auto& port : openOutputs_) {
        if (port.get() == handle) return port.get();
    }
    return nullptr;
}

std::uint64_t RtMidiService::droppedInputBytes() const {
    std::lock_guard lock(mutex_);
    std::uint64_t total = droppedByClosedInputs_;
    for (const auto& port : openInputs_) total += port->droppedBytes();
    return total;
}

std::uint64_t RtMidiService::brokenInputMessages() const {
    std::lock_guard lock(mutex_);
    std::uint64_t total = brokenByClosedInputs_;
    for (const auto& port : openInputs_) total += port->brokenMessages();
    return total;
}

std::uint64_t RtMidiService::inputGaps() const {
    std::lock_guard lock(mutex_);
    std::uint64_t total = gapsOfClosedInputs_;
    for (const auto& port : openInputs_) total += port->gaps();
    return total;
}

std::uint64_t RtMidiService::lostInputDevices() const {
    std::lock_guard lock(mutex_);
    std::uint64_t total = lostByClosedInputs_;
    for (const auto& port : openInputs_) total += port->gone() ? 1 : 0;
    return total;
}

std::string RtMidiService::midiInDeviceName(std::uint32_t deviceId) {
    std::lock_guard lock(mutex_);
    return deviceId < inputs_.size() ? inputs_[deviceId].name : std::string();
}

std::string RtMidiService::midiOutDeviceName(std::uint32_t deviceId) {
    std::lock_guard lock(mutex_);
    return deviceId < outputs_.size() ? outputs_[deviceId].name : std::string();
}

std::uint32_t RtMidiService::midiInGetNumDevs() {
    std::vector<Device> list = listPorts(true);
    std::lock_guard lock(mutex_);
    inputs_ = std::move(list);
    return static_cast<std::uint32_t>(inputs_.size());
}

MMRESULT RtMidiService::midiInGetDevCapsA(std::uintptr_t deviceId, MIDIINCAPSA* caps,
                                          std::uint32_t capsSize) {
    if (caps == nullptr || capsSize < sizeof(MIDIINCAPSA)) return MMSYSERR_INVALPARAM;
    std::lock_guard lock(mutex_);
    if (deviceId >= inputs_.size()) return MMSYSERR_BADDEVICEID;
    fillCaps(*caps, inputs_[deviceId].name);
    return MMSYSERR_NOERROR;
}

MMRESULT RtMidiService::midiInOpen(HMIDIIN* handle, std::uint32_t deviceId, MidiInProc callback,
                                   std::uintptr_t instance, std::uint32_t flags) {
    if (handle == nullptr) return MMSYSERR_INVALPARAM;
    const std::uint32_t type = flags & CALLBACK_TYPEMASK;
    if (type != CALLBACK_FUNCTION && type != CALLBACK_NULL) return MMSYSERR_NOTSUPPORTED;
    Device device;
    {
        std::lock_guard lock(mutex_);
        if (deviceId >= inputs_.size()) return MMSYSERR_BADDEVICEID;
        device = inputs_[deviceId];
    }
    if (device.api == Api::jack) leaveStoppedJackServer();
    try {
        auto port =
            std::make_unique<InputPort>(type == CALLBACK_FUNCTION ? callback : nullptr, instance);
        if (MMRESULT code = port->connect(device.api == Api::jack, clientName_, device.name)) {
            return code;
        }
        std::lock_guard lock(mutex_);
        *handle = port.get();
        openInputs_.push_back(std::move(port));
    } catch (const std::bad_alloc&) {
        return MMSYSERR_NOMEM;
    }
    return MMSYSERR_NOERROR;
}

MMRESULT RtMidiService::midiInPrepareHeader(HMIDIIN handle, MIDIHDR* header,
                                            std::uint32_t headerSize) {
    std::lock_guard lock(mutex_);
    InputPort* port = inputPort(handle);
    return port == nullptr ? MMSYSERR_INVALHANDLE : port->prepareHeader(header, headerSize);
}

MMRESULT RtMidiService::midiInAddBuffer(HMIDIIN handle, MIDIHDR* header, std::uint32_t headerSize) {
    std::lock_guard lock(mutex_);
    InputPort* port = inputPort(handle);
    return port == nullptr ? MMSYSERR_INVALHANDLE : port->addBuffer(header, headerSize);
}

MMRESULT RtMidiService::midiInStart(HMIDIIN handle) {
    std::lock_guard lock(mutex_);
    InputPort* port = inputPort(handle);
    return port == nullptr ? MMSYSERR_INVALHANDLE : port->start();
}

MMRESULT RtMidiService::midiInReset(HMIDIIN handle) {
    InputPort* port;
    {
        std::lock_guard lock(mutex_);
        port = inputPort(handle);
    }
    // Outside the lock: the callback runs inside reset() and may call back into the service.
    // The port stays alive, since only midiInClose on this same thread removes it.
    return port == nullptr ? MMSYSERR_INVALHANDLE : port->reset();
}

MMRESULT RtMidiService::midiInUnprepareHeader(HMIDIIN handle, MIDIHDR* header,
                                              std::uint32_t headerSize) {
    std::lock_guard lock(mutex_);
    InputPort* port = inputPort(handle);
    return port == nullptr ? MMSYSERR_INVALHANDLE : port->unprepareHeader(header, headerSize);
}

MMRESULT RtMidiService::midiInClose(HMIDIIN handle) {
    std::unique_ptr<InputPort> closing;
    {
        std::lock_guard lock(mutex_);
        auto found = std::find_if(openInputs_.begin(), openInputs_.end(),
                                  [&](const auto& port) { return port.get() == handle; });
        if (found == openInputs_.end()) return MMSYSERR_INVALHANDLE;
        if ((*found)->hasQueuedBuffers()) return MIDIERR_STILLPLAYING;
        closing = std::move(*found);
        openInputs_.erase(found);
    }
    closing->disconnect();  // no callback runs after this, so the count is final
    const std::uint64_t dropped = closing->droppedBytes();
    const bool gone = closing->gone();
    const std::uint64_t broken = closing->brokenMessages();
    const std::uint64_t gaps = closing->gaps();
    closing.reset();
    std::lock_guard lock(mutex_);
    droppedByClosedInputs_ += dropped;
    lostByClosedInputs_ += gone ? 1 : 0;
    brokenByClosedInputs_ += broken;
    gapsOfClosedInputs_ += gaps;
    return MMSYSERR_NOERROR;
}

std::uint32_t RtMidiService::midiOutGetNumDevs() {
    std::vector<Device> list = listPorts(false);
    std::lock_guard lock(mutex_);
    outputs_ = std::move(list);
    return static_cast<std::uint32_t>(outputs_.size());
}

MMRESULT RtMidiService::midiOutGetDevCapsA(std::uintptr_t deviceId, MIDIOUTCAPSA* caps,
                                           std::uint32_t capsSize) {
    if (caps == nullptr || capsSize < sizeof(MIDIOUTCAPSA)) return MMSYSERR_INVALPARAM;
    std::lock_guard lock(mutex_);
    if (deviceId >= outputs_.size()) return MMSYSERR_BADDEVICEID;
    fillCaps(*caps, outputs_[deviceId].name);
    caps->wTechnology = MOD_MIDIPORT;
    caps->wChannelMask = 0xFFFF;
    return MMSYSERR_NOERROR;
}

MMRESULT RtMidiService::midiOutOpen(HMIDIOUT* handle, std::uint32_t deviceId,
                                    std::uintptr_t /*callback*/, std::uintptr_t /*instance*/,
                                    std::uint32_t flags) {
    if (handle == nullptr) return MMSYSERR_INVALPARAM;
    if ((flags & CALLBACK_TYPEMASK) != CALLBACK_NULL) return MMSYSERR_NOTSUPPORTED;
    Device device;
    {
        std::lock_guard lock(mutex_);
        if (deviceId >= outputs_.size()) return MMSYSERR_BADDEVICEID;
        device = outputs_[deviceId];
    }
    if (device.api == Api::jack) leaveStoppedJackServer();
    MMRESULT code = MMSYSERR_NOERROR;
    try {
        auto port = std::make_unique<OutputPort>();
        if (device.api == Api::jack) {
            port->jack = JackMidiOut::open(clientName_, device.name, code);
        } else {
            int client = -1;
            int number = -1;
            if (!alsaAddress(device.name, client, number)) return MIDIERR_NODEVICE;
            port->alsa = AlsaSeqOut::open(clientName_, client, number, code);
        }
        if (code != MMSYSERR_NOERROR) return code;
        std::lock_guard lock(mutex_);
        *handle = port.get();
        openOutputs_.push_back(std::move(port));
    } catch (const std::bad_alloc&) {
        return MMSYSERR_NOMEM;
    }
    return MMSYSERR_NOERROR;
}

MMRESULT RtMidiService::midiOutPrepareHeader(HMIDIOUT handle, MIDIHDR* header,
                                             std::uint32_t headerSize) {
    std::lock_guard lock(mutex_);
    if (outputPort(handle) == nullptr) return MMSYSERR_INVALHANDLE;
    if (!validHeader(header, headerSize) ||
        (header->lpData == nullptr && header->dwBufferLength > 0)) {
        return MMSYSERR_INVALPARAM;
    }
    header->dwFlags |= MHDR_PREPARED;
    return MMSYSERR_NOERROR;
}

MMRESULT RtMidiService::midiOutLongMsg(HMIDIOUT handle, MIDIHDR* header, std::uint32_t headerSize) {
    OutputPort* port;
    {
        std::lock_guard lock(mutex_);
        port = outputPort(handle);
    }
    if (port == nullptr) return MMSYSERR_INVALHANDLE;
    if (!validHeader(header, headerSize)) return MMSYSERR_INVALPARAM;
    if (!(header->dwFlags & MHDR_PREPARED)) return MIDIERR_UNPREPARED;
    if (header->dwFlags & MHDR_INQUEUE) return MIDIERR_STILLPLAYING;
    header->dwFlags = (header->dwFlags & ~MHDR_DONE) | MHDR_INQUEUE;
    const MMRESULT code =
        port->send(reinterpret_cast<const std::uint8_t*>(header->lpData), header->dwBufferLength);
    // The bytes are in the port's own queue (or refused): the header is free either way.
    header->dwFlags = (header->dwFlags & ~MHDR_INQUEUE) | MHDR_DONE;
    return code;
}

MMRESULT RtMidiService::midiOutUnprepareHeader(HMIDIOUT handle, MIDIHDR* header,
                                               std::uint32_t headerSize) {
    std::lock_guard lock(mutex_);
    if (outputPort(handle) == nullptr) return MMSYSERR_INVALHANDLE;
    return midi::unprepareHeader(header, headerSize);
}

MMRESULT RtMidiService::midiOutClose(HMIDIOUT handle) {
    std::unique_ptr<OutputPort> closing;
    {
        std::lock_guard lock(mutex_);
        auto found = std::find_if(openOutputs_.begin(), openOutputs_.end(),
                                  [&](const auto& port) { return port.get() == handle; });
        if (found == openOutputs_.end()) return MMSYSERR_INVALHANDLE;
        closing = std::move(*found);
        openOutputs_.erase(found);
    }
    // Waits until the port's queue has gone out, and says so when it could not.
    return closing->finish();
}

}  // namespace pellum::midi
