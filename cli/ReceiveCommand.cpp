// `pellum-cli receive`: the SysEx an input device receives, saved as a .syx file or a Standard
// MIDI File with the times they came. Messages are written as they come to a file beside the
// target, which replaces the target at the end.
#include "cli/Capture.h"
#include "cli/Commands.h"
#include "cli/Devices.h"
#include "cli/Interrupt.h"
#include "cli/Options.h"
#include "cli/Receiver.h"
#include "platform/midi/SystemMidi.h"

namespace pellum::cli {

const char* const kReceiveHelp =
    "Usage: pellum-cli receive FILE --in X [--count K] [--timeout S] [--times]\n"
    "\n"
    "Receives SysEx from input device X (its number from 'pellum-cli ports', or a part of\n"
    "its name) and writes the whole F0..F7 messages to FILE, until K messages arrived, S\n"
    "seconds passed without data, the device went away, or you stop it with Ctrl+C (or\n"
    "SIGTERM, SIGHUP). FILE.syx gets them back to back; FILE.mid (or .midi) is a Standard\n"
    "MIDI File (format 0) with each message at the time it arrived, to 20 microseconds.\n"
    "A progress line goes to standard error. Messages are written as they arrive to\n"
    "FILE.<pid>.partial beside it, back to back as in a .syx file, which replaces FILE.syx\n"
    "at the end (for FILE.mid it is removed once FILE.mid is written); if the program is\n"
    "killed, what arrived stays in that file. Only whole messages are kept: one whose start\n"
    "or end was lost is left out and counted.\n"
    "\n"
    "  --in X          the input device\n"
    "  --count K       stop after K messages\n"
    "  --timeout S     stop after S seconds without data (default 5)\n"
    "  --times         print each message as it comes: its number, the seconds since input\n"
    "                  started, to the millisecond, and its length: '0001 2.048 24'\n"
    "\n"
    "Exit status: 0 when the file was written and nothing was damaged or lost (also when you\n"
    "stopped it), 1 on a failure (no such device, nothing received, fewer than K messages\n"
    "without a stop, a message left out unfinished or damaged, bytes lost, the input falling\n"
    "behind in the middle of a message, a file that cannot be written), 2 on a usage error,\n"
    "3 when the device went away before the capture ended: every message kept is whole, but\n"
    "what it had still to send never came.\n";

int receiveCommand(const Args& args) {
    const Options options =
        parseOptions("receive", args, {"--in", "--count", "--timeout"}, {"--times"});
    if (options.plain.size() != 1) throw UsageError("receive: give exactly one .syx or .mid file");
    const auto in = options.value("--in");
    if (!in) throw UsageError("receive: --in is missing");
    const long count = options.number("--count", 1, 0);
    const double timeout = options.seconds("--timeout", 5);
    const std::string& path = options.plain.front();
    checkWritable(path);

    auto service = midi::createCommandMidiService();
    const auto names = inputNames(*service);
    const std::uint32_t device = pickDevice(names, *in, "input");
    Capture capture(path, options.flag("--times"));
    SysexReceiver receiver(*service, static_cast<std::uint16_t>(device));
    catchInterrupts();
    const Received received = capture.receive(receiver, count, timeout, *service);
    return capture.finish(received, count, names[device]);
}

}  // namespace pellum::cli
