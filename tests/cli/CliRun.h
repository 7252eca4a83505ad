// Runs the real pellum-cli binary as a user would: arguments through the shell, standard output
// and error captured, the exit status returned.
#pragma once

#include <sys/wait.h>

#include <array>
#include <cstdio>
#include <string>

#include "tests/support/TempFiles.h"

namespace pellum::test {

struct CliRun {
    int status;
    std::string out;
    std::string err;
};

// `args` goes through the shell; quote what must stay one word.
inline CliRun runCli(const std::string& args, const TempDir& dir) {
    const std::string errFile = dir.file("stderr.txt");
    const std::string command = std::string(PELLUM_CLI) + " " + args + " 2>" + errFile;
    FILE* pipe = ::popen(command.c_str(), "r");
    CliRun result{-1, {}, {}};
    if (!pipe) return result;
    std::array<char, 4096> buffer;
    for (std::size_t n; (n = std::fread(buffer.data(), 1, buffer.size(), pipe)) > 0;)
        result.out.append(buffer.data(), n);
    const int raw = ::pclose(pipe);
    result.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    const Bytes err = readBytes(errFile);
    result.err.assign(err.begin(), err.end());
    return result;
}

}  // namespace pellum::test
