// Capture and auto-send through the real main window over the loopback MIDI service:
// - capture: 9999 SysEx messages of 1 KiB from the instrument into the store and the list, and
//   the same bytes merely copied out of the input device, to show what filing costs;
// - pacing: an auto-send run of 1000 messages, each wait measured against the one computed
//   (floor(length / 256) + 1 ms), reported as the median and the extremes of (actual - computed);
// - opening: the 60 MiB file of 9999 messages into the list and its view, shown and painted,
//   against `pellum-cli list` of the same file (goal: at most 3 x);
// - editing: half of that list moved, deleted and both undone.
#include <benchmark/benchmark.h>

#include <QAction>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRadioButton>
#include <QTimer>
#include <QToolButton>
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "app/ListBox.h"
#include "app/MainWindow.h"
#include "app/PellumApplication.h"
#include "bench/Compare.h"
#include "core/files/LoadedMessages.h"
#include "device/InputDevice.h"
#include "platform/NoticeWindow.h"
#include "platform/registry/RegFile.h"
#include "tests/app/WindowControls.h"
#include "tests/support/loopback/LoopbackMidi.h"

namespace {

using pellum::ui;

using pellum::RegistryValue;
using Bytes = std::vector<std::uint8_t>;

constexpr int kCaptured = pellum::LoadedMessages::kCapacity;
constexpr std::size_t kMessageSize = 1024;
// The input device queues 16 buffers; an instrument sends no faster than they come back.
constexpr int kBurst = 16;

Bytes message(int i) {
    Bytes m(kMessageSize, static_cast<std::uint8_t>(i & 0x7F));
    m[0] = 0xF0;
    m[1] = 0x41;
    m[2] = 0x10;
    m.back() = 0xF7;
    return m;
}

struct Rig {
    Rig()
        : folder(std::filesystem::temp_directory_path() / "pellum-bench-capture"),
          registry(folder / "Pellum.reg") {
        std::filesystem::remove_all(folder);
        in = midi.addInput("Bench In");
        out = midi.addOutput("Bench Out");
        auto key = registry.openOrCreateKey(pellum::MainWindow::kRegistryKey);
        key->write("MIDI_IN", RegistryValue::binary({1}));
        key->write("MIDI_OUT", RegistryValue::binary({1}));
        form = std::make_unique<pellum::MainWindow>(dialogs, midi, notices, registry);
    }
    ~Rig() {
        form.reset();
        std::filesystem::remove_all(folder);
    }

    void receiveAll(int count) {
        for (int i = 0; i < count; i += kBurst) {
            for (int j = i; j < std::min(count, i + kBurst); ++j) midi.inject(in, message(j));
            midi.flush(in);
            QCoreApplication::processEvents();
        }
    }

