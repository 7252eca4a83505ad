// `pellum-cli list`: the SysEx list as the window shows it after loading each file.
#include <cstdio>
#include <memory>
#include <string>

#include "cli/Commands.h"
#include "cli/Options.h"
#include "core/files/LoadedMessages.h"
#include "core/files/MidiFile.h"
#include "core/files/SyxFile.h"
#include "core/list/ListLabel.h"
#include "core/messages/MessageFacts.h"

namespace pellum::cli {

const char* const kListHelp =
    "Usage: pellum-cli list [--hex] [--check] [--strict] FILE...\n"
    "\n"
    "Loads each .syx or Standard MIDI File (.mid, .midi) as the window does and prints\n"
    "the lines its SysEx list shows, one per line (at most 9999 per file). With more than\n"
    "one file, each file's lines follow a '==> FILE <==' heading. A file that is not a\n"
    "regular file, is larger than 655,284,465 bytes (9999 messages of 65,535 bytes, all\n"
    "the list holds) or holds a message longer than 65,535 bytes is refused, as the\n"
    "window refuses it.\n"
    "\n"
    "A file that holds no message, or ends inside its last message, is read as the\n"
    "window reads it (the message closed with an added F7) and said so on standard\n"
    "error.\n"
    "\n"
    "Makers are named from the published list of System Exclusive IDs.\n"
    "\n"
    "A .mid file's SysEx messages are listed in the order they play, whatever their track;\n"
    "a message the file divides into an F0 event and F7 continuation events is one line.\n"
    "F7 escape events that continue no message (real-time or MTC bytes) are not SysEx:\n"
    "they are not listed, and their count is said on standard error. A .mid file that is\n"
    "cut short or damaged is refused.\n"
    "\n"
    "  --hex     append each message's bytes in upper-case hex to its line\n"
    "  --check   end the line of a message whose checksum format is known for sure\n"
    "            (Roland DT1/RQ1, YAMAHA bulk dumps) with 'checksum ok' or\n"
    "            'checksum wrong (XXH, want YYH)'; other lines get nothing added\n"
    "  --strict  exit 1 also when a file holds no message or ends inside one\n"
    "\n"
    "Exit status: 0 when every file was read, 1 when a file could not be read or the\n"
    "lines could not be written (or, with --strict, a file was empty or cut; with\n"
    "--check, a checksum was wrong), 2 on a usage error.\n";

int listCommand(const Args& args) {
    const Options options = parseOptions("list", args, {}, {"--hex", "--check", "--strict"});
    const bool hex = options.flag("--hex");
    const bool check = options.flag("--check");
    const bool strict = options.flag("--strict");
    const std::vector<std::string>& files = options.plain;
    if (files.empty()) throw UsageError("list: no file given");

    int status = 0;
    // Only --hex and --check need the bytes: a store is 400 KB to set up before the first file
    // is read.
    const bool whole = hex || check;
    std::unique_ptr<LoadedMessages> store;
    if (whole) store = std::make_unique<LoadedMessages>();
    for (const std::string& file : files) {
        // Without --hex only the labels are needed: the file is read a piece at a time, never
        // held whole.
        SyxListing listing;
        try {
            if (whole) {
                const LoadResult loaded = loadMessageFile(file, *store);
                listing.truncated = loaded.truncated;
                listing.unfinished = loaded.unfinished;
                listing.escapes = loaded.escapes;
            } else {
                listing = listMessageFile(file);
            }
        } catch (const std::exception& e) {
            complain(e.what());
            status = 1;
            continue;
        }
        if (files.size() > 1) std::printf("==> %s <==\n", file.c_str());
        if (whole) {
            for (int i = 0; i < store->count(); ++i) {
                const auto message = store->message(i);
                std::string line = loadedLabel(i + 1, message);
                if (hex) line += " " + hexBytes(message);
                if (check) {
                    const Checksum checksum = checkChecksum(message);
                    if (checksum.verdict == Checksum::Verdict::wrong) status = 1;
                    if (checksum.verdict != Checksum::Verdict::none)
                        line += " " + checksumText(checksum);
                }
                std::puts(line.c_str());
            }
        }
        // One write for the lot: a file may have 9999 lines.
        std::fwrite(listing.lines.data(), 1, listing.lines.size(), stdout);
        if (listing.truncated)
            complain(file + " holds more than 9999 messages; only the first 9999 are listed");
        const int count = whole ? store->count() : listing.count;
        const std::string warning = loadWarning(file, count, listing.unfinished);
        if (!warning.empty()) {
            complain(warning);
            if (strict) status = 1;
        }
        if (const std::string note = escapeWarning(file, listing.escapes); !note.empty())
            complain(note);
    }
    return status;
}

}  // namespace pellum::cli
