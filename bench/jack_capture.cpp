// Capture at a JACK port's full rate: the peer instrument plays about 10 s of 1 KiB SysEx
// messages, every cycle filled as far as the port takes (32 KiB a period at 48 kHz and 1024
// frames), in events that need not line up with the messages. The input device runs with
// the window's buffers (64 of 65535 bytes) and is drained the way the window drains it.
// Reported: the rate captured, the bytes lost and the messages that arrived whole.
// Sending the other way: the output port hands the same messages on with no pause, and the rate
// is what reached the peer. Runs on jackd2, or on PipeWire's JACK with PELLUM_TEST_SERVER=pipewire
// (and its libjack first on LD_LIBRARY_PATH, as `make bench` runs it).
#include <benchmark/benchmark.h>
#include <poll.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <thread>

#include "bench/Compare.h"
#include "device/InputDevice.h"
#include "device/OutputDevice.h"
#include "platform/midi/AlsaJackService.h"
#include "platform/midi/notices/NoticePipe.h"
#include "tests/integration/JackFixture.h"
#include "tests/support/TempFiles.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

std::unique_ptr<pellum::test::TestJackServer> benchServer() {
    if (pellum::test::onPipeWire() || !pellum::test::jackServerRunning()) {
        return std::make_unique<pellum::test::TestJackServer>();
    }
    return nullptr;
}

void jackFullRateCapture(benchmark::State& state, const std::string& cut) {
    const auto server = benchServer();
    state.SetLabel(pellum::test::serverKind());
    pellum::test::JackPeer peer;
    pellum::midi::AlsaJackService service;
    pellum::midi::NoticePipe notices;
    pellum::device::InputDevice input(service, notices);
    input.setProductName(peer.outPort());
    input.setSysexBufferSize(65535);
    input.setSysexBufferCount(64);
    input.setSysexOnly(true);

    constexpr std::size_t kMessages = 15000;
    const auto stream = pellum::test::patternStream(kMessages, 1024);
    pellum::test::TempDir dir;
    pellum::test::writeBytes(dir.file("stream.syx"), stream);

    std::uint64_t captured = 0;
    std::uint64_t whole = 0;
    input.onInput = [&](pellum::device::InputDevice& in) {
        while (in.pendingCount() > 0) {
            auto event = in.takeEvent();
            if (!event) break;
            captured += event->sysexSize;
            if (event->sysexSize == 1024 && event->sysexBytes.back() == 0xF7) ++whole;
        }
    };
    input.open();
    input.start();

    double seconds = 0;
    for (auto _ : state) {
        captured = 0;
        whole = 0;
        const auto start = Clock::now();
        peer.play(dir.file("stream.syx"), cut, 0);
        bool played = false;
        auto quietUntil = Clock::now() + 5s;
        while (captured < stream.size() && Clock::now() < quietUntil) {
            pollfd ready{notices.readFd(), POLLIN, 0};
            if (::poll(&ready, 1, 10) > 0) {
                notices.dispatchPending();
                quietUntil = Clock::now() + 5s;
            }
            if (!played) played = peer.waitPlayed(0ms).has_value();
        }
        seconds = std::chrono::duration<double>(Clock::now() - start).count();
    }
    input.close();
    state.counters["MB_per_s"] = static_cast<double>(captured) / seconds / 1e6;
    state.counters["bytes_sent"] = static_cast<double>(stream.size());
    state.counters["bytes_captured"] = static_cast<double>(captured);
    state.counters["bytes_lost"] = static_cast<double>(service.droppedInputBytes());
    state.counters["whole_messages"] = static_cast<double>(whole);
}

std::size_t peerReceived(pellum::test::JackPeer& peer) {
    peer.process().writeLine("received");
    while (const auto line = peer.process().readLine(10s)) {
        if (line->rfind("RECEIVED ", 0) == 0) return std::stoul(line->substr(9));
    }
    return 0;
}

