// The JACK test server and the peer.
#include "tests/integration/JackFixture.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <jack/jack.h>
#include <signal.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <numeric>
#include <sstream>
#include <stdexcept>
#include <thread>

#include "tests/support/TempFiles.h"

namespace pellum::test {

namespace {

void quietJack(const char*) {}

class JackClient {
public:
    JackClient() {
        jack_set_error_function(&quietJack);
        jack_set_info_function(&quietJack);
        jack_status_t status{};
        client_ = jack_client_open("pellum-test-probe", JackNoStartServer, &status);
        jack_set_error_function(nullptr);
        jack_set_info_function(nullptr);
    }
    ~JackClient() {
        if (client_ != nullptr) jack_client_close(client_);
    }
    JackClient(const JackClient&) = delete;
    JackClient& operator=(const JackClient&) = delete;
    jack_client_t* get() const { return client_; }

private:
    jack_client_t* client_ = nullptr;
};

// The shared files of jackd2 live here; a server killed abruptly leaves its entries behind.
constexpr const char* kShmDir = "/dev/shm";
constexpr int kServerPool = 4;

void clearStaleJackRegistry() {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(kShmDir, error)) {
        const std::string file = entry.path().filename().string();
        if (file.rfind("jack", 0) == 0) std::filesystem::remove_all(entry.path(), error);
    }
}

std::string lastLines(const std::string& path, std::size_t count) {
    std::ifstream in(path);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty()) lines.push_back(line);
    }
    std::string text;
    for (std::size_t i = lines.size() > count ? lines.size() - count : 0; i < lines.size(); ++i) {
        text += (text.empty() ? "" : " | ") + lines[i];
    }
    return text.empty() ? "(jackd printed nothing)" : text;
}

std::atomic<int> peerCounter{0};

std::vector<std::uint8_t> fromHex(const std::string& text) {
    std::vector<std::uint8_t> bytes;
    for (std::size_t i = 0; i + 1 < text.size(); i += 2) {
        bytes.push_back(static_cast<std::uint8_t>(std::stoi(text.substr(i, 2), nullptr, 16)));
    }
    return bytes;
}

}  // namespace

TestJackServer::TestJackServer() {
    for (int n = 0; n < kServerPool && lock_ < 0; ++n) {
        const std::string candidate = "pellum-test-" + std::to_string(n);
        const std::string lockPath = "/tmp/" + candidate + ".lock";
        const int fd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
        if (fd < 0) continue;
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            ::close(fd);
            continue;
        }
        lock_ = fd;
        name_ = candidate;
    }
    if (lock_ < 0) throw std::runtime_error("every JACK test server name is in use");
    log_ = "/tmp/" + name_ + ".log";
    ::setenv("JACK_DEFAULT_SERVER", name_.c_str(), 1);
    std::string why;
    if (onPipeWire()) {
        if (tryStartPipeWire(why)) return;
        ::close(lock_);
        throw std::runtime_error("pipewire did not come up as " + name_ + ": " + why);
    }
    // A server of this name whose test process was killed may still be on its way out.
    for (int tries = 0; tries < 20; ++tries) {
        if (launch(jackdCommand(name_), jackServerRunning, why)) return;
        // "`name' server already active", not "Too many servers already active".
        if (why.find("' server already active") == std::string::npos) break;
        std::this_thread::sleep_for(std::chrono::milliseconds(500));
    }
    // A full table of dead servers: with no jackd alive, nothing in it can be in use.
    if (!anyJackdRunning()) {
        clearStaleJackRegistry();
        if (launch(jackdCommand(name_), jackServerRunning, why)) return;
    }
    ::close(lock_);
    throw std::runtime_error("jackd did not come up as " + name_ + ": " + why);
}

TestJackServer::~TestJackServer() {
    // Neither server ends when its input closes; asked at once, it need not be waited for.
    if (process_) ::kill(process_->pid(), SIGTERM);
    process_.reset();
    if (lock_ >= 0) ::close(lock_);
}

