// .syx loading speed: a 9999-message, 6 KiB-a-message file (about 60 MiB) read and scanned
// into the store with its list labels, against one read() of the file into fresh memory, and a
// bare memchr scan for F0/F7 over the same bytes; `pellum-cli list` of the file against `cat`
// of it; the floors at three offsets of their buffers. The run ends with both ratios.
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

#include "bench/Compare.h"
#include "core/files/ByteBlock.h"
#include "core/files/LoadedMessages.h"
#include "core/files/SyxFile.h"
#include "core/list/ListLabel.h"

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

// The floors of reading, at a page-aligned buffer and `state.range(0)` bytes past one, since the
// kernel's copy is five times slower to a destination that is not 64-byte aligned on some
// processors: 128 KiB read()s into one buffer, as `list` and `cat` read; one read() of the whole
// file into fresh memory, which a load cannot beat (it must fault in and clear every page).
void BM_ReadInPieces(benchmark::State& state) {
    const int fd = ::open(filePath().c_str(), O_RDONLY);
    const auto offset = static_cast<std::size_t>(state.range(0));
    void* buffer = std::aligned_alloc(4096, 4096 + (std::size_t{128} << 10));
    for (auto _ : state) {
        std::size_t total = 0;
        ::lseek(fd, 0, SEEK_SET);
        for (ssize_t got; (got = ::read(fd, static_cast<char*>(buffer) + offset, 128 << 10)) > 0;)
            total += static_cast<std::size_t>(got);
        benchmark::DoNotOptimize(total);
    }
    std::free(buffer);
    ::close(fd);
    setBytes(state);
}
BENCHMARK(BM_ReadInPieces)->Arg(0)->Arg(16)->Arg(64)->Unit(benchmark::kMillisecond);

void BM_OneReadIntoFreshMemory(benchmark::State& state) {
    const int fd = ::open(filePath().c_str(), O_RDONLY);
    const auto offset = static_cast<std::size_t>(state.range(0));
    const std::size_t size = fileBytes().size();
    for (auto _ : state) {
        // Fresh memory as the loader takes it (huge pages asked for), and as it lets it go.
        pellum::ByteBlock fresh(offset + size);
        benchmark::DoNotOptimize(::pread(fd, fresh.data() + offset, size, 0));
    }
    ::close(fd);
    setBytes(state);
}
BENCHMARK(BM_OneReadIntoFreshMemory)->Arg(0)->Arg(16)->Arg(64)->Unit(benchmark::kMillisecond);

// The reader over bytes already in memory, into the store.
void BM_ReaderInMemory(benchmark::State& state) {
    const auto& bytes = fileBytes();
    pellum::LoadedMessages store;
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
    pellum::LoadedMessages store;
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
        auto store = std::make_unique<pellum::LoadedMessages>();
        const auto result = pellum::loadSyxFile(path, *store);
        auto labels = pellum::loadedLabels(*store);
        benchmark::DoNotOptimize(result.count);
        benchmark::DoNotOptimize(labels.data());
    }
    setBytes(state);
}
BENCHMARK(BM_WholeLoadIntoFreshStore)->Unit(benchmark::kMillisecond);

void BM_CliList(benchmark::State& state) {
    pellum::bench::runToNull(state, {PELLUM_CLI, "list", filePath()});
    setBytes(state);
}
BENCHMARK(BM_CliList)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Cat(benchmark::State& state) {
    pellum::bench::runToNull(state, {"cat", filePath()});
    setBytes(state);
}
BENCHMARK(BM_Cat)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv) {
    pellum::bench::RatioReporter reporter;
    pellum::bench::run(argc, argv, reporter);
    reporter.ratio("load with labels / one read() into fresh memory", "BM_WholeLoadIntoFreshStore",
                   "BM_OneReadIntoFreshMemory/0", 1.5);
    reporter.ratio("pellum-cli list / cat", "BM_CliList", "BM_Cat", 1.5);
    return 0;
}
