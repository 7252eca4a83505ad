// A MIDI instrument for the integration tests, played by a JACK client of its own that uses
// libjack directly and nothing of Pellum. Ports NAME:in and NAME:out. It answers the Identity
// Request, reports every SysEx it receives, and emits or echoes SysEx when told to.
//
// Standard output, one line each: "READY" once the ports are up; "RECV <length> <hex>" per
// received SysEx; "EMITTED <count>" once an emit command has left the port; "MISSED" when its
// own process was held up and cycles went by without it (what came then is lost); "OVERFLOW" when
// incoming bytes found no room.
// Standard input, one command a line: "emit N SIZE" (N SysEx of SIZE bytes, message k being
// F0 7D k/128 k%128, then (k + i) % 128 for each byte i after those four, then F7);
// "echo on" / "echo off"; "report off" (no RECV lines, for a test that does not read them);
// "play FILE CUT [DELAY_MS [VANISH_AT]]": after the delay, plays the bytes of FILE at the port's
// full rate (every cycle filled as far as it takes), in events of CUT bytes
// ("random:MIN:MAX:SEED" for random sizes), cut wherever that falls, message boundaries or not;
// then "PLAYED <bytes>". With VANISH_AT, it stops after that many bytes and the peer dies there
// without closing its client;
// "answer N SIZE": answers the next SysEx it receives, other than the Identity Request, as an
// instrument answers a dump request: with N messages of SIZE bytes of the emit pattern;
// "spaced SIZE MS...": pattern messages of SIZE bytes, one event each, the first a third into the
// next cycle and each next one MS milliseconds after the one before (rounded to frames), then
// "SPACED <rate> <frame>..." with the frame each went at;
// "flood COUNT SIZE": COUNT pattern messages of SIZE bytes made as they go, at the port's full
// rate in 1 KiB events (for dumps too big to hold), then "PLAYED <bytes>";
// "received": "RECEIVED <bytes>", every byte its input has taken so far;
// "cycles": "CYCLES <largest> <events>", the most bytes its input took in one cycle and the
// largest number of events;
// "quit". It also ends when its standard input closes.
// "jack_peer NAME physical" marks its input port as physical, as a MIDI interface's port is.
// What it writes in one cycle stays within what every JACK server carries (PipeWire's included).
// "jack_peer --probe" only tells, by its exit status, whether a server answers.
#include <jack/jack.h>
#include <jack/midiport.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/midi/SpscByteRing.h"
#include "platform/midi/jack/JackCycleBudget.h"
#include "tests/support/PatternMessage.h"
#include "tests/support/TempFiles.h"

