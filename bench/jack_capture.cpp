// Capture at a JACK port's full rate: the peer instrument plays about 10 s of 1 KiB SysEx
// messages, every cycle filled as far as the port takes (32 KiB a period at 48 kHz and 1024
// frames), in events that need not line up with the messages. The input component runs with
// the window's buffers (64 of 65535 bytes) and is drained the way the window drains it.
// Reported: the rate captured, the bytes lost and the messages that arrived whole.
#include <benchmark/benchmark.h>
#include <poll.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>

#include "midi/MidiIn.h"
#include "platform/midi/NoticePipe.h"
#include "platform/midi/RtMidiService.h"
#include "tests/integration/JackFixture.h"
#include "tests/support/TempFiles.h"

namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

void jackFullRateCapture(benchmark::State& state, const std::string& cut) {
    std::unique_ptr<pellum::test::TestJackServer> server;
    if (!pellum::test::jackServerRunning()) {
        server = std::make_unique<pellum::test::TestJackServer>();
    }
    pellum::test::JackPeer peer;
    pellum::midi::RtMidiService service;
    pellum::midi::NoticePipe notices;
    pellum::TMidiInput input(service, notices);
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
    input.OnMidiInput = [&](pellum::TMidiInput& in) {
        while (in.PendingCount() > 0) {
            auto event = in.TakeEvent();
            if (!event) break;
            captured += event->sysexSize;
            if (event->sysexSize == 1024 && event->sysexBytes.back() == 0xF7) ++whole;
        }
    };
    input.OpenDevice();
    input.StartDevice();

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
    input.CloseDevice();
    state.counters["MB_per_s"] = static_cast<double>(captured) / seconds / 1e6;
    state.counters["bytes_sent"] = static_cast<double>(stream.size());
    state.counters["bytes_captured"] = static_cast<double>(captured);
    state.counters["bytes_lost"] = static_cast<double>(service.droppedInputBytes());
    state.counters["whole_messages"] = static_cast<double>(whole);
}

}  // namespace

BENCHMARK_CAPTURE(jackFullRateCapture, events_of_1024, std::string("1024"))
    ->Iterations(1)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();
BENCHMARK_CAPTURE(jackFullRateCapture, random_events_1_to_4096, std::string("random:1:4096:5"))
    ->Iterations(1)
    ->Unit(benchmark::kSecond)
    ->UseRealTime();

BENCHMARK_MAIN();
