// `pellum-cli send`: a .syx or Standard MIDI File out through the window's output port, one long
// message per SysEx, paced like the window's auto-send unless told otherwise.
#include <chrono>
#include <cstdio>
#include <thread>

#include "cli/Commands.h"
#include "cli/Devices.h"
#include "cli/LineList.h"
#include "cli/Options.h"
#include "core/files/LoadedMessages.h"
#include "core/files/MidiFile.h"
#include "core/files/SyxFile.h"
#include "core/messages/HexMessages.h"
#include "core/messages/Pacing.h"
#include "core/text/Errors.h"
#include "core/text/NumberText.h"
#include "device/OutputDevice.h"
#include "platform/midi/SystemMidi.h"

namespace pellum::cli {

const char* const kSendHelp =
    "Usage: pellum-cli send FILE --out X [--interval MS | --as-recorded] [--lines LINES]\n"
    "       pellum-cli send --hex \"F0 ... F7\" [--hex ...] --out X [--interval MS]\n"
    "\n"
    "Sends each SysEx message of FILE (.syx, or a Standard MIDI File: .mid, .midi), in the\n"
    "order 'pellum-cli list' shows them, as one long message to output device X\n"
    "(its number from 'pellum-cli ports', or a part of its name), and returns once every byte\n"
    "has been handed on.\n"
    "\n"
    "  --out X          the output device\n"
    "  --lines LINES    only the messages on LINES, numbered from 1 as 'pellum-cli list'\n"
    "                   shows them: single lines and ranges apart by commas, such as 1,3-5;\n"
    "                   they go in FILE's order, each once\n"
    "  --hex \"F0 ... F7\" instead of FILE, messages typed as hex, two digits a byte, apart\n"
    "                   by blanks or commas (0x or H may mark them); each must be whole\n"
    "                   SysEx, and nothing is sent when one is not\n"
    "  --interval MS    wait at least MS milliseconds between two messages, counted from\n"
    "                   when the first has left the port, as the window's Manual pacing\n"
    "                   does, and never less than the default: the next\n"
    "                   message's length / 256 + 1 ms, the window's Auto pacing. 0 sends\n"
    "                   the messages back to back, for programs that take any pace.\n"
    "                   Older instruments often need 10 to 200 ms between messages to\n"
    "                   store each one, some a pause after every message even at the\n"
    "                   cable's pace: if one misses messages, raise MS.\n"
    "  --as-recorded    wait between two messages as long as between their times in a\n"
    "                   Standard MIDI File (a 'pellum-cli receive' capture keeps them),\n"
    "                   counted from when the first message has left the port, each gap\n"
    "                   never less than the default; messages without times (a .syx\n"
    "                   file) go at the default\n"
    "\n"
    "Exit status: 0 when every message was sent, 1 on a failure (no such device, a file\n"
    "that cannot be read, a message the device refused, the device gone or disconnected,\n"
    "or the MIDI server gone before every byte was handed on), 2 on a usage error (--hex\n"
    "text that is not whole SysEx included).\n";

int sendCommand(const Args& args) {
    const Options options =
        parseOptions("send", args, {"--out", "--interval", "--lines", "--hex"}, {"--as-recorded"});
    const std::vector<std::string> typed = options.every("--hex");
    if (typed.empty() && options.plain.size() != 1)
        throw UsageError("send: give exactly one .syx or .mid file, or messages with --hex");
    if (!typed.empty() && (!options.plain.empty() || options.value("--lines")))
        throw UsageError("send: give --hex or a FILE, not both");
    const auto out = options.value("--out");
    if (!out) throw UsageError("send: --out is missing");
    const long interval = options.number("--interval", 0, -1);
    const bool asRecorded = options.flag("--as-recorded");
    if (asRecorded && options.value("--interval"))
        throw UsageError("send: give --interval or --as-recorded, not both");
    const std::string path = typed.empty() ? options.plain.front() : "--hex";

    LoadedMessages store;
    LoadResult loaded;
    if (typed.empty()) {
        loaded = loadMessageFile(path, store);
    } else {
        // Checked whole before anything goes out.
        std::vector<std::uint8_t> joined;
        for (const std::string& hex : typed) {
            try {
                for (const auto& message : messagesFromHex(hex))
                    joined.insert(joined.end(), message.begin(), message.end());
            } catch (const PellumError& e) {
                throw UsageError("send: --hex \"" + hex + "\": " + e.what());
            }
        }
        loaded = loadSyx(joined, store);
    }
    if (loaded.truncated) {
        throw PellumError(path + " holds more than 9999 messages, more than Pellum keeps; " +
                          "nothing was sent");
    }
    if (store.count() == 0) throw PellumError(path + " holds no SysEx message; nothing was sent");
    std::vector<int> rows;
    if (const auto lines = options.value("--lines")) {
        rows = chosenLines("send", *lines, store.count());
    } else {
        for (int i = 0; i < store.count(); ++i) rows.push_back(i);
    }
    const int total = static_cast<int>(rows.size());
    // Told before a send that may take minutes: the messages go as the list shows them, cut.
    if (const std::string cut = loadWarning(path, store.count(), loaded.unfinished); !cut.empty())
        complain(cut);

    auto service = midi::createCommandMidiService();
    device::OutputDevice port(*service);
    const std::string name = openOutputDevice(port, *out);

    // A destination that goes (a cable pulled, a patchbay's cut) ends the send at once, saying
    // how far it got: what follows would reach nobody.
    const auto check = [&](midi::MMRESULT code, int handedOn, const std::string& what) {
        if (code == midi::kMidiDestinationGone) {
            throw PellumError(name + " went away or was disconnected; " + std::to_string(handedOn) +
                              " of " + std::to_string(total) +
                              " messages had been handed on, not every byte reached it");
        }
        throwOnMidiError(what, code);
    };
    std::uint64_t bytes = 0;
    std::chrono::steady_clock::time_point due;  // when the next message goes, as recorded
    for (int i = 0; i < total; ++i) {
        const int row = rows[static_cast<std::size_t>(i)];
        const auto message = store.message(row);
        check(port.sendLongMessage(message), i,
              "message " + std::to_string(row + 1) + " (" + std::to_string(message.size()) +
                  " bytes) was not sent");
        bytes += message.size();
        if (i + 1 == total) continue;
        const int next = rows[static_cast<std::size_t>(i) + 1];
        if (asRecorded) {
            // Each at its time from the first, once the first has left the port (one just
            // opened may hold it a while): waiting for each to leave would add a cycle a gap.
            if (i == 0) {
                check(port.waitUntilSent(), i, "message " + std::to_string(row + 1) + " did not leave");
                due = std::chrono::steady_clock::now();
            }
            std::optional<std::int64_t> gap;
            if (store.timeNs(row) && store.timeNs(next)) gap = *store.timeNs(next) - *store.timeNs(row);
            due += std::chrono::nanoseconds(waitAsRecordedNs(gap, store.length(next)));
            std::this_thread::sleep_until(due);
            continue;
        }
        if (interval == 0) continue;
        // The wait counts from when the message left, not from when the port took it.
        check(port.waitUntilSent(), i, "message " + std::to_string(row + 1) + " did not leave");
        std::this_thread::sleep_for(
            std::chrono::milliseconds(waitBeforeMessage(store.length(next), interval)));
    }
    // Returns once the port has handed every byte on, or could not.
    check(port.close(), total,
          "not every byte of the " + std::to_string(total) + " messages reached " + name);
    std::fprintf(stderr, "sent %s, %s, to %s\n",
                 counted(static_cast<std::uint64_t>(total), "message", "messages").c_str(),
                 counted(bytes, "byte", "bytes").c_str(), name.c_str());
    if (const std::string note = escapeWarning(path, loaded.escapes); !note.empty()) complain(note);
    return 0;
}

}  // namespace pellum::cli
