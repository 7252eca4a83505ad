// What the tests over a real JACK server share: the server itself (started on a private name
// when none runs, and stopped afterwards) and the peer instrument; child processes
// (tests/support/ChildProcess.h) and the peer's message pattern come with it.
#pragma once

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/ChildProcess.h"
#include "tests/support/PatternMessage.h"

namespace pellum::test {

// True when a JACK server answers under the current JACK_DEFAULT_SERVER.
bool jackServerRunning();

// Which server the JACK tests run on: jackd2, or PipeWire's JACK when PELLUM_TEST_SERVER is
// "pipewire" (the test program then runs with PipeWire's libjack, as pw-jack runs programs).
bool onPipeWire();
// "jackd2" or "PipeWire", for failure messages.
const char* serverKind();

// A dummy-driver JACK server for tests, named from a small pool ("pellum-test-0" to "-3") so that
// the registry entry a killed server leaves behind is reclaimed by the next server of that name.
// A name is held with a lock file while its server lives. When jackd refuses to start and no
// jackd runs at all, the stale shared registry is cleared and jackd tried once more. Starting
// sets JACK_DEFAULT_SERVER; a failure throws with jackd's own last lines.
// On PipeWire it is a headless pipewire in a private runtime folder named after the pool name,
// which XDG_RUNTIME_DIR then points at for this process and its children.
class TestJackServer {
public:
    TestJackServer();
    ~TestJackServer();
    TestJackServer(const TestJackServer&) = delete;
    TestJackServer& operator=(const TestJackServer&) = delete;
    const std::string& name() const { return name_; }

private:
    bool tryStartPipeWire(std::string& why);
    // launchServer() logging to log_; false, with its last lines in `why`, when it failed.
    bool launch(const std::vector<std::string>& argv, const std::function<bool()>& up,
                std::string& why);

    std::string name_;
    int lock_ = -1;
    std::string log_;
    std::unique_ptr<ChildProcess> process_;
};

// A dummy-driver jackd named `name`, as the tests run it.
std::vector<std::string> jackdCommand(const std::string& name);
// Starts `argv`, its output in `log` and `log`.err, and waits until `up`; nothing when it ended
// or `limit` passed first.
std::unique_ptr<ChildProcess> launchServer(const std::vector<std::string>& argv,
                                           const std::string& log, const std::function<bool()>& up,
                                           std::chrono::seconds limit);

// Whether any process called jackd runs on this machine.
bool anyJackdRunning();

// Connects (or disconnects) two ports by their full names, as a patchbay does.
bool jackConnect(const std::string& from, const std::string& to, bool connect);

// The full names of the ports connected to `port`, asked of the server.
std::vector<std::string> jackConnections(const std::string& port);

// The peer instrument: its program, started with a client name of its own, ready to play.
class JackPeer {
public:
    // `mode` "physical" marks its input as a physical port (a MIDI interface's); `name`, that of
    // an instrument coming back, or a new one.
    explicit JackPeer(const std::string& mode = {}, const std::string& name = {});
    const std::string& name() const { return name_; }
    std::string inPort() const { return name_ + ":in"; }
    std::string outPort() const { return name_ + ":out"; }
    ChildProcess& process() { return process_; }
    // Plays `file` at the port's full rate in events of `cut` bytes (see the peer's "play"),
    // starting after `delayMs`; waitPlayed() says how many bytes went out, or nothing.
    void play(const std::string& file, const std::string& cut, int delayMs,
              std::size_t vanishAt = 0);
    std::optional<std::size_t> waitPlayed(std::chrono::milliseconds limit);
    // Sends the pattern's messages of `size` bytes, one event each, `gapsMs` apart at frames the
    // server counts (see the peer's "spaced"); returns each one's gap from the first in seconds,
    // as the frames say, once they are out, or nothing.
    std::optional<std::vector<double>> spaced(std::size_t size, const std::vector<double>& gapsMs);
    // The bytes of the next "RECV" report, or nothing when none came within `limit`.
    std::optional<std::vector<std::uint8_t>> nextReceived(std::chrono::milliseconds limit);

    // The most bytes and events it received in one cycle so far, or nothing when it did not say.
    struct Busiest { std::size_t bytes = 0, events = 0; };
    std::optional<Busiest> busiestCycle();

    // How often the peer said its own process was held up (the machine too busy for it), so
    // that input then lost was lost at its end, not Pellum's.
    int missedCycles() const { return missedCycles_; }

    // The server's frame time of the last received message's F0, its sample rate and period.
    struct Arrival { std::uint32_t frame = 0, rate = 0, period = 0; };
    const Arrival& lastArrival() const { return lastArrival_; }

    // The reply it gives to the Identity Request.
    static const std::vector<std::uint8_t> kIdentityReply;

private:
    std::string name_;
    ChildProcess process_;
    int missedCycles_ = 0;
    Arrival lastArrival_;
};

// Watches the server while it lives: a cycle run late (an xrun) or gone by without the watch (the
// frame time jumped) counts as the server held up, the machine too busy for it. Held up, a server
// drops what full-rate ports carry before any client sees it, so a test program that failed with
// the server held up proves nothing of Pellum: it runs again, up to five times in all, and the
// last run's result stands. Declared by the tests at the full rate.
class ServerWatch {
public:
    ServerWatch();
    ~ServerWatch();
    ServerWatch(const ServerWatch&) = delete;
    ServerWatch& operator=(const ServerWatch&) = delete;

private:
    struct Client;
    std::unique_ptr<Client> client_;
};

// A receiver under test said it fell behind `times` times: cycles of its own went by, the machine
// too busy for it as for a held-up server, and the run proves as little.
void receiverHeldUp(std::uint64_t times);
// What a receiving pellum-cli wrote to `errorFile`; counted as above when it says it fell behind.
std::string receiverSaid(const std::string& errorFile);

// The peer's next `count` messages are the test pattern of `size` bytes, each beginning at
// least `ms` after the one before. A message leaves at a cycle's start, so a gap may look up to
// one period shorter than the wait between the sends.
void expectPacedArrivals(JackPeer& peer, std::size_t count, std::size_t size, double ms);
// When the pattern's messages `which` of `size` bytes began to arrive at the peer, in seconds of
// its frames, in that order; a message that does not come whole is a failure, and ends the list.
std::vector<double> arrivalSeconds(JackPeer& peer, const std::vector<std::size_t>& which,
                                   std::size_t size);
// Each gap between neighbours of `got` is the one of `want` within `within` seconds.
void expectSameGaps(const std::vector<double>& got, const std::vector<double>& want, double within,
                    const std::string& what);
// The server's period in seconds, as the peer last reported it.
inline double periodSeconds(const JackPeer& peer) {
    return double(peer.lastArrival().period) / peer.lastArrival().rate;
}
// The same for the pattern's messages `which`, in that order.
void expectPacedArrivals(JackPeer& peer, const std::vector<std::size_t>& which, std::size_t size,
                         double ms);

// Waits until something is connected to `port`; false when `limit` passed first.
bool waitForConnection(const std::string& port, std::chrono::milliseconds limit);

}  // namespace pellum::test
