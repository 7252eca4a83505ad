// .syx loading speed: a 9999-message, 6 KiB-a-message file (about 60 MiB) read and scanned
// into the store with its list labels, against a bare memchr scan for F0/F7 over the same
// bytes in the same run, which is as fast as finding the messages can be; and `pellum-cli list`
// of the file against `cat` of it. The run ends with both ratios.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <memory>
#include <random>
#include <string>
#include <vector>

#include "core/CaptureStore.h"
#include "core/ListLabel.h"
#include "core/SyxFile.h"

namespace {

constexpr int kMessages = 9999;
constexpr std::size_t kMessageSize = 6 * 1024;

const std::vector<std::uint8_t>& fileBytes() {
    static const std::vector<std::uint8_t> bytes = [] {
        std::vector<std::uint8_t> b;
        b.reserve(kMessages * kMessageSize);
        std::mt19937 random(42);
        for (int i = 0; i < kMessages; ++i) {
            b.push_back(0xF0);
            b.push_back(0x41 + i % 4);
            for (std::size_t j = 2; j + 1 < kMessageSize; ++j) b.push_back(random() & 0x7F);
            b.push_back(0xF7);
        }
        return b;
    }();
    return bytes;
}

const std::string& filePath() {
    static const std::string path = [] {
        const std::string p =
            (std::filesystem::temp_directory_path() / "pellum-bench-syx_io.syx").string();
        pellum::writeFileAtomically(p, fileBytes());
        return p;
    }();
    return path;
}

void setBytes(benchmark::State& state) {
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * fileBytes().size()));
}

// The floor: find every F0 and the F7 after it, touching nothing else.
void BM_MemchrScan(benchmark::State& state) {
    const auto& bytes = fileBytes();
    for (auto _ : state) {
        const std::uint8_t* p = bytes.data();
        const std::uint8_t* end = p + bytes.size();
        int messages = 0;
        while (p < end) {
            auto* start = static_cast<const std::uint8_t*>(std::memchr(p, 0xF0, end - p));
            if (!start) break;
            auto* close = static_cast<const std::uint8_t*>(std::memchr(start, 0xF7, end - start));
            ++messages;
            p = close ? close + 1 : end;
        }
        benchmark::DoNotOptimize(messages);
    }
    setBytes(state);
}
BENCHMARK(BM_MemchrScan)->Unit(benchmark::kMillisecond);

// The other floor: only reading the file (from the page cache) in the loader's chunk size.
void BM_ReadFileOnly(benchmark::State& state) {
    const std::string& path = filePath();
    std::vector<std::uint8_t> chunk(1 << 20);
    for (auto _ : state) {
        std::FILE* file = std::fopen(path.c_str(), "rb");
        std::size_t total = 0;
        for (std::size_t got; (got = std::fread(chunk.data(), 1, chunk.size(), file)) > 0;)
            total += got;
        std::fclose(file);
        benchmark::DoNotOptimize(total);
    }
    setBytes(state);
}
BENCHMARK(BM_ReadFileOnly)->Unit(benchmark::kMillisecond);

// The reader over bytes already in memory, into the store.
void BM_ReaderInMemory(benchmark::State& state) {
    const auto& bytes = fileBytes();
    pellum::CaptureStore store;
    for (auto _ : state) {
        const auto result = pellum::loadSyx(bytes, store);
        benchmark::DoNotOptimize(result.count);
    }
    setBytes(state);
}
BENCHMARK(BM_ReaderInMemory)->Unit(benchmark::kMillisecond);

// What "Open" does: read the file, fill the store, build every label.
void BM_WholeLoadWithLabels(benchmark::State& state) {
    const std::string& path = filePath();
    pellum::CaptureStore store;
    for (auto _ : state) {
        const auto result = pellum::loadSyxFile(path, store);
        auto labels = pellum::loadedLabels(store);
        benchmark::DoNotOptimize(result.count);
        benchmark::DoNotOptimize(labels.data());
    }
    setBytes(state);
}
BENCHMARK(BM_WholeLoadWithLabels)->Unit(benchmark::kMillisecond);

// The same into a fresh store each time, as the first load after start-up.
void BM_WholeLoadIntoFreshStore(benchmark::State& state) {
    const std::string& path = filePath();
    for (auto _ : state) {
        auto store = std::make_unique<pellum::CaptureStore>();
        const auto result = pellum::loadSyxFile(path, *store);
        auto labels = pellum::loadedLabels(*store);
        benchmark::DoNotOptimize(result.count);
        benchmark::DoNotOptimize(labels.data());
    }
    setBytes(state);
}
BENCHMARK(BM_WholeLoadIntoFreshStore)->Unit(benchmark::kMillisecond);

// A program's whole run, its output thrown away.
void runToNull(benchmark::State& state, std::vector<std::string> command) {
    std::vector<char*> argv;
    for (std::string& word : command) argv.push_back(word.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    for (auto _ : state) {
        pid_t child = -1;
        int status = 0;
        if (::posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ) != 0 ||
            ::waitpid(child, &status, 0) != child || status != 0)
            state.SkipWithError("the command failed");
    }
    posix_spawn_file_actions_destroy(&actions);
    setBytes(state);
}

void BM_CliList(benchmark::State& state) {
    runToNull(state, {PELLUM_CLI, "list", filePath()});
}
BENCHMARK(BM_CliList)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Cat(benchmark::State& state) {
    runToNull(state, {"cat", filePath()});
}
BENCHMARK(BM_Cat)->Unit(benchmark::kMillisecond)->UseRealTime();

// Shows the usual table and keeps each benchmark's best time (over repetitions) for the ratios.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred || run.run_type != Run::RT_Iteration) continue;
            const auto [at, added] =
                seconds.emplace(run.run_name.function_name, run.GetAdjustedRealTime());
            if (!added) at->second = std::min(at->second, run.GetAdjustedRealTime());
        }
    }
    void ratio(const char* what, const std::string& slow, const std::string& fast, double goal) {
        if (!seconds.contains(slow) || !seconds.contains(fast)) return;
        std::printf("%s: %.2f x (goal <= %.1f x)\n", what, seconds[slow] / seconds[fast], goal);
    }
    std::map<std::string, double> seconds;
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    reporter.ratio("load with labels / memchr scan", "BM_WholeLoadWithLabels", "BM_MemchrScan",
                   1.5);
    reporter.ratio("pellum-cli list / cat", "BM_CliList", "BM_Cat", 2.0);
    benchmark::Shutdown();
    return 0;
}