bool TestJackServer::launch(const std::vector<std::string>& argv, const std::function<bool()>& up,
                            std::string& why) {
    process_ = launchServer(argv, log_, up, std::chrono::seconds(30));
    // Its complaints go to standard error; the banner on standard output says little.
    if (!process_) why = lastLines(log_ + ".err", 2);
    return process_ != nullptr;
}

std::vector<std::string> jackdCommand(const std::string& name) {
    return {"jackd", "-n", name, "-r", "-d", "dummy", "-r", "48000", "-p", "1024"};
}

std::unique_ptr<ChildProcess> launchServer(const std::vector<std::string>& argv,
                                           const std::string& log, const std::function<bool()>& up,
                                           std::chrono::seconds limit) {
    auto server = std::make_unique<ChildProcess>(argv, log);
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!up()) {
        if (server->wait({}) != -1 || std::chrono::steady_clock::now() > deadline) return nullptr;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return server;
}

bool onPipeWire() {
    const char* server = std::getenv("PELLUM_TEST_SERVER");
    return server != nullptr && std::string(server) == "pipewire";
}

const char* serverKind() {
    return onPipeWire() ? "PipeWire" : "jackd2";
}

bool TestJackServer::tryStartPipeWire(std::string& why) {
    // The folder belongs to the pool name held by our lock: what a killed run left in it goes.
    const std::string runtime = "/tmp/" + name_ + "-pipewire";
    std::error_code error;
    std::filesystem::remove_all(runtime, error);
    if (::mkdir(runtime.c_str(), 0700) != 0) {
        why = "cannot make " + runtime;
        return false;
    }
    ::setenv("XDG_RUNTIME_DIR", runtime.c_str(), 1);
    ::setenv("PIPEWIRE_RUNTIME_DIR", runtime.c_str(), 1);
    ::unsetenv("PIPEWIRE_REMOTE");
    // Headless: without these it looks for a desktop session and a bus that are not there.
    ::unsetenv("DISPLAY");
    ::unsetenv("DBUS_SESSION_BUS_ADDRESS");
    return launch(
        {"pipewire"},
        [&] { return std::filesystem::exists(runtime + "/pipewire-0") && jackServerRunning(); },
        why);
}

bool anyJackdRunning() {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/proc", error)) {
        std::ifstream comm(entry.path() / "comm");
        std::string command;
        if (std::getline(comm, command) && (command == "jackd" || command == "jackdmp")) {
            return true;
        }
    }
    return false;
}

// Asked in a child process: libjack keeps the shared registry it first saw for the life of the
// process, so a test process that asked before a stale registry was cleared would go on looking
// at the old one and never see the new server.
bool jackServerRunning() {
    const char* const argv[] = {PELLUM_JACK_PEER, "--probe", nullptr};
    pid_t child = -1;
    if (::posix_spawn(&child, PELLUM_JACK_PEER, nullptr, nullptr, const_cast<char**>(argv),
                      environ) != 0) {
        return false;
    }
    int status = 0;
    if (::waitpid(child, &status, 0) != child) return false;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

bool jackConnect(const std::string& from, const std::string& to, bool connect) {
    JackClient client;
    if (client.get() == nullptr) return false;
    return (connect ? jack_connect : jack_disconnect)(client.get(), from.c_str(), to.c_str()) == 0;
}

static std::vector<std::string> connectionsOf(const JackClient& client, const std::string& port) {
    std::vector<std::string> names;
    if (client.get() == nullptr) return names;
    jack_port_t* found = jack_port_by_name(client.get(), port.c_str());
    if (found == nullptr) return names;
    const char** connections = jack_port_get_all_connections(client.get(), found);
    for (const char** name = connections; name != nullptr && *name != nullptr; ++name) {
        names.emplace_back(*name);
    }
    jack_free(connections);
    return names;
}

std::vector<std::string> jackConnections(const std::string& port) {
    return connectionsOf(JackClient(), port);
}

const std::vector<std::uint8_t> JackPeer::kIdentityReply = {
    0xF0, 0x7E, 0x7F, 0x06, 0x02, 0x7D, 0x12, 0x34, 0x56, 0x01, 0x02, 0x03, 0x04, 0x05, 0xF7};

JackPeer::JackPeer(const std::string& mode, const std::string& name)
    : name_(!name.empty() ? name
                          : "pellum-peer-" + std::to_string(::getpid()) + "-" +
                                std::to_string(peerCounter++)),
      process_({PELLUM_JACK_PEER, name_, mode}) {
    const auto ready = process_.readLine(std::chrono::seconds(20));
    if (ready != "READY") throw std::runtime_error("the peer did not start");
}

void JackPeer::play(const std::string& file, const std::string& cut, int delayMs,
                    std::size_t vanishAt) {
    process_.writeLine("play " + file + " " + cut + " " + std::to_string(delayMs) + " " +
                       std::to_string(vanishAt));
}

std::optional<std::size_t> JackPeer::waitPlayed(std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (std::chrono::steady_clock::now() < deadline) {
        const auto line = process_.readLine(std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now()));
        if (!line) break;
        if (line->rfind("PLAYED ", 0) == 0) return std::stoul(line->substr(7));
        if (*line == "PLAY FAILED") break;
    }
    return std::nullopt;
}

