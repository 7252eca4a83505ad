// Runs the real pellum-cli binary to its end, as a user would: its exit status, standard output
// and standard error. ChildProcess runs it in the background instead, for a test that signals
// it or plays to it while it works. Needs PELLUM_CLI, the binary's path.
#pragma once

#include <chrono>
#include <string>
#include <vector>

#include "tests/support/ChildProcess.h"
#include "tests/support/TempFiles.h"

namespace pellum::test {

struct CliRun {
    int status;  // -1 when it did not end within the limit; 128 + the signal that ended it
    std::string out;
    std::string err;
};

// Runs `argv` with an empty standard input until it ends, or for `limit` at the most.
inline CliRun runToEnd(const std::vector<std::string>& argv, std::chrono::milliseconds limit) {
    const TempDir dir;
    ChildProcess child(argv, dir.file("out"));
    child.closeInput();
    const int status = child.wait(limit);
    return {status, readText(dir.file("out")), readText(dir.file("out.err"))};
}

// pellum-cli with `args`.
inline CliRun runCli(const std::vector<std::string>& args,
                     std::chrono::milliseconds limit = std::chrono::seconds(60)) {
    std::vector<std::string> argv{PELLUM_CLI};
    argv.insert(argv.end(), args.begin(), args.end());
    return runToEnd(argv, limit);
}

// pellum-cli with `line` as typed after its name in a shell: words split and quotes taken
// there, and redirections such as ">/dev/full" applied.
inline CliRun runCliLine(const std::string& line,
                         std::chrono::milliseconds limit = std::chrono::seconds(60)) {
    return runToEnd({"/bin/sh", "-c", "exec \"$0\" " + line, PELLUM_CLI}, limit);
}

}  // namespace pellum::test
