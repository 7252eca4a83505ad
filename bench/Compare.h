// Side by side with the floor: whole runs of a program, its output and errors thrown away, and
// the ratios of benchmarks' medians (11 runs each unless the command line says otherwise).
#pragma once

#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace pellum::bench {

// `untimed` runs come first, so that a server just started has settled before the timing.
inline void runToNull(benchmark::State& state, std::vector<std::string> command, int untimed = 0) {
    std::vector<char*> argv;
    for (std::string& word : command) argv.push_back(word.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    // A server with no MIDI ports makes `ports` say so on every run; the status tells failures.
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    const auto runOnce = [&] {
        pid_t child = -1;
        int status = 0;
        return ::posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ) == 0 &&
               ::waitpid(child, &status, 0) == child && status == 0;
    };
    for (int i = 0; i < untimed; ++i) runOnce();
    for (auto _ : state) {
        if (!runOnce()) state.SkipWithError("the command failed");
    }
    posix_spawn_file_actions_destroy(&actions);
}

// Shows the usual table and keeps each benchmark's times (one per repetition) for the ratios
// of their medians.
class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred || run.run_type != Run::RT_Iteration) continue;
            const std::string& args = run.run_name.args;
            seconds[run.run_name.function_name + (args.empty() ? "" : "/" + args)].push_back(
                run.GetAdjustedRealTime());
        }
    }
    double median(const std::string& name) {
        std::vector<double>& times = seconds[name];
        std::sort(times.begin(), times.end());
        return times[times.size() / 2];
    }
    void ratio(const char* what, const std::string& slow, const std::string& fast, double goal) {
        if (!seconds.contains(slow) || !seconds.contains(fast)) return;
        std::printf("%s: %.2f x (goal <= %.1f x; medians of %zu runs)\n", what,
                    median(slow) / median(fast), goal, seconds[slow].size());
    }
    std::map<std::string, std::vector<double>> seconds;
};

// Runs the benchmarks the command line picks, each repeated 11 times unless it says otherwise.
inline void run(int argc, char** argv, benchmark::BenchmarkReporter& reporter) {
    std::vector<char*> args(argv, argv + argc);
    std::string repetitions = "--benchmark_repetitions=11";
    // Repetitions in a shuffled order: a program and its floor then meet the machine's drift
    // alike, which all of one and then all of the other do not.
    std::string interleaving = "--benchmark_enable_random_interleaving=true";
    const auto given = [&](const char* option) {
        return std::any_of(args.begin(), args.end(),
                           [&](const char* a) { return std::string(a).starts_with(option); });
    };
    if (!given("--benchmark_repetitions")) args.push_back(repetitions.data());
    if (!given("--benchmark_enable_random_interleaving")) args.push_back(interleaving.data());
    argc = static_cast<int>(args.size());
    benchmark::Initialize(&argc, args.data());
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
}

}  // namespace pellum::bench
