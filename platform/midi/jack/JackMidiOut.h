// One output port of our own on the JACK server, connected to one destination port. It queues
// whole messages, never dropping what does not fit the queue or the cycle, and lets the process
// callback split them into events over as many cycles as they need, within what every JACK
// implementation carries per cycle, and at the cable's rate when a MIDI interface is behind the
// destination.
#pragma once

#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/midi/MidiApi.h"
#include "platform/midi/SpscByteRing.h"
#include "platform/midi/jack/JackClient.h"
#include "platform/midi/jack/JackCycleBudget.h"
#include "platform/midi/jack/JackLibrary.h"

namespace pellum::midi {

class JackMidiOut;
using JackMidiOutHandle = std::unique_ptr<JackMidiOut, JackPortDeleter<JackMidiOut>>;

class JackMidiOut {
public:
    // Opens a client, registers one MIDI output port and connects it to `destination` (the
    // full port name). Returns nullptr and sets `code` when any step fails.
    static JackMidiOutHandle open(const std::string& clientName, const std::string& destination,
                                  MMRESULT& code);
    // Hands on everything queued (as long as the server keeps running) before closing.
    ~JackMidiOut();
    // The name the server gave our client: the one asked for, or that with a suffix.
    std::string clientName() const { return jack_get_client_name(client_); }
    JackMidiOut(const JackMidiOut&) = delete;
    JackMidiOut& operator=(const JackMidiOut&) = delete;

    // Queues the whole message or nothing, waiting while the queue is full. Fails when the
    // message can never fit the queue, when the server stops taking data, or when the
    // destination is no longer connected (it went, or someone cut the connection).
    MMRESULT send(const std::uint8_t* bytes, std::size_t count);
    // Waits until every queued byte has left the port; kMidiServerStopped when the server went
    // away or stopped running first, kMidiDestinationGone when the destination went while
    // bytes were still queued for it: some were never delivered.
    MMRESULT flush();
    // Without waiting: MIDIERR_STILLPLAYING while queued bytes have not been written into a
    // cycle yet, else what flush would return once they had.
    MMRESULT pending();

    // The largest message send() accepts.
    std::size_t maxMessage() const { return ring_.capacity() - sizeof(std::uint32_t); }

    // For JackPortDeleter: the server went away, and nothing of ours runs in a callback.
    bool serverStopped() const { return serverGone_.load(std::memory_order_acquire); }
    void quietCallbacks() noexcept {}

private:
    JackMidiOut();
    static int process(jack_nframes_t frames, void* self) noexcept;
    static void shutdown(void* self) noexcept;
    void writeEvents(void* buffer, jack_nframes_t frames) noexcept;
    // Sleeps while `done` is false and cycles keep running (and, when `watchDestination`, the
    // destination stays connected); the failure once they did not.
    template <typename Done>
    MMRESULT waitWhileCycling(Done done, bool watchDestination);
    // One look from the sending thread: the failure once cycles stopped for kStallLimit, the
    // server went or (when watched) the destination left.
    MMRESULT stillCycling(bool watchDestination);
    bool destinationConnected() const;
    // Holds writing back until a fresh connection carries data: the first events written right
    // after jack_connect are lost now and then on PipeWire.
    void settleConnection(const std::string& destination);

    jack_client_t* client_ = nullptr;
    jack_port_t* port_ = nullptr;
    std::string destination_;
    SpscByteRing ring_;
    // The destination is a port with a MIDI cable behind it, fed at the cable's rate.
    bool paced_ = false;
    double cableBytesPerFrame_ = 0;
    // Process-thread state: what is left of the message being written and whether it is a
    // SysEx, which may be cut into several events (other messages go whole); this cycle's
    // budget; the bytes the cable has room for.
    std::size_t remaining_ = 0;
    bool remainingWhole_ = false;  // the message goes as one event
    JackCycleBudget budget_;
    double cableCredit_ = 0;
    std::atomic<std::uint64_t> cycles_{0};
    std::atomic<std::uint64_t> writeFromCycle_{UINT64_MAX};
    std::atomic<bool> serverGone_{false};
    // Why a send or flush failed; later sends fail at once with it.
    MMRESULT failure_ = MMSYSERR_NOERROR;
    // The sending thread's last look at the cycles, for stillCycling.
    std::uint64_t lastCycle_ = 0;
    std::chrono::steady_clock::time_point lastProgress_{};
};

}  // namespace pellum::midi