    struct Silent : pellum::Dialogs {
        std::optional<QString> openFile(const pellum::FileDialogSpec&) override { return {}; }
        std::optional<QString> saveFile(const pellum::FileDialogSpec&) override { return {}; }
        void message(const QString&) override {}
        Unsaved askUnsaved(const QString&) override { return Unsaved::discard; }
        void error(const QString&) override {}
    } dialogs;
    std::filesystem::path folder;
    pellum::midi::LoopbackMidi midi;
    pellum::NoticeWindow notices;
    pellum::RegFileRegistry registry;
    std::unique_ptr<pellum::MainWindow> form;
    std::uint32_t in = 0;
    std::uint32_t out = 0;
};

// Built at first use, torn down before the application object goes.
std::unique_ptr<Rig> gRig;
Rig& rig() {
    if (!gRig) gRig = std::make_unique<Rig>();
    return *gRig;
}

void BM_CaptureIntoStoreAndList(benchmark::State& state) {
    Rig& r = rig();
    for (auto _ : state) {
        state.PauseTiming();
        r.form->clearList();
        state.ResumeTiming();
        r.receiveAll(kCaptured);
        if (r.form->list().count() != kCaptured) state.SkipWithError("messages were lost");
    }
    state.SetItemsProcessed(state.iterations() * kCaptured);
    state.SetBytesProcessed(state.iterations() * kCaptured * static_cast<int64_t>(kMessageSize));
}
BENCHMARK(BM_CaptureIntoStoreAndList)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same road with the window's handler replaced by one that only takes and copies each event.
void BM_CaptureCopyOnly(benchmark::State& state) {
    Rig& r = rig();
    auto saved = r.form->inputDevice->onInput;
    std::vector<Bytes> copies;
    copies.reserve(kCaptured);
    r.form->inputDevice->onInput = [&copies](pellum::device::InputDevice& input) {
        while (input.pendingCount() > 0) {
            const auto event = input.takeEvent();
            copies.emplace_back(event->sysexBytes.begin(), event->sysexBytes.end());
        }
    };
    for (auto _ : state) {
        copies.clear();
        r.receiveAll(kCaptured);
        if (copies.size() != static_cast<std::size_t>(kCaptured))
            state.SkipWithError("messages were lost");
    }
    r.form->inputDevice->onInput = saved;
    state.SetItemsProcessed(state.iterations() * kCaptured);
    state.SetBytesProcessed(state.iterations() * kCaptured * static_cast<int64_t>(kMessageSize));
}
BENCHMARK(BM_CaptureCopyOnly)->Unit(benchmark::kMillisecond)->UseRealTime();

// One auto-send run of 1000 messages ("Auto" pacing, sizes 100..2000 bytes so the waits vary
// from 1 to 8 ms), every wait measured.
void BM_AutoSendPacing(benchmark::State& state) {
    Rig& r = rig();
    constexpr int kRun = 1000;
    const std::filesystem::path run =
        std::filesystem::temp_directory_path() / "pellum-bench-run.syx";
    {
        std::ofstream out(run, std::ios::binary);
        for (int i = 0; i < kRun; ++i) {
            Bytes m(100 + (i * 37) % 1900, 0x11);
            m[0] = 0xF0;
            m[1] = 0x43;
            m.back() = 0xF7;
            out.write(reinterpret_cast<const char*>(m.data()),
                      static_cast<std::streamsize>(m.size()));
        }
    }
    std::vector<double> late;
    for (auto _ : state) {
        r.form->openSyxFile(QString::fromStdString(run.string()));
        ui(*r.form).autoSpeed->setChecked(true);
        const std::size_t sentBefore = r.midi.sentMessages(r.out).size();
        std::size_t sent = sentBefore;
        auto last = std::chrono::steady_clock::now();
        int computed = 0;
        bool first = true;
        auto conn = QObject::connect(ui(*r.form).sendTimer, &QTimer::timeout, [&] {
            const auto now = std::chrono::steady_clock::now();
            const std::size_t total = r.midi.sentMessages(r.out).size();
            if (total == sent) return;  // a tick that only waited longer
            sent = total;
            if (!first)
                late.push_back(std::chrono::duration<double, std::milli>(now - last).count() -
                               computed);
            first = false;
            last = now;
            computed = ui(*r.form).sendTimer->interval();
        });
        ui(*r.form).messageList->setCurrentRow(-1);
        r.form->startSendingAll();
        while (ui(*r.form).sendTimer->isActive())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        QObject::disconnect(conn);
        if (sent - sentBefore != kRun) state.SkipWithError("not every message was sent");
    }
    std::sort(late.begin(), late.end());
    state.counters["late_median_ms"] = late.empty() ? 0 : late[late.size() / 2];
    state.counters["late_min_ms"] = late.empty() ? 0 : late.front();
    state.counters["late_max_ms"] = late.empty() ? 0 : late.back();
    state.counters["waits"] = static_cast<double>(late.size());
    std::filesystem::remove(run);
}
BENCHMARK(BM_AutoSendPacing)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);

long residentKib() {
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmRSS:", 0) == 0) return std::stol(line.substr(6));
    }
    return -1;
}