namespace {

using pellum::test::patternByte;
using pellum::test::patternMessage;
using Bytes = std::vector<std::uint8_t>;

// The product's own ring: records are written whole; read() consumes what it copies.
class Ring : public pellum::midi::SpscByteRing {
public:
    using SpscByteRing::SpscByteRing;
    void read(void* out, std::size_t count) noexcept {
        peek(out, count);
        consume(count);
    }
};

struct Peer {
    jack_client_t* client = nullptr;
    jack_port_t* in = nullptr;
    jack_port_t* out = nullptr;
    Ring incoming{4 << 20};
    Ring outgoing{1 << 20};  // records: 4-byte length, then the message
    Ring starts{1 << 16};    // the frame at which each F0 arrived, 4 bytes each
    std::atomic<bool> overflow{false};
    std::atomic<bool> missed{false};
    jack_nframes_t nextFrame = 0;  // process thread only
    bool cycled = false;           // process thread only
    std::size_t leftOfMessage = 0;  // process thread only
    // A stream being played: set up by the main thread before `playing` is raised; the process
    // thread lowers it when the last byte has gone.
    Bytes playBytes;
    std::vector<std::uint32_t> playCuts;
    std::atomic<bool> playing{false};
    std::size_t playAt = 0;   // process thread only
    std::size_t playCut = 0;  // process thread only
    // A flood: set up before `flooding` is raised; the process thread lowers it at the end.
    std::size_t floodCount = 0;
    std::size_t floodSize = 0;
    std::atomic<bool> flooding{false};
    std::size_t floodAt = 0;  // bytes of the flood written, process thread only
    pellum::midi::JackCycleBudget budget;  // process thread only
    // Spaced messages: set up before `spacing` is raised; the process thread lowers it.
    std::vector<Bytes> spacedMessages;
    std::vector<jack_nframes_t> spacedFrames;  // from the first; made absolute when it goes
    std::atomic<bool> spacing{false};
    std::size_t spacedAt = 0;  // process thread only
    jack_nframes_t spacedBase = 0;
    std::atomic<std::size_t> mostBytesInCycle{0};
    std::atomic<std::size_t> bytesReceived{0};
    std::atomic<std::size_t> mostEventsInCycle{0};
};

// Fills this cycle's buffer with as much of the stream as it takes.
void playEvents(Peer& peer, void* buffer) {
    while (peer.playAt < peer.playBytes.size()) {
        // Events as big as the cut asks, as long as the server carries the cycle.
        const std::size_t room = peer.budget.room(jack_midi_max_event_size(buffer), SIZE_MAX);
        const std::size_t want =
            std::min<std::size_t>(peer.playCuts[peer.playCut % peer.playCuts.size()],
                                  peer.playBytes.size() - peer.playAt);
        const std::size_t size = std::min(room, want);
        if (size == 0) return;
        jack_midi_data_t* event = jack_midi_event_reserve(buffer, 0, size);
        if (event == nullptr) return;
        std::memcpy(event, peer.playBytes.data() + peer.playAt, size);
        peer.budget.take(size);
        peer.playAt += size;
        if (size == want) ++peer.playCut;
    }
    peer.playing.store(false, std::memory_order_release);
}

void floodEvents(Peer& peer, void* buffer) {
    const std::size_t total = peer.floodCount * peer.floodSize;
    while (peer.floodAt < total) {
        const std::size_t size =
            std::min(peer.budget.room(jack_midi_max_event_size(buffer)), total - peer.floodAt);
        if (size == 0) return;
        jack_midi_data_t* event = jack_midi_event_reserve(buffer, 0, size);
        if (event == nullptr) return;
        // The pattern made as it goes, without a table.
        for (std::size_t i = 0, at = peer.floodAt; i < size; ++i, ++at) {
            event[i] = patternByte(at / peer.floodSize, at % peer.floodSize, peer.floodSize);
        }
        peer.budget.take(size);
        peer.floodAt += size;
    }
    peer.flooding.store(false, std::memory_order_release);
}

// Each spaced message at its frame, in the cycle that holds it.
void spaceEvents(Peer& peer, void* buffer, jack_nframes_t start, jack_nframes_t frames) {
    if (peer.spacedAt == 0 && peer.spacedBase == 0) peer.spacedBase = start + frames / 3;
    while (peer.spacedAt < peer.spacedMessages.size()) {
        const jack_nframes_t at = peer.spacedBase + peer.spacedFrames[peer.spacedAt];
        if (at - start >= frames) return;
        const Bytes& message = peer.spacedMessages[peer.spacedAt];
        jack_midi_data_t* event = jack_midi_event_reserve(buffer, at - start, message.size());
        if (event == nullptr) return;
        std::memcpy(event, message.data(), message.size());
        peer.spacedFrames[peer.spacedAt++] = at;
    }
    peer.spacing.store(false, std::memory_order_release);
}

int process(jack_nframes_t frames, void* arg) {
    Peer& peer = *static_cast<Peer*>(arg);
    const jack_nframes_t start = jack_last_frame_time(peer.client);
    if (peer.cycled && start != peer.nextFrame) peer.missed = true;
    peer.nextFrame = start + frames;
    peer.cycled = true;
    void* inBuffer = jack_port_get_buffer(peer.in, frames);
    const std::uint32_t events = jack_midi_get_event_count(inBuffer);
    std::size_t bytes = 0;
    for (std::uint32_t i = 0; i < events; ++i) {
        jack_midi_event_t event;
        if (jack_midi_event_get(&event, inBuffer, i) != 0) continue;
        bytes += event.size;
        // Each F0's frame before the bytes: the reader that sees an F0 finds its frame there.
        const jack_nframes_t at = start + event.time;
        for (std::size_t b = 0; b < event.size; ++b) {
            if (event.buffer[b] == 0xF0 &&
                !peer.starts.write(reinterpret_cast<const std::uint8_t*>(&at), sizeof at))
                peer.overflow = true;
        }
        if (!peer.incoming.write(event.buffer, event.size)) peer.overflow = true;
    }
    peer.bytesReceived.fetch_add(bytes);
    if (bytes > peer.mostBytesInCycle.load()) peer.mostBytesInCycle.store(bytes);
    if (events > peer.mostEventsInCycle.load()) peer.mostEventsInCycle.store(events);
    void* outBuffer = jack_port_get_buffer(peer.out, frames);
    jack_midi_clear_buffer(outBuffer);
    peer.budget.reset();
    if (peer.playing.load(std::memory_order_acquire)) {
        playEvents(peer, outBuffer);
        return 0;
    }
    if (peer.flooding.load(std::memory_order_acquire)) {
        floodEvents(peer, outBuffer);
        return 0;
    }
    if (peer.spacing.load(std::memory_order_acquire)) {
        spaceEvents(peer, outBuffer, start, frames);
        return 0;
    }
    for (;;) {
        if (peer.leftOfMessage == 0) {
            if (peer.outgoing.readable() < 4) break;
            std::uint32_t length = 0;
            peer.outgoing.read(reinterpret_cast<std::uint8_t*>(&length), 4);
            peer.leftOfMessage = length;
        }
        const std::size_t room = peer.budget.room(jack_midi_max_event_size(outBuffer));
        const std::size_t size = std::min(room, peer.leftOfMessage);
        if (size == 0) break;
        jack_midi_data_t* event = jack_midi_event_reserve(outBuffer, 0, size);
        if (event == nullptr) break;
        peer.budget.take(size);
        peer.outgoing.read(event, size);
        peer.leftOfMessage -= size;
    }
    return 0;
}

void queue(Peer& peer, const Bytes& message) {
    std::uint8_t record[4];
    const auto length = static_cast<std::uint32_t>(message.size());
    std::memcpy(record, &length, 4);
    Bytes all(record, record + 4);
    all.insert(all.end(), message.begin(), message.end());
    while (!peer.outgoing.write(all.data(), all.size())) {
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
}

std::string hex(const Bytes& bytes) {
    static const char digits[] = "0123456789ABCDEF";
    std::string text;
    text.reserve(bytes.size() * 2);
    for (std::uint8_t b : bytes) {
        text += digits[b >> 4];
        text += digits[b & 15];
    }
    return text;
}

void waitUntilSent(Peer& peer) {
    while (peer.outgoing.readable() > 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

bool preparePlay(Peer& peer, const std::string& path, const std::string& cut) {
    peer.playBytes = pellum::test::readBytes(path);
    if (peer.playBytes.empty()) return false;
    peer.playCuts.clear();
    unsigned min = 0;
    unsigned max = 0;
    unsigned seed = 0;
    if (std::sscanf(cut.c_str(), "random:%u:%u:%u", &min, &max, &seed) == 3 && min > 0 &&
        min <= max) {
        std::mt19937 random(seed);
        std::uniform_int_distribution<std::uint32_t> size(min, max);
        for (std::size_t total = 0; total < peer.playBytes.size(); total += peer.playCuts.back()) {
            peer.playCuts.push_back(size(random));
        }
    } else {
        const unsigned long fixed = std::strtoul(cut.c_str(), nullptr, 10);
        if (fixed == 0) return false;
        peer.playCuts.push_back(static_cast<std::uint32_t>(fixed));
    }
    peer.playAt = 0;
    peer.playCut = 0;
    return true;
}

void quiet(const char*) {}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1 && std::strcmp(argv[1], "--probe") == 0) {
        // Exit status 0 when a server answers under JACK_DEFAULT_SERVER.
        jack_set_error_function(&quiet);
        jack_set_info_function(&quiet);
        jack_status_t status{};
        jack_client_t* probe = jack_client_open("pellum-test-probe", JackNoStartServer, &status);
        if (probe != nullptr) jack_client_close(probe);
        return probe != nullptr ? 0 : 1;
    }
    const char* name = argc > 1 ? argv[1] : "pellum-peer";
    Peer peer;
    jack_status_t status{};
    peer.client = jack_client_open(
        name, static_cast<jack_options_t>(JackNoStartServer | JackUseExactName), &status);
    if (peer.client == nullptr) {
        std::fprintf(stderr, "jack_peer: cannot open client %s (status 0x%x)\n", name, status);
        return 1;
    }
    const bool physical = argc > 2 && std::strcmp(argv[2], "physical") == 0;
    peer.in = jack_port_register(peer.client, "in", JACK_DEFAULT_MIDI_TYPE,
                                 JackPortIsInput | (physical ? JackPortIsPhysical : 0), 0);
    peer.out = jack_port_register(peer.client, "out", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
    jack_set_process_callback(peer.client, process, &peer);
    if (peer.in == nullptr || peer.out == nullptr || jack_activate(peer.client) != 0) {
        std::fprintf(stderr, "jack_peer: cannot set up ports\n");
        return 1;
    }
    std::setvbuf(stdout, nullptr, _IOLBF, 0);
    std::puts("READY");

    bool echo = false;
    bool report = true;
    std::size_t answerCount = 0;
    std::size_t answerSize = 0;
    Bytes message;
    bool inMessage = false;
    jack_nframes_t messageAt = 0;  // the frame at which `message` began
    std::string line;
    for (;;) {
        pollfd input{STDIN_FILENO, POLLIN, 0};
        if (::poll(&input, 1, 1) > 0) {
            char chunk[256];
            const ssize_t got = ::read(STDIN_FILENO, chunk, sizeof chunk);
            if (got <= 0) break;
            line.append(chunk, static_cast<std::size_t>(got));
            for (std::size_t end; (end = line.find('\n')) != std::string::npos;) {
                std::istringstream command(line.substr(0, end));
                line.erase(0, end + 1);
                std::string verb;
                command >> verb;
                if (verb == "quit") {
                    waitUntilSent(peer);
                    jack_client_close(peer.client);
                    return 0;
                } else if (verb == "echo" || verb == "report") {
                    std::string mode;
                    command >> mode;
                    (verb == "echo" ? echo : report) = mode == "on";
                } else if (verb == "play") {
                    std::string path;
                    std::string cut;
                    int delayMs = 0;
                    std::size_t vanishAt = 0;
                    command >> path >> cut >> delayMs >> vanishAt;
                    if (!preparePlay(peer, path, cut)) {
                        std::puts("PLAY FAILED");
                        continue;
                    }
                    if (vanishAt > 0 && vanishAt < peer.playBytes.size()) {
                        peer.playBytes.resize(vanishAt);
                    }
                    std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
                    peer.playing.store(true, std::memory_order_release);
                    while (peer.playing.load(std::memory_order_acquire)) {
                        std::this_thread::sleep_for(std::chrono::milliseconds(1));
                    }
                    std::printf("PLAYED %zu\n", peer.playAt);
                    if (vanishAt > 0) {
                        // Gone without a word, as a crashed program or a pulled cable: the
                        // client is never closed. The last events get two cycles to leave.
                        std::this_thread::sleep_for(std::chrono::milliseconds(60));
                        std::fflush(stdout);
                        ::_exit(0);
                    }
                } else if (verb == "flood") {
                    command >> peer.floodCount >> peer.floodSize;
                    peer.floodAt = 0;
                    peer.flooding.store(peer.floodSize >= 5, std::memory_order_release);
                    while (peer.flooding.load(std::memory_order_acquire)) {
                        std::this_thread::sleep_for(std::chrono::milliseconds(10));
                    }
                    std::printf("PLAYED %zu\n", peer.floodAt);
                } else if (verb == "spaced") {
                    std::size_t size = 0;
                    command >> size;
                    const jack_nframes_t rate = jack_get_sample_rate(peer.client);
                    peer.spacedMessages.assign(1, patternMessage(0, size));
                    peer.spacedFrames.assign(1, 0);
                    for (double ms = 0; command >> ms;) {
                        peer.spacedFrames.push_back(peer.spacedFrames.back() +
                                                    static_cast<jack_nframes_t>(ms * rate / 1000 + 0.5));
                        peer.spacedMessages.push_back(patternMessage(peer.spacedMessages.size(), size));
                    }
                    peer.spacedAt = 0;
                    peer.spacedBase = 0;
                    peer.spacing.store(true, std::memory_order_release);
                    while (peer.spacing.load(std::memory_order_acquire))
                        std::this_thread::sleep_for(std::chrono::milliseconds(1));
                    std::printf("SPACED %u", rate);
                    for (const jack_nframes_t frame : peer.spacedFrames) std::printf(" %u", frame);
                    std::printf("\n");
                } else if (verb == "received") {
                    std::printf("RECEIVED %zu\n", peer.bytesReceived.load());
                } else if (verb == "cycles") {
                    std::printf("CYCLES %zu %zu\n", peer.mostBytesInCycle.load(),
                                peer.mostEventsInCycle.load());
                } else if (verb == "answer") {
                    command >> answerCount >> answerSize;
                } else if (verb == "emit") {
                    std::size_t count = 0;
                    std::size_t size = 0;
                    command >> count >> size;
                    for (std::size_t k = 0; k < count; ++k) queue(peer, patternMessage(k, size));
                    waitUntilSent(peer);
                    std::printf("EMITTED %zu\n", count);
                }
            }
        }
        if (peer.overflow.exchange(false)) std::puts("OVERFLOW");
        if (peer.missed.exchange(false)) std::puts("MISSED");
        while (peer.incoming.readable() > 0) {
            std::uint8_t byte;
            peer.incoming.read(&byte, 1);
            if (byte == 0xF0) {
                message.assign(1, byte);
                inMessage = true;
                if (peer.starts.readable() >= sizeof messageAt)
                    peer.starts.read(reinterpret_cast<std::uint8_t*>(&messageAt), sizeof messageAt);
            } else if (inMessage) {
                message.push_back(byte);
                if (byte == 0xF7) {
                    inMessage = false;
                    if (report) {
                        std::printf("RECV %zu %s %u %u %u\n", message.size(), hex(message).c_str(),
                                    messageAt, jack_get_sample_rate(peer.client),
                                    jack_get_buffer_size(peer.client));
                    }
                    if (message.size() == 6 && message[1] == 0x7E && message[3] == 0x06 &&
                        message[4] == 0x01) {
                        queue(peer, {0xF0, 0x7E, 0x7F, 0x06, 0x02, 0x7D, 0x12, 0x34, 0x56, 0x01,
                                     0x02, 0x03, 0x04, 0x05, 0xF7});
                    } else if (answerCount > 0) {
                        for (std::size_t k = 0; k < answerCount; ++k)
                            queue(peer, patternMessage(k, answerSize));
                        answerCount = 0;
                    } else if (echo) {
                        queue(peer, message);
                    }
                }
            }
        }
    }
    jack_client_close(peer.client);
    return 0;
}
