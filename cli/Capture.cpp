// Capture into a .syx file for pellum-cli.
#include "cli/Capture.h"

#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "cli/Commands.h"
#include "core/AtomicFile.h"
#include "core/Errors.h"
#include "core/FilePath.h"

namespace pellum::cli {

namespace {

std::vector<std::uint8_t> joined(const std::vector<std::vector<std::uint8_t>>& messages) {
    std::vector<std::uint8_t> bytes;
    for (const auto& message : messages) bytes.insert(bytes.end(), message.begin(), message.end());
    return bytes;
}

void progress(const SysexReceiver& receiver) {
    std::fprintf(stderr, "\rreceived %zu messages, %llu bytes", receiver.messages().size(),
                 static_cast<unsigned long long>(receiver.bytesReceived()));
    std::fflush(stderr);
}

}  // namespace

void checkWritable(const std::string& path) {
    const std::filesystem::path target = pathFromUtf8(path);
    const std::filesystem::path folder =
        target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");
    std::error_code error;
    if (std::filesystem::is_directory(target, error) || !std::filesystem::is_directory(folder) ||
        !mayWriteIn(folder)) {
        throw FileCreateError(path);
    }
}

Received receiveUntilQuiet(SysexReceiver& receiver, long count, double quietSeconds) {
    progress(receiver);
    while ((count == 0 || receiver.messages().size() < static_cast<std::size_t>(count)) &&
           receiver.waitForMessage(quietSeconds)) {
        progress(receiver);
    }
    std::fputc('\n', stderr);
    return {receiver.messages(), receiver.brokenMessages(), receiver.deviceLost()};
}

int saveReceived(const std::string& path, const Received& received, long count,
                 std::uint64_t dropped, const std::string& source) {
    const auto& messages = received.messages;
    if (messages.empty()) {
        throw PellumError("no SysEx message arrived from " + source + "; " + path +
                          " was not written");
    }
    try {
        writeFileAtomically(path, joined(messages));
    } catch (const PellumError& e) {
        const std::string rescue =
            utf8FromPath(std::filesystem::temp_directory_path() /
                         ("pellum-received-" + std::to_string(::getpid()) + ".syx"));
        writeFileAtomically(rescue, joined(messages));
        complain(std::string(e.what()) + "; the " + std::to_string(messages.size()) +
                 " messages received are saved in " + rescue);
        return 1;
    }
    int status = 0;
    if (count > 0 && messages.size() < static_cast<std::size_t>(count)) {
        complain("only " + std::to_string(messages.size()) + " of " + std::to_string(count) +
                 " messages arrived");
        status = 1;
    }
    if (received.deviceLost) {
        complain("the input device went away (its port closed or its server stopped)");
        status = 1;
    }
    if (received.broken > 0 || dropped > 0) {
        complain(std::to_string(received.broken) + " damaged messages were left out and " +
                 std::to_string(dropped) + " bytes were lost on the way");
        status = 1;
    }
    return status;
}

}  // namespace pellum::cli
