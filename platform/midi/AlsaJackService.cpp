// The system's MIDI: device lists read from the ALSA sequencer and JACK, input through AlsaSeqIn
// and JackMidiIn, output through JackMidiOut and AlsaSeqOut, all under one client name per
// process so our own ports can be left out.
#include "platform/midi/AlsaJackService.h"

#include <alsa/asoundlib.h>
#include <jack/jack.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <new>
#include <utility>

#include "platform/midi/AlsaJackServicePorts.h"

namespace pellum::midi {

namespace {

void quietAlsa(const char*, int, const char*, int, const char*, ...) {}
void quietJack(const char*) {}

// The lists name ports as RtMidi, which made them before, did, so that earlier settings and
// scripts still find them: "client:port client-number:port-number" on ALSA, in full on JACK.
std::string alsaPortName(snd_seq_client_info_t* client, snd_seq_port_info_t* port) {
    return std::string(snd_seq_client_info_get_name(client)) + ":" +
           snd_seq_port_info_get_name(port) + " " +
           std::to_string(snd_seq_port_info_get_client(port)) + ":" +
           std::to_string(snd_seq_port_info_get_port(port));
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

// One client on each system, kept for reading the port lists: a list costs a query, not a
// client. The JACK one is opened again when the server went away and another came.
struct AlsaJackService::Probes {
    Probes(const std::string& name, bool follow) : clientName(name), followServer(follow) {
        snd_lib_error_set_handler(&quietAlsa);
        // Without the sequencer's device there is nothing to open, and alsa-lib would read its
        // whole configuration to find that out.
        if (::access("/dev/snd/seq", F_OK) != 0 ||
            snd_seq_open(&seq, "default", SND_SEQ_OPEN_DUPLEX, SND_SEQ_NONBLOCK) < 0) {
            seq = nullptr;
        } else {
            snd_seq_set_client_name(seq, clientName.c_str());
        }
        snd_lib_error_set_handler(nullptr);
    }
    ~Probes() {
        closeJack();
        if (seq != nullptr) snd_seq_close(seq);
    }
    Probes(const Probes&) = delete;
    Probes& operator=(const Probes&) = delete;

    // The JACK client, opened if there is none or the server shut the last one out.
    jack_client_t* jackClient() {
        if (jackStopped()) closeJack();
        if (jack == nullptr) {
            // Quiet while asking: no server is an answer, not an error to print.
            jack_set_error_function(&quietJack);
            jack_set_info_function(&quietJack);
            jack_status_t status{};
            jack = jack_client_open(clientName.c_str(), JackNoStartServer, &status);
            jack_set_error_function(nullptr);
            jack_set_info_function(nullptr);
            jackGone.store(false, std::memory_order_release);
            // Active, so that the server's going away is heard and the next list asks anew.
            if (jack != nullptr && followServer) {
                jack_on_shutdown(jack, &Probes::serverGone, this);
                if (jack_activate(jack) != 0) {
                    jack_client_close(jack);
                    jack = nullptr;
                }
            }
        }
        return jack;
    }
    static void serverGone(void* self) noexcept {
        static_cast<Probes*>(self)->jackGone.store(true, std::memory_order_release);
    }
    bool jackStopped() const { return jack != nullptr && jackGone.load(std::memory_order_acquire); }
    // The client of a stopped server is left to libjack (see keepAfterServerStopped); its
    // shutdown callback has been called, the only one it has.
    void closeJack() {
        if (jack == nullptr) return;
        if (!jackStopped()) jack_client_close(jack);
        jack = nullptr;
    }

    const std::string clientName;
    const bool followServer;
    snd_seq_t* seq = nullptr;
    jack_client_t* jack = nullptr;
    std::atomic<bool> jackGone{false};
};

AlsaJackService::AlsaJackService(bool followServer)
    : clientName_("Pellum-" + std::to_string(::getpid())),
      probes_(std::make_unique<Probes>(clientName_, followServer)) {
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
    if (!probes_->jackStopped()) return;
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
    probes_->closeJack();
}

std::vector<AlsaJackService::Device> AlsaJackService::listPorts(bool inputs) {
    std::vector<Device> list;
    alsaUp_ = probes_->seq != nullptr;
    if (alsaUp_) {
        // Ports we can read from are inputs to us, ports we can write to outputs.
        const unsigned wanted = inputs ? SND_SEQ_PORT_CAP_READ | SND_SEQ_PORT_CAP_SUBS_READ
                                       : SND_SEQ_PORT_CAP_WRITE | SND_SEQ_PORT_CAP_SUBS_WRITE;
        snd_seq_client_info_t* client = nullptr;
        snd_seq_client_info_alloca(&client);
        snd_seq_port_info_t* port = nullptr;
        snd_seq_port_info_alloca(&port);
        snd_seq_client_info_set_client(client, -1);
        while (snd_seq_query_next_client(probes_->seq, client) >= 0) {
            snd_seq_port_info_set_client(port, snd_seq_client_info_get_client(client));
            snd_seq_port_info_set_port(port, -1);
            while (snd_seq_query_next_port(probes_->seq, port) >= 0) {
                // MIDI ports only: the system's timer and announcements are none.
                const unsigned type = snd_seq_port_info_get_type(port);
                const unsigned caps = snd_seq_port_info_get_capability(port);
                if ((type & (SND_SEQ_PORT_TYPE_MIDI_GENERIC | SND_SEQ_PORT_TYPE_SYNTH |
                             SND_SEQ_PORT_TYPE_APPLICATION)) == 0 ||
                    (caps & wanted) != wanted || (caps & SND_SEQ_PORT_CAP_NO_EXPORT) != 0) {
                    continue;
                }
                std::string name = alsaPortName(client, port);
                if (!isOwnPort(name)) list.push_back({Api::alsa, std::move(name)});
            }
        }
    }
    leaveStoppedJackServer();
    jack_client_t* jack = probes_->jackClient();
    jackUp_ = jack != nullptr;
    if (jackUp_) {
        const char** ports = jack_get_ports(jack, nullptr, JACK_DEFAULT_MIDI_TYPE,
                                            inputs ? JackPortIsOutput : JackPortIsInput);
        for (const char** name = ports; name != nullptr && *name != nullptr; ++name) {
            if (!isOwnPort(*name)) list.push_back({Api::jack, *name});
        }
        jack_free(ports);
    }
    return list;
}

// JACK renames a second client of the same name "<name>-01", and so on.
bool AlsaJackService::isOwnPort(const std::string& name) const {
    if (name.compare(0, clientName_.size(), clientName_) != 0) return false;
    const char next = name.size() > clientName_.size() ? name[clientName_.size()] : ':';
    return next == ':' || next == '-';
}

AlsaJackService::InputPort* AlsaJackService::inputPort(HMIDIIN handle) const {
    for (const auto& port : openInputs_) {
        if (port.get() == handle) return port.get();
    }
    return nullptr;
}

AlsaJackService::OutputPort* AlsaJackService::outputPort(HMIDIOUT handle) const {
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
    return sumInputs(droppedByClosedInputs_, [](const InputPort& p) { return p.droppedBytes(); });
}

std::uint64_t AlsaJackService::brokenInputMessages() const {
    return sumInputs(brokenByClosedInputs_, [](const InputPort& p) { return p.brokenMessages(); });
}

std::uint64_t AlsaJackService::inputGaps() const {
    return sumInputs(gapsOfClosedInputs_, [](const InputPort& p) { return p.gaps(); });
}

std::uint64_t AlsaJackService::possibleInputGaps() const {
    return sumInputs(possibleGapsOfClosedInputs_,
                     [](const InputPort& p) { return p.possibleGaps(); });
}

std::uint64_t AlsaJackService::lostInputDevices() const {
    return sumInputs(lostByClosedInputs_,
                     [](const InputPort& p) { return std::uint64_t{p.gone() ? 1u : 0u}; });
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

MMRESULT AlsaJackService::midiInPrepareHeader(HMIDIIN handle, MIDIHDR* header,
                                              std::uint32_t headerSize) {
    std::lock_guard lock(mutex_);
    InputPort* port = inputPort(handle);
    return port == nullptr ? MMSYSERR_INVALHANDLE : port->prepareHeader(header, headerSize);
}

MMRESULT AlsaJackService::midiInAddBuffer(HMIDIIN handle, MIDIHDR* header,
                                          std::uint32_t headerSize) {
    std::lock_guard lock(mutex_);
    InputPort* port = inputPort(handle);
    return port == nullptr ? MMSYSERR_INVALHANDLE : port->addBuffer(header, headerSize);
}

MMRESULT AlsaJackService::midiInStart(HMIDIIN handle) {
    std::lock_guard lock(mutex_);
    InputPort* port = inputPort(handle);
    return port == nullptr ? MMSYSERR_INVALHANDLE : port->start();
}

MMRESULT AlsaJackService::midiInReset(HMIDIIN handle) {
    InputPort* port;
    {
        std::lock_guard lock(mutex_);
        port = inputPort(handle);
    }
    // Outside the lock: the callback runs inside reset() and may call back into the service.
    // The port stays alive, since only midiInClose on this same thread removes it.
    return port == nullptr ? MMSYSERR_INVALHANDLE : port->reset();
}

MMRESULT AlsaJackService::midiInUnprepareHeader(HMIDIIN handle, MIDIHDR* header,
                                                std::uint32_t headerSize) {
    std::lock_guard lock(mutex_);
    InputPort* port = inputPort(handle);
    return port == nullptr ? MMSYSERR_INVALHANDLE : port->unprepareHeader(header, headerSize);
}

MMRESULT AlsaJackService::midiInClose(HMIDIIN handle) {
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

MMRESULT AlsaJackService::midiOutPrepareHeader(HMIDIOUT handle, MIDIHDR* header,
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

MMRESULT AlsaJackService::midiOutLongMsg(HMIDIOUT handle, MIDIHDR* header,
                                         std::uint32_t headerSize) {
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

MMRESULT AlsaJackService::midiOutUnprepareHeader(HMIDIOUT handle, MIDIHDR* header,
                                                 std::uint32_t headerSize) {
    std::lock_guard lock(mutex_);
    if (outputPort(handle) == nullptr) return MMSYSERR_INVALHANDLE;
    return midi::unprepareHeader(header, headerSize);
}

MMRESULT AlsaJackService::midiOutClose(HMIDIOUT handle) {
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
