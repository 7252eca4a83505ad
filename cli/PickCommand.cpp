// `pellum-cli pick`: some of a file's messages, written to a .syx or Standard MIDI File as the
// window's Save Selected As writes the selected lines.
#include <memory>

#include "cli/Commands.h"
#include "cli/LineList.h"
#include "cli/Options.h"
#include "core/files/LoadedMessages.h"
#include "core/files/MidiFile.h"
#include "core/text/Errors.h"

namespace pellum::cli {

const char* const kPickHelp =
    "Usage: pellum-cli pick FILE LINES -o OUT\n"
    "\n"
    "Writes the messages of FILE (.syx or .mid) on LINES to OUT, a Standard MIDI File when\n"
    "OUT ends in .mid or .midi, else a .syx file. LINES are numbered as 'pellum-cli list'\n"
    "shows them, from 1: single lines and ranges apart by commas, such as 1,3-5. The messages\n"
    "keep FILE's order, each once, byte for byte. OUT is replaced only once it is written\n"
    "whole; it may not be FILE.\n"
    "\n"
    "Exit status: 0 when OUT was written, 1 when FILE could not be read, LINES names a line\n"
    "FILE does not have, or OUT could not be written, 2 on a usage error (LINES that are not\n"
    "line numbers included).\n";

int pickCommand(const Args& args) {
    const Options options = parseOptions("pick", args, {"-o"});
    if (options.plain.size() != 2) throw UsageError("pick: give FILE and LINES");
    const auto out = options.value("-o");
    if (!out) throw UsageError("pick: -o OUT is missing");
    const std::string& in = options.plain[0];
    if (sameFile(in, *out)) throw UsageError("pick: OUT is FILE; give another file to write");

    const auto store = std::make_unique<LoadedMessages>();
    const LoadResult loaded = loadMessageFile(in, *store);
    if (loaded.truncated)
        throw PellumError(in + " holds more than 9999 messages, more than Pellum keeps; " + *out +
                          " was not written");
    const std::vector<int> rows = chosenLines("pick", options.plain[1], store->count());
    MessageSpans messages;
    MessageTimes times;
    for (const int row : rows) {
        messages.push_back(store->message(row));
        times.push_back(store->timeNs(row));
    }
    tellLoadNotes(in, loaded);
    writeMessageFile(*out, messages, {}, 0, times);
    return 0;
}

}  // namespace pellum::cli