// The window's resident memory around the largest file it opens (9999 messages of 65,535 bytes,
// 655 MB): fresh, after loading it, after loading it again, after New, and after a small file.
void BM_WindowMemoryAroundTheLargestFile(benchmark::State& state) {
    const std::filesystem::path big =
        std::filesystem::temp_directory_path() / "pellum-bench-big.syx";
    const std::filesystem::path small =
        std::filesystem::temp_directory_path() / "pellum-bench-small.syx";
    {
        std::ofstream out(big, std::ios::binary);
        Bytes m(pellum::LoadedMessages::kMaxMessageBytes, 0x11);
        m.front() = 0xF0;
        m.back() = 0xF7;
        for (int i = 0; i < pellum::LoadedMessages::kCapacity; ++i) {
            out.write(reinterpret_cast<const char*>(m.data()),
                      static_cast<std::streamsize>(m.size()));
        }
        std::ofstream(small, std::ios::binary).write("\xF0\x41\x10\xF7", 4);
    }
    Rig& r = rig();
    for (auto _ : state) {
        state.counters["fresh_MB"] = residentKib() / 1024.0;
        r.form->openSyxFile(QString::fromStdString(big.string()));
        state.counters["after_load_MB"] = residentKib() / 1024.0;
        r.form->openSyxFile(QString::fromStdString(big.string()));
        state.counters["after_second_load_MB"] = residentKib() / 1024.0;
        ui(*r.form).newAction->trigger();
        state.counters["after_new_MB"] = residentKib() / 1024.0;
        r.form->openSyxFile(QString::fromStdString(big.string()));
        r.form->openSyxFile(QString::fromStdString(small.string()));
        state.counters["after_small_load_MB"] = residentKib() / 1024.0;
        state.counters["file_MB"] = std::filesystem::file_size(big) / 1048576.0;
    }
    std::filesystem::remove(big);
    std::filesystem::remove(small);
}
BENCHMARK(BM_WindowMemoryAroundTheLargestFile)->Unit(benchmark::kSecond)->Iterations(1);

// 9999 messages of 6 KiB, random data bytes, four makers: the load benchmark's file.
const std::string& bigListFile() {
    static const std::string path = [] {
        const auto p = std::filesystem::temp_directory_path() / "pellum-bench-list-view.syx";
        std::ofstream out(p, std::ios::binary);
        std::mt19937 random(42);
        Bytes m(6 * 1024);
        for (int i = 0; i < kCaptured; ++i) {
            m.front() = 0xF0;
            m[1] = static_cast<std::uint8_t>(0x41 + i % 4);
            for (std::size_t j = 2; j + 1 < m.size(); ++j) m[j] = random() & 0x7F;
            m.back() = 0xF7;
            out.write(reinterpret_cast<const char*>(m.data()),
                      static_cast<std::streamsize>(m.size()));
        }
        return p.string();
    }();
    return path;
}

void BM_OpenIntoListView(benchmark::State& state) {
    Rig& r = rig();
    r.form->show();
    const QString file = QString::fromStdString(bigListFile());
    for (auto _ : state) {
        r.form->openSyxFile(file);
        // Laid out and painted as the user then sees it.
        ui(*r.form).messageList->viewport()->repaint();
        QCoreApplication::processEvents();
        if (ui(*r.form).messageList->count() != kCaptured) state.SkipWithError("lines are missing");
    }
    r.form->hide();
}
BENCHMARK(BM_OpenIntoListView)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(11);

// The heaviest edits of that list through the window and its view: every other line dragged to
// the end and then deleted, and both steps undone.
void BM_MoveDeleteAndUndoHalfOfTheList(benchmark::State& state) {
    Rig& r = rig();
    r.form->show();
    r.form->openSyxFile(QString::fromStdString(bigListFile()));
    std::vector<int> everyOther;
    for (int row = 0; row < kCaptured; row += 2) everyOther.push_back(row);
    for (auto _ : state) {
        r.form->dropLines(everyOther, kCaptured);
        r.form->deleteLines();
        r.form->undoStep();
        r.form->undoStep();
        QCoreApplication::processEvents();
    }
    if (r.form->list().count() != kCaptured || r.form->list().line(1).number != 2)
        state.SkipWithError("the list did not come back as it was");
    r.form->hide();
}
BENCHMARK(BM_MoveDeleteAndUndoHalfOfTheList)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);

void BM_CliListOfTheSameFile(benchmark::State& state) {
    pellum::bench::runToNull(state, {PELLUM_CLI, "list", bigListFile()});
}
BENCHMARK(BM_CliListOfTheSameFile)->Unit(benchmark::kMillisecond)->UseRealTime()->Repetitions(11);

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    pellum::PellumApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    pellum::bench::RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    reporter.ratio("open into the list view / pellum-cli list", "BM_OpenIntoListView",
                   "BM_CliListOfTheSameFile", 3.0);
    gRig.reset();
    std::filesystem::remove(bigListFile());
    return 0;
}