void jackSend(benchmark::State& state) {
    const auto server = benchServer();
    state.SetLabel(pellum::test::serverKind());
    pellum::test::JackPeer peer;
    peer.process().writeLine("report off");
    pellum::midi::AlsaJackService service;
    pellum::device::OutputDevice port(service);
    const auto list = port.buildOutputList();
    const auto found = std::find(list.begin(), list.end(), peer.inPort());
    if (found == list.end() || port.openOutput(static_cast<int>(found - list.begin())) != 0) {
        state.SkipWithError("the peer's input cannot be opened");
        return;
    }
    constexpr std::size_t kMessages = 15000;
    const auto message = pellum::test::patternMessage(0, 1024);
    double seconds = 0;
    std::size_t arrived = 0;
    for (auto _ : state) {
        const std::size_t before = peerReceived(peer);
        const auto start = Clock::now();
        for (std::size_t k = 0; k < kMessages; ++k) port.sendLongMessage(message);
        port.close();
        const auto quietUntil = Clock::now() + 5s;
        while ((arrived = peerReceived(peer) - before) < kMessages * message.size() &&
               Clock::now() < quietUntil) {
            std::this_thread::sleep_for(1ms);
        }
        seconds = std::chrono::duration<double>(Clock::now() - start).count();
    }
    state.counters["MB_per_s"] = static_cast<double>(arrived) / seconds / 1e6;
    state.counters["bytes_sent"] = static_cast<double>(kMessages * message.size());
    state.counters["bytes_arrived"] = static_cast<double>(arrived);
}

long residentKib(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    }
    return -1;
}

// pellum-cli receive of a dump at the port's full rate for PELLUM_BENCH_SECONDS (default 600):
// its resident memory a few seconds in and at the end, and what it lost.
void jackLongReceive(benchmark::State& state) {
    const auto server = benchServer();
    state.SetLabel(pellum::test::serverKind());
    const char* asked = std::getenv("PELLUM_BENCH_SECONDS");
    const double seconds = asked != nullptr ? std::atof(asked) : 600;
    // Full rate is 31 events of 1 KiB a cycle, 46.875 cycles a second at 48 kHz and 1024 frames.
    const auto messages = static_cast<std::size_t>(seconds * 31 * 46.875);
    pellum::test::JackPeer peer;
    pellum::test::TempDir dir;
    for (auto _ : state) {
        pellum::test::ChildProcess cli({PELLUM_CLI, "receive", dir.file("long.syx"), "--in",
                                        peer.outPort(), "--timeout", "10"},
                                       dir.file("cli.log"));
        pellum::test::waitForConnection(peer.outPort(), 20s);
        const long before = residentKib(cli.pid());
        peer.process().writeLine("flood " + std::to_string(messages) + " 1024");
        std::this_thread::sleep_for(5s);
        const long early = residentKib(cli.pid());
        long late = early;
        while (!peer.waitPlayed(1s)) late = std::max(late, residentKib(cli.pid()));
        late = std::max(late, residentKib(cli.pid()));
        const int status = cli.wait(60s);
        std::error_code error;
        const auto saved = std::filesystem::file_size(dir.file("long.syx"), error);
        state.counters["seconds"] = seconds;
        state.counters["rss_start_MB"] = static_cast<double>(early) / 1024;
        state.counters["rss_peak_after_MB"] = static_cast<double>(late) / 1024;
        state.counters["rss_idle_MB"] = static_cast<double>(before) / 1024;
        state.counters["bytes_sent"] = static_cast<double>(messages * 1024);
        state.counters["bytes_saved"] = static_cast<double>(error ? 0 : saved);
        state.counters["bytes_lost"] = static_cast<double>(messages * 1024 - (error ? 0 : saved));
        state.counters["exit_status"] = status;
        std::filesystem::remove(dir.file("long.syx"), error);
    }
}

// Listing the ports, against jack_lsp on the same server.
void jackPorts(benchmark::State& state, std::vector<std::string> command) {
    const auto server = benchServer();
    state.SetLabel(pellum::test::serverKind());
    // A server just started answers its first clients a cycle late now and then.
    pellum::bench::runToNull(state, std::move(command), 3);
}

}  // namespace

BENCHMARK_CAPTURE(jackPorts, pellum_cli, std::vector<std::string>{PELLUM_CLI, "ports"})
    ->Repetitions(11)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(jackPorts, jack_lsp, std::vector<std::string>{"jack_lsp"})
    ->Repetitions(11)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(jackLongReceive)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();
BENCHMARK(jackSend)->Iterations(1)->Unit(benchmark::kSecond)->UseRealTime();
BENCHMARK_CAPTURE(jackFullRateCapture, events_of_1024, std::string("1024"))
    ->Iterations(1)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(jackFullRateCapture, random_events_1_to_4096, std::string("random:1:4096:5"))
    ->Iterations(1)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();

int main(int argc, char** argv) {
    pellum::bench::RatioReporter reporter;
    pellum::bench::run(argc, argv, reporter);
    reporter.ratio("pellum-cli ports / jack_lsp", "jackPorts/pellum_cli", "jackPorts/jack_lsp",
                   1.3);
    return 0;
}
