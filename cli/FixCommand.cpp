// `pellum-cli fix`: a file with every checksum of a known format set right, as the window's Fix
// Checksum sets them, and nothing else changed.
#include <cstdio>
#include <memory>

#include "cli/Commands.h"
#include "cli/Options.h"
#include "core/files/LoadedMessages.h"
#include "core/files/MidiFile.h"
#include "core/messages/MessageFacts.h"
#include "core/text/Errors.h"
#include "core/text/NumberText.h"

namespace pellum::cli {

const char* const kFixHelp =
    "Usage: pellum-cli fix FILE -o OUT\n"
    "       pellum-cli fix --check FILE\n"
    "\n"
    "Sets right every wrong checksum of a format Pellum knows (Roland DT1 and RQ1, YAMAHA\n"
    "bulk dumps) in the messages of FILE (.syx or .mid) and writes them to OUT, a Standard\n"
    "MIDI File when OUT ends in .mid or .midi, else a .syx file; every other byte stays as it\n"
    "was. Each line it fixed is printed, numbered as 'pellum-cli list' shows it, with the old\n"
    "and the new checksum: '0003 checksum 12H -> 34H'. OUT may not be FILE.\n"
    "\n"
    "  --check          write nothing; print what would be fixed\n"
    "\n"
    "Exit status: 0 when OUT was written (or, with --check, when nothing would change), 1 when\n"
    "something would change (--check), FILE could not be read or OUT could not be written,\n"
    "2 on a usage error.\n";

int fixCommand(const Args& args) {
    const Options options = parseOptions("fix", args, {"-o"}, {"--check"});
    if (options.plain.size() != 1) throw UsageError("fix: give exactly one .syx or .mid file");
    const bool check = options.flag("--check");
    const auto out = options.value("-o");
    if (check == out.has_value()) throw UsageError("fix: give -o OUT, or --check");
    const std::string& in = options.plain.front();
    if (out && sameFile(in, *out)) throw UsageError("fix: OUT is FILE; give another file to write");

    const auto store = std::make_unique<LoadedMessages>();
    const LoadResult loaded = loadMessageFile(in, *store);
    if (loaded.truncated)
        throw PellumError(in + " holds more than 9999 messages, more than Pellum keeps");
    std::vector<std::vector<std::uint8_t>> fixed(static_cast<std::size_t>(store->count()));
    MessageSpans messages;
    int changed = 0;
    for (int i = 0; i < store->count(); ++i) {
        const auto message = store->message(i);
        auto& mine = fixed[static_cast<std::size_t>(i)];
        if (const auto right = checksumFixed(message)) {
            mine = *right;
            std::printf("%04d checksum %sH -> %sH\n", i + 1,
                        hexText(message[message.size() - 2]).c_str(),
                        hexText(mine[mine.size() - 2]).c_str());
            ++changed;
        }
        messages.push_back(mine.empty() ? message : std::span<const std::uint8_t>(mine));
    }
    if (check) return changed > 0 ? 1 : 0;
    tellLoadNotes(in, loaded);
    writeMessageFile(*out, messages, {}, 0, storeTimes(*store));
    return 0;
}

}  // namespace pellum::cli
