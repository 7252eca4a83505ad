// The open devices of AlsaJackService: an input over ALSA or JACK feeding the emulated driver
// through a pump, and an output to either. Only AlsaJackService.cpp includes this.
#pragma once

#include <memory>
#include <string>

#include "platform/midi/AlsaJackService.h"
#include "platform/midi/alsa/AlsaPortList.h"
#include "platform/midi/alsa/AlsaSeqIn.h"
#include "platform/midi/alsa/AlsaSeqOut.h"
#include "platform/midi/input/EmulatedMidiIn.h"
#include "platform/midi/input/InputPump.h"
#include "platform/midi/jack/JackMidiIn.h"
#include "platform/midi/jack/JackMidiOut.h"

namespace pellum::midi {

class AlsaJackService::OpenInput final : public EmulatedMidiIn {
public:
    OpenInput(MidiInProc callback, std::uintptr_t instance)
        : EmulatedMidiIn(callback, instance), pump_(*this) {}

    ~OpenInput() override { disconnect(); }

    // No transport callback runs once its client is gone, so the pump can stop after it.
    void disconnect() {
        // Asked before the client goes; a source that went has told it already.
        const bool neverServed = jack_ && !jack_->gone() && jack_->neverServed();
        jack_.reset();
        alsa_.reset();
        pump_.stop();
        if (neverServed) lose(0, Gap::Certain);
        if (opened_) announce(MIM_CLOSE);
        opened_ = false;
    }

    // Said only once the pump has handed on all that came before the end.
    bool gone() const { return pump_.transportEnded(); }

    // Our client's name on JACK, or its number on ALSA: our own port is never listed.
    std::string jackClientName() const { return jack_ ? jack_->clientName() : std::string(); }
    int alsaClientId() const { return alsa_ ? alsa_->clientId() : -1; }

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
    JackMidiInHandle jack_;
    std::unique_ptr<AlsaSeqIn> alsa_;
    bool opened_ = false;
};

class AlsaJackService::OpenOutput final : public MidiOutPort {
public:
    JackMidiOutHandle jack;
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
    // ALSA's send returns once its bytes are with the receiver; JACK's process callback writes
    // them later.
    MMRESULT pending() {
        if (jackStopped) return kMidiServerStopped;
        return jack ? jack->pending() : MMSYSERR_NOERROR;
    }
    std::string jackClientName() const { return jack ? jack->clientName() : std::string(); }
    int alsaClientId() const { return alsa ? alsa->clientId() : -1; }
    // Its JACK server stopped: the dead client goes before another opens.
    void releaseJack() {
        if (jack) jackStopped = true;
        jack.reset();
    }
    bool jackStopped = false;
};

}  // namespace pellum::midi
