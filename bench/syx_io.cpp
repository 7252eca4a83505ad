// .syx loading speed: a 9999-message, 6 KiB-a-message file (about 60 MiB) read and scanned
// into the store with its list labels, against a bare memchr scan for F0/F7 over the same
// bytes in the same run, which is as fast as finding the messages can be.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
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

}  // namespace

BENCHMARK_MAIN();
