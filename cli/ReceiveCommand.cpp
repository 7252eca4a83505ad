// `pellum-cli receive`: the SysEx an input device receives, saved as a .syx file. The file is
// written in one go at the end, atomically, and a write that fails still keeps the messages.
#include "cli/Capture.h"
#include "cli/Commands.h"
#include "cli/Devices.h"
#include "cli/Options.h"
#include "cli/Receiver.h"
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
    Received received;
    {
        SysexReceiver receiver(*service, static_cast<std::uint16_t>(device));
        received = receiveUntilQuiet(receiver, count, timeout);
    }
    return saveReceived(path, received, count, service->droppedInputBytes(), names[device]);
}

}  // namespace pellum::cli
