// `pellum-cli receive`: the SysEx an input device receives, saved as a .syx file. Messages are
// written as they come to a file beside the target, which replaces the target at the end.
#include "cli/Capture.h"
#include "cli/Commands.h"
#include "cli/Devices.h"
#include "cli/Interrupt.h"
#include "cli/Options.h"
#include "cli/Receiver.h"
#include "platform/midi/SystemMidi.h"

namespace pellum::cli {

const char* const kReceiveHelp =
    "Usage: pellum-cli receive FILE.syx --in X [--count K] [--timeout S]\n"
    "\n"
    "Receives SysEx from input device X (its number from 'pellum-cli ports', or a part of\n"
    "its name) and writes the whole F0..F7 messages back to back to FILE.syx, until K\n"
    "messages arrived, S seconds passed without data, the device went away, or you stop it\n"
    "with Ctrl+C (or SIGTERM, SIGHUP). A progress line goes to standard error. Messages are\n"
    "written as they arrive to FILE.syx.<pid>.partial beside it, which replaces FILE.syx at\n"
    "the end; if the program is killed, what arrived stays in that file. Only whole\n"
    "messages are kept: one whose start or end was lost is left out and counted.\n"
    "\n"
    "  --in X          the input device\n"
    "  --count K       stop after K messages\n"
    "  --timeout S     stop after S seconds without data (default 5)\n"
    "\n"
    "Exit status: 0 when the file was written and nothing was damaged or lost (also when you\n"
    "stopped it), 1 on a failure (no such device, nothing received, fewer than K messages\n"
    "without a stop, a message left out unfinished or damaged, bytes lost, the input falling\n"
    "behind in the middle of a message, a file that cannot be written), 2 on a usage error,\n"
    "3 when the device went away before the capture ended: every message kept is whole, but\n"
    "what it had still to send never came.\n";

int receiveCommand(const Args& args) {
    const Options options = parseOptions("receive", args, {"--in", "--count", "--timeout"});
    if (options.plain.size() != 1) throw UsageError("receive: give exactly one .syx file");
    const auto in = options.value("--in");
    if (!in) throw UsageError("receive: --in is missing");
    const long count = options.number("--count", 1, 0);
    const double timeout = options.seconds("--timeout", 5);
    const std::string& path = options.plain.front();
    checkWritable(path);

    auto service = midi::createCommandMidiService();
    const auto names = inputNames(*service);
    const std::uint32_t device = pickDevice(names, *in, "input");
    Capture capture(path);
    SysexReceiver receiver(*service, static_cast<std::uint16_t>(device));
    catchInterrupts();
    const Received received = capture.receive(receiver, count, timeout, *service);
    return capture.finish(received, count, names[device]);
}

}  // namespace pellum::cli