std::optional<std::vector<double>> JackPeer::spaced(std::size_t size,
                                                    const std::vector<double>& gapsMs) {
    std::string command = "spaced " + std::to_string(size);
    for (const double ms : gapsMs) command += " " + std::to_string(ms);
    process_.writeLine(command);
    for (;;) {
        const auto line = process_.readLine(std::chrono::seconds(30));
        if (!line) return std::nullopt;
        if (line->rfind("SPACED ", 0) != 0) continue;
        std::istringstream fields(line->substr(7));
        double rate = 0;
        std::uint32_t first = 0;
        fields >> rate >> first;
        std::vector<double> seconds{0};
        for (std::uint32_t frame = 0; fields >> frame;)
            seconds.push_back(static_cast<std::uint32_t>(frame - first) / rate);
        return seconds;
    }
}

std::optional<JackPeer::Busiest> JackPeer::busiestCycle() {
    process_.writeLine("cycles");
    auto line = process_.readLine(std::chrono::seconds(5));
    while (line && *line == "MISSED") {  // the peer was held up: the run is tried again
        ++missedCycles_;
        receiverHeldUp(1);
        line = process_.readLine(std::chrono::seconds(5));
    }
    Busiest busiest;
    if (!line || std::sscanf(line->c_str(), "CYCLES %zu %zu", &busiest.bytes, &busiest.events) != 2)
        return std::nullopt;
    return busiest;
}

std::optional<std::vector<std::uint8_t>> JackPeer::nextReceived(std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        const auto line = process_.readLine(std::max(left, std::chrono::milliseconds(0)));
        if (!line) return std::nullopt;
        if (line->rfind("RECV ", 0) == 0) {
            std::istringstream fields(line->substr(5));
            std::string size, hex;
            fields >> size >> hex >> lastArrival_.frame >> lastArrival_.rate >> lastArrival_.period;
            return fromHex(hex);
        }
        if (*line == "OVERFLOW") ADD_FAILURE() << "the peer's input overflowed";
        if (*line == "MISSED") {  // a receiver held up, as a server can be
            ++missedCycles_;
            receiverHeldUp(1);
        }
    }
}

