// The system's MIDI: device lists from the ALSA sequencer and JACK (alsa/, jack/), input through
// AlsaSeqIn and JackMidiIn, output through JackMidiOut and AlsaSeqOut, all under one client name
// per process so our own ports can be left out.
#include "platform/midi/AlsaJackService.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <set>
#include <utility>

#include "platform/midi/AlsaJackServicePorts.h"
#include "platform/midi/MidiHeaders.h"
#include "platform/midi/alsa/AlsaPortList.h"
#include "platform/midi/jack/JackPortList.h"

namespace pellum::midi {

namespace {

// The same on every start, so that a patchbay finds our ports again; the server adds its suffix
// ("-01") only while another program's client holds the name.
constexpr const char* kClientName = "Pellum";
constexpr const char* kInputClientName = "Pellum in";
constexpr const char* kOutputClientName = "Pellum out";

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

AlsaJackService::AlsaJackService(bool followServer)
    : alsaList_(std::make_unique<AlsaPortList>(kClientName)),
      jackList_(std::make_unique<JackPortList>(kClientName, followServer)) {
    // A command asks for the lists itself, once; reading them here too would double its work.
    if (!followServer) return;
    inputs_ = listPorts(true);
    outputs_ = listPorts(false);
}

AlsaJackService::~AlsaJackService() {
    openInputs_.clear();
    openOutputs_.clear();
}

void AlsaJackService::leaveStoppedJackServer() {
    if (!jackList_->serverStopped()) return;
    std::vector<OpenInput*> inputs;
    std::vector<OpenOutput*> outputs;
    {
        std::lock_guard lock(mutex_);
        for (const auto& port : openInputs_) inputs.push_back(port.get());
        for (const auto& port : openOutputs_) outputs.push_back(port.get());
    }
    // Outside the lock, as at a close; only this thread removes ports, so they stay alive.
    for (OpenInput* port : inputs) port->releaseJack();
    for (OpenOutput* port : outputs) port->releaseJack();
    jackList_->close();
}

std::vector<AlsaJackService::Device> AlsaJackService::listPorts(bool inputs) {
    // Our own ports are those of the clients our open devices hold, by the names and numbers
    // the systems gave them: another program's clients of the same name are listed.
    std::set<std::string> ownJack;
    std::set<int> ownAlsa;
    {
        std::lock_guard lock(mutex_);
        const auto note = [&](const auto& port) {
            if (std::string name = port->jackClientName(); !name.empty()) ownJack.insert(name);
            if (const int id = port->alsaClientId(); id >= 0) ownAlsa.insert(id);
        };
        for (const auto& port : openInputs_) note(port);
        for (const auto& port : openOutputs_) note(port);
    }
    std::vector<Device> list;
    alsaUp_ = alsaList_->available();
    for (std::string& name : alsaList_->ports(inputs)) {
        int client = -1;
        int port = -1;
        if (!alsaAddress(name, client, port) || ownAlsa.count(client) == 0)
            list.push_back({Api::alsa, std::move(name)});
    }
    leaveStoppedJackServer();
    for (std::string& name : jackList_->ports(inputs, jackUp_)) {
        if (ownJack.count(name.substr(0, name.find(':'))) == 0)
            list.push_back({Api::jack, std::move(name)});
    }
    return list;
}

std::string AlsaJackService::whyNoDevices() const {
    // Says of each API what is true of it: a JACK server may well run without MIDI ports.
    return std::string(alsaUp_ ? "none on the ALSA sequencer" : "no ALSA sequencer") + ", " +
           (jackUp_ ? "none on the running JACK server" : "no JACK server running");
}

AlsaJackService::OpenInput* AlsaJackService::openInput(HMIDIIN handle) const {
    for (const auto& port : openInputs_) {
        if (port.get() == handle) return port.get();
    }
    return nullptr;
}

AlsaJackService::OpenOutput* AlsaJackService::openOutput(HMIDIOUT handle) const {
    for (const auto& port : openOutputs_) {
        if (port.get() == handle) return port.get();
    }
    return nullptr;
}

template <typename Count>
std::uint64_t AlsaJackService::sumInputs(std::uint64_t closed, Count count) const {
    std::lock_guard lock(mutex_);
    std::uint64_t total = closed;
    for (const auto& port : openInputs_) total += count(*port);
    return total;
}

std::uint64_t AlsaJackService::droppedInputBytes() const {
    return sumInputs(droppedByClosedInputs_, [](const OpenInput& p) { return p.droppedBytes(); });
}

std::uint64_t AlsaJackService::brokenInputMessages() const {
    return sumInputs(brokenByClosedInputs_, [](const OpenInput& p) { return p.brokenMessages(); });
}

std::uint64_t AlsaJackService::inputGaps() const {
    return sumInputs(gapsOfClosedInputs_, [](const OpenInput& p) { return p.gaps(); });
}

std::uint64_t AlsaJackService::possibleInputGaps() const {
    return sumInputs(possibleGapsOfClosedInputs_,
                     [](const OpenInput& p) { return p.possibleGaps(); });
}

std::uint64_t AlsaJackService::lostInputDevices() const {
    return sumInputs(lostByClosedInputs_,
                     [](const OpenInput& p) { return std::uint64_t{p.gone() ? 1u : 0u}; });
}

std::string AlsaJackService::midiInDeviceName(std::uint32_t deviceId) {
    std::lock_guard lock(mutex_);
    return deviceId < inputs_.size() ? inputs_[deviceId].name : std::string();
}

std::string AlsaJackService::midiOutDeviceName(std::uint32_t deviceId) {
    std::lock_guard lock(mutex_);
    return deviceId < outputs_.size() ? outputs_[deviceId].name : std::string();
}

std::uint32_t AlsaJackService::midiInGetNumDevs() {
    std::vector<Device> list = listPorts(true);
    std::lock_guard lock(mutex_);
    inputs_ = std::move(list);
    return static_cast<std::uint32_t>(inputs_.size());
}

MMRESULT AlsaJackService::midiInGetDevCapsA(std::uintptr_t deviceId, MIDIINCAPSA* caps,
                                            std::uint32_t capsSize) {
    if (caps == nullptr || capsSize < sizeof(MIDIINCAPSA)) return MMSYSERR_INVALPARAM;
    std::lock_guard lock(mutex_);
    if (deviceId >= inputs_.size()) return MMSYSERR_BADDEVICEID;
    fillCaps(*caps, inputs_[deviceId].name);
    return MMSYSERR_NOERROR;
}

MMRESULT AlsaJackService::midiInOpen(HMIDIIN* handle, std::uint32_t deviceId, MidiInProc callback,
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
            std::make_unique<OpenInput>(type == CALLBACK_FUNCTION ? callback : nullptr, instance);
        if (MMRESULT code = port->connect(device.api == Api::jack, kInputClientName, device.name)) {
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

MMRESULT AlsaJackService::midiInPrepareHeader(HMIDIIN handle, MIDIHDR* header,
                                              std::uint32_t headerSize) {
    std::lock_guard lock(mutex_);
    OpenInput* port = openInput(handle);
    return port == nullptr ? MMSYSERR_INVALHANDLE : port->prepareHeader(header, headerSize);
}

MMRESULT AlsaJackService::midiInAddBuffer(HMIDIIN handle, MIDIHDR* header,
                                          std::uint32_t headerSize) {
    std::lock_guard lock(mutex_);
    OpenInput* port = openInput(handle);
    return port == nullptr ? MMSYSERR_INVALHANDLE : port->addBuffer(header, headerSize);
}

MMRESULT AlsaJackService::midiInStart(HMIDIIN handle) {
    std::lock_guard lock(mutex_);
    OpenInput* port = openInput(handle);
    return port == nullptr ? MMSYSERR_INVALHANDLE : port->start();
}

MMRESULT AlsaJackService::midiInReset(HMIDIIN handle) {
    OpenInput* port;
    {
        std::lock_guard lock(mutex_);
        port = openInput(handle);
    }
    // Outside the lock: the callback runs inside reset() and may call back into the service.
    // The port stays alive, since only midiInClose on this same thread removes it.
    return port == nullptr ? MMSYSERR_INVALHANDLE : port->reset();
}

MMRESULT AlsaJackService::midiInUnprepareHeader(HMIDIIN handle, MIDIHDR* header,
                                                std::uint32_t headerSize) {
    std::lock_guard lock(mutex_);
    OpenInput* port = openInput(handle);
    return port == nullptr ? MMSYSERR_INVALHANDLE : port->unprepareHeader(header, headerSize);
}

MMRESULT AlsaJackService::midiInClose(HMIDIIN handle) {
    std::unique_ptr<OpenInput> closing;
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
    const std::uint64_t possibleGaps = closing->possibleGaps();
    closing.reset();
    std::lock_guard lock(mutex_);
    droppedByClosedInputs_ += dropped;
    lostByClosedInputs_ += gone ? 1 : 0;
    brokenByClosedInputs_ += broken;
    gapsOfClosedInputs_ += gaps;
    possibleGapsOfClosedInputs_ += possibleGaps;
    return MMSYSERR_NOERROR;
}

std::uint32_t AlsaJackService::midiOutGetNumDevs() {
    std::vector<Device> list = listPorts(false);
    std::lock_guard lock(mutex_);
    outputs_ = std::move(list);
    return static_cast<std::uint32_t>(outputs_.size());
}

MMRESULT AlsaJackService::midiOutGetDevCapsA(std::uintptr_t deviceId, MIDIOUTCAPSA* caps,
                                             std::uint32_t capsSize) {
    if (caps == nullptr || capsSize < sizeof(MIDIOUTCAPSA)) return MMSYSERR_INVALPARAM;
    std::lock_guard lock(mutex_);
    if (deviceId >= outputs_.size()) return MMSYSERR_BADDEVICEID;
    fillCaps(*caps, outputs_[deviceId].name);
    caps->wTechnology = MOD_MIDIPORT;
    caps->wChannelMask = 0xFFFF;
    return MMSYSERR_NOERROR;
}

MMRESULT AlsaJackService::midiOutOpen(HMIDIOUT* handle, std::uint32_t deviceId,
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
        auto port = std::make_unique<OpenOutput>();
        if (device.api == Api::jack) {
            port->jack = JackMidiOut::open(kOutputClientName, device.name, code);
        } else {
            int client = -1;
            int number = -1;
            if (!alsaAddress(device.name, client, number)) return MIDIERR_NODEVICE;
            port->alsa = AlsaSeqOut::open(kOutputClientName, client, number, code);
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

MMRESULT AlsaJackService::midiOutPrepareHeader(HMIDIOUT handle, MIDIHDR* header,
                                               std::uint32_t headerSize) {
    std::lock_guard lock(mutex_);
    if (openOutput(handle) == nullptr) return MMSYSERR_INVALHANDLE;
    return prepareHeader(header, headerSize, HeaderUse::output);
}

MMRESULT AlsaJackService::midiOutLongMsg(HMIDIOUT handle, MIDIHDR* header,
                                         std::uint32_t headerSize) {
    OpenOutput* port;
    {
        std::lock_guard lock(mutex_);
        port = openOutput(handle);
        if (port == nullptr) return MMSYSERR_INVALHANDLE;
        if (MMRESULT code = queueHeader(header, headerSize, HeaderUse::output)) return code;
    }
    const MMRESULT code =
        port->send(reinterpret_cast<const std::uint8_t*>(header->lpData), header->dwBufferLength);
    // The bytes are in the port's own queue (or refused): the header is free either way.
    returnHeader(header);
    return code;
}

MMRESULT AlsaJackService::midiOutUnprepareHeader(HMIDIOUT handle, MIDIHDR* header,
                                                 std::uint32_t headerSize) {
    std::lock_guard lock(mutex_);
    if (openOutput(handle) == nullptr) return MMSYSERR_INVALHANDLE;
    return unprepareHeader(header, headerSize);
}

MMRESULT AlsaJackService::midiOutPending(HMIDIOUT handle) {
    std::lock_guard lock(mutex_);
    OpenOutput* port = openOutput(handle);
    if (port == nullptr) return MMSYSERR_INVALHANDLE;
    return port->pending();
}

MMRESULT AlsaJackService::midiOutClose(HMIDIOUT handle) {
    std::unique_ptr<OpenOutput> closing;
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
