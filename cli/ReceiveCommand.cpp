// `pellum-cli receive`: the SysEx an input device receives, saved as a .syx file. The file is
// written in one go at the end, atomically, and a write that fails still keeps the messages.
#include <unistd.h>

#include <cstdio>
#include <filesystem>

#include "cli/Commands.h"
#include "cli/Devices.h"
#include "cli/Options.h"
#include "cli/Receiver.h"
#include "core/Errors.h"
#include "core/FilePath.h"
#include "core/SyxFile.h"
#include "platform/midi/SystemMidi.h"

namespace pellum::cli {

const char* const kReceiveHelp =
    "Usage: pellum-cli receive FILE.syx --in X [--count K] [--timeout S]\n"
    "\n"
    "Receives SysEx from input device X (its number from 'pellum-cli ports', or a part of\n"
    "its name) and writes the whole F0..F7 messages back to back to FILE.syx, until K\n"
    "messages arrived or S seconds passed without data. A progress line goes to standard\n"
    "error. FILE.syx is replaced only once it is written in full; if it cannot be written,\n"
    "the messages are saved in the temporary folder instead and the path is shown.\n"
    "\n"
    "  --in X          the input device\n"
    "  --count K       stop after K messages\n"
    "  --timeout S     stop after S seconds without data (default 5)\n"
    "\n"
    "Exit status: 0 when the file was written (with K messages, if asked for), 1 on a\n"
    "failure (no such device, nothing received, fewer than K messages, damaged messages,\n"
    "a file that cannot be written), 2 on a usage error.\n";

namespace {

// Said before listening, so the user does not wait for a capture that cannot be saved.
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

int receiveCommand(const Args& args) {
    const Options options = parseOptions("receive", args, {"--in", "--count", "--timeout"});
    if (options.plain.size() != 1) throw UsageError("receive: give exactly one .syx file");
    const auto in = options.value("--in");
    if (!in) throw UsageError("receive: --in is missing");
    const long count = options.number("--count", 1, 0);
    const double timeout = options.seconds("--timeout", 5);
    const std::string& path = options.plain.front();
    checkWritable(path);

    auto service = midi::createSystemMidiService();
    const auto names = inputNames(*service);
    const std::uint32_t device = pickDevice(names, *in, "input");
    std::vector<std::vector<std::uint8_t>> messages;
    std::uint64_t broken = 0;
    {
        SysexReceiver receiver(*service, static_cast<std::uint16_t>(device));
        progress(receiver);
        while ((count == 0 || receiver.messages().size() < static_cast<std::size_t>(count)) &&
               receiver.waitForMessage(timeout)) {
            progress(receiver);
        }
        std::fputc('\n', stderr);
        messages = receiver.messages();
        broken = receiver.brokenMessages();
    }
    if (messages.empty()) {
        throw PellumError("no SysEx message arrived from " + names[device] + "; " + path +
                          " was not written");
    }

    int status = 0;
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
    if (count > 0 && messages.size() < static_cast<std::size_t>(count)) {
        complain("only " + std::to_string(messages.size()) + " of " + std::to_string(count) +
                 " messages arrived");
        status = 1;
    }
    const std::uint64_t dropped = service->droppedInputBytes();
    if (broken > 0 || dropped > 0) {
        complain(std::to_string(broken) + " damaged messages were left out and " +
                 std::to_string(dropped) + " bytes were lost for want of a free buffer");
        status = 1;
    }
    return status;
}

}  // namespace pellum::cli
