// A program the tests run in the background: a server, the peer instrument, or pellum-cli that
// a test signals or stops while it works. CliRun.h runs pellum-cli to its end on top of it.
#pragma once

#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace pellum::test {

// A program run with a pipe to its standard input and one from its standard output. It dies
// with the test process, even one that crashes, and the destructor ends and reaps it.
class ChildProcess {
public:
    // With `logFile`, its standard output goes to that file instead of the pipe, and its
    // standard error to `logFile` + ".err"; without, its standard error goes to the test's own.
    explicit ChildProcess(const std::vector<std::string>& argv, const std::string& logFile = {}) {
        int in[2];
        int out[2];
        if (::pipe2(in, O_CLOEXEC) != 0 || ::pipe2(out, O_CLOEXEC) != 0) {
            throw std::runtime_error("no pipe");
        }
        std::vector<char*> args;
        for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
        args.push_back(nullptr);
        const std::string errorLog = logFile + ".err";
        const pid_t parent = ::getpid();
        pid_ = ::fork();
        if (pid_ == 0) {
            // Killed when the test process dies, however it dies: no server or peer outlives it.
            ::prctl(PR_SET_PDEATHSIG, SIGKILL);
            if (::getppid() != parent) ::_exit(127);
            ::dup2(in[0], STDIN_FILENO);
            ::dup2(out[1], STDOUT_FILENO);
            if (!logFile.empty()) {
                constexpr int kLogFlags = O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC;
                ::dup2(::open(logFile.c_str(), kLogFlags, 0644), STDOUT_FILENO);
                ::dup2(::open(errorLog.c_str(), kLogFlags, 0644), STDERR_FILENO);
            }
            ::execvp(args[0], args.data());
            ::_exit(127);
        }
        ::close(in[0]);
        ::close(out[1]);
        toChild_ = in[1];
        fromChild_ = out[0];
        if (pid_ < 0) throw std::runtime_error("no fork");
    }

    ~ChildProcess() {
        // The peer leaves the server cleanly when its input closes; others get a signal.
        closeInput();
        if (!reaped_ && pid_ > 0 && wait(std::chrono::seconds(2)) == -1) {
            ::kill(pid_, SIGTERM);
            if (wait(std::chrono::seconds(5)) == -1) {
                ::kill(pid_, SIGKILL);
                ::waitpid(pid_, nullptr, 0);
            }
        }
        if (fromChild_ >= 0) ::close(fromChild_);
    }
    ChildProcess(const ChildProcess&) = delete;
    ChildProcess& operator=(const ChildProcess&) = delete;

    pid_t pid() const { return pid_; }

    void writeLine(const std::string& line) {
        const std::string text = line + "\n";
        ASSERT_EQ(::write(toChild_, text.data(), text.size()), static_cast<ssize_t>(text.size()));
    }

    // Its standard input ends: a program reading it sees the end of the file.
    void closeInput() {
        if (toChild_ >= 0) ::close(toChild_);
        toChild_ = -1;
    }

    // The next line of its standard output, or nothing when `limit` passed or it closed.
    std::optional<std::string> readLine(std::chrono::milliseconds limit) {
        const auto deadline = Clock::now() + limit;
        while (out_.find('\n') == std::string::npos) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
            if (fromChild_ < 0 || left.count() <= 0) return std::nullopt;
            pollfd ready{fromChild_, POLLIN, 0};
            if (::poll(&ready, 1, static_cast<int>(left.count())) <= 0) continue;
            char chunk[65536];
            const ssize_t got = ::read(fromChild_, chunk, sizeof chunk);
            if (got > 0) {
                out_.append(chunk, static_cast<std::size_t>(got));
            } else {
                ::close(std::exchange(fromChild_, -1));
            }
        }
        const std::size_t end = out_.find('\n');
        std::string line = out_.substr(0, end);
        out_.erase(0, end + 1);
        return line;
    }

    // Its exit status (128 + the signal that ended it), or -1 when it did not exit within
    // `limit`.
    int wait(std::chrono::milliseconds limit) {
        const auto deadline = Clock::now() + limit;
        for (int status = 0; !reaped_; std::this_thread::sleep_for(std::chrono::milliseconds(5))) {
            if (::waitpid(pid_, &status, WNOHANG) == pid_) {
                reaped_ = true;
                return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            }
            if (Clock::now() >= deadline) break;
        }
        return -1;
    }

    // For a failure message: what each of its threads waits in, as the kernel says.
    std::string threadStates() const {
        std::string states;
        std::error_code error;
        for (const auto& task : std::filesystem::directory_iterator(
                 "/proc/" + std::to_string(pid_) + "/task", error)) {
            std::ifstream wchan(task.path() / "wchan");
            states += task.path().filename().string() + ": " +
                      std::string(std::istreambuf_iterator<char>(wchan), {}) + "\n";
        }
        return states;
    }

private:
    using Clock = std::chrono::steady_clock;

    pid_t pid_ = -1;
    int toChild_ = -1;
    int fromChild_ = -1;
    std::string out_;
    bool reaped_ = false;
};

}  // namespace pellum::test