bool waitForConnection(const std::string& port, std::chrono::milliseconds limit) {
    // One client for the whole wait: jackd2 can leave a client that opens while others open
    // and close around it triggered but never run.
    JackClient client;
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (connectionsOf(client, port).empty()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return true;
}

namespace {

std::atomic<std::uint64_t> heldUpCycles{0};
// A noisy host can hold up three runs in a row (seen under ASan on PipeWire).
constexpr int kRuns = 5;

class RunAgainWhenHeldUp : public ::testing::EmptyTestEventListener {
    void OnTestProgramEnd(const ::testing::UnitTest& unit) override {
        const std::uint64_t held = heldUpCycles.load();
        if (!unit.Failed() || held == 0) return;
        const char* previous = std::getenv("PELLUM_TEST_RUN");
        const int run = previous != nullptr ? std::atoi(previous) : 1;
        std::printf(
            "\nThe JACK server or the receiver was held up %llu %s in this run, so data "
            "was dropped.\n",
            static_cast<unsigned long long>(held), held == 1 ? "time" : "times");
        if (run >= kRuns) return;
        std::printf("The run proves nothing: run %d of %d follows.\n\n", run + 1, kRuns);
        std::fflush(stdout);
        std::fflush(stderr);
        ::setenv("PELLUM_TEST_RUN", std::to_string(run + 1).c_str(), 1);
        // The arguments as the program was started, before gtest took its own out.
        std::ifstream in("/proc/self/cmdline");
        std::vector<std::string> words;
        for (std::string word; std::getline(in, word, '\0');) words.push_back(word);
        std::vector<char*> argv;
        for (std::string& word : words) argv.push_back(word.data());
        argv.push_back(nullptr);
        ::execv("/proc/self/exe", argv.data());
        std::printf("cannot run again: %s\n", std::strerror(errno));
    }
};

[[maybe_unused]] const bool kRunAgainWhenHeldUp =
    (::testing::UnitTest::GetInstance()->listeners().Append(new RunAgainWhenHeldUp), true);

}  // namespace

struct ServerWatch::Client {
    JackClient jack;
    bool cycled = false;
    jack_nframes_t next = 0;

    static int cycle(jack_nframes_t frames, void* self) {
        auto& watch = *static_cast<Client*>(self);
        const jack_nframes_t start = jack_last_frame_time(watch.jack.get());
        if (watch.cycled && start != watch.next) heldUpCycles.fetch_add(1);
        watch.cycled = true;
        watch.next = start + frames;
        return 0;
    }
    static int xrun(void*) {
        heldUpCycles.fetch_add(1);
        return 0;
    }
};

ServerWatch::ServerWatch() : client_(std::make_unique<Client>()) {
    jack_client_t* jack = client_->jack.get();
    if (jack == nullptr) throw std::runtime_error("the server watch could not open its client");
    jack_set_process_callback(jack, &Client::cycle, client_.get());
    jack_set_xrun_callback(jack, &Client::xrun, client_.get());
    if (jack_activate(jack) != 0) throw std::runtime_error("the server watch did not start");
}

ServerWatch::~ServerWatch() = default;

void receiverHeldUp(std::uint64_t times) {
    heldUpCycles.fetch_add(times);
}

void expectPacedArrivals(JackPeer& peer, std::size_t count, std::size_t size, double ms) {
    std::vector<std::size_t> all(count);
    std::iota(all.begin(), all.end(), 0);
    expectPacedArrivals(peer, all, size, ms);
}

std::vector<double> arrivalSeconds(JackPeer& peer, const std::vector<std::size_t>& which,
                                   std::size_t size) {
    std::vector<double> seconds;
    for (const std::size_t k : which) {
        if (peer.nextReceived(std::chrono::seconds(10)) != patternMessage(k, size)) {
            ADD_FAILURE() << "message " << k << " did not arrive whole";
            break;
        }
        seconds.push_back(double(peer.lastArrival().frame) / peer.lastArrival().rate);
    }
    return seconds;
}

void expectPacedArrivals(JackPeer& peer, const std::vector<std::size_t>& which, std::size_t size,
                         double ms) {
    const std::vector<double> at = arrivalSeconds(peer, which, size);
    for (std::size_t k = 1; k < at.size(); ++k)
        EXPECT_GE(at[k] - at[k - 1], ms / 1000 - periodSeconds(peer)) << "before " << k;
}

void expectSameGaps(const std::vector<double>& got, const std::vector<double>& want, double within,
                    const std::string& what) {
    ASSERT_EQ(got.size(), want.size()) << what;
    for (std::size_t k = 1; k < got.size(); ++k)
        EXPECT_NEAR(got[k] - got[k - 1], want[k] - want[k - 1], within)
            << what << ", message " << k;
}

std::string receiverSaid(const std::string& errorFile) {
    std::string said = readText(errorFile);
    if (said.find("fell behind") != std::string::npos) receiverHeldUp(1);
    return said;
}

}  // namespace pellum::test
