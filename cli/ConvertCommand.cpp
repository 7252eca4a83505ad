// `pellum-cli convert`: a .syx file to a Standard MIDI File or back, through the same reader and
// writer as the window's Open and Save.
#include <filesystem>
#include <memory>
#include <system_error>

#include "cli/Commands.h"
#include "cli/Options.h"
#include "core/files/FilePath.h"
#include "core/files/LoadedMessages.h"
#include "core/files/MidiFile.h"
#include "core/text/Errors.h"

namespace pellum::cli {

const char* const kConvertHelp =
    "Usage: pellum-cli convert IN OUT [--interval MS]\n"
    "\n"
    "Reads the SysEx messages of IN as 'pellum-cli list' does and writes them to OUT, a\n"
    "Standard MIDI File when OUT ends in .mid or .midi, else a .syx file, either way\n"
    "round: .syx to .mid, .mid to .syx (or to .mid again). OUT is replaced only once it is\n"
    "written whole, keeping a link a link and the file's permissions; OUT may not be IN.\n"
    "\n"
    "A .mid file written holds one track of one F0 event per message, spaced as\n"
    "'pellum-cli send' and the window's Send All pace them: each message's time on a MIDI\n"
    "cable, then the wait before the next (its length / 256 + 1 ms, or MS if more).\n"
    "F7 escape events of a .mid IN (real-time or MTC bytes) are not SysEx and are not\n"
    "written; their count is said on standard error.\n"
    "\n"
    "  --interval MS    the least wait between two messages in a .mid OUT, as the window's\n"
    "                   Manual pacing\n"
    "\n"
    "Exit status: 0 when OUT was written, 1 when IN could not be read, holds no message or\n"
    "more than 9999, or OUT could not be written, 2 on a usage error (OUT the same file as IN\n"
    "included).\n";

void tellLoadNotes(const std::string& path, const LoadResult& loaded) {
    for (const std::string& note : {loadWarning(path, loaded.count, loaded.unfinished),
                                    escapeWarning(path, loaded.escapes)})
        if (!note.empty()) complain(note);
}

bool sameFile(const std::string& a, const std::string& b) {
    std::error_code error;
    const auto pa = pathFromUtf8(a);
    const auto pb = pathFromUtf8(b);
    if (std::filesystem::equivalent(pa, pb, error)) return true;
    // A missing OUT is no file yet, but may still name IN's path once links are followed.
    std::error_code errorA, errorB;
    const auto ca = std::filesystem::weakly_canonical(pa, errorA);
    const auto cb = std::filesystem::weakly_canonical(pb, errorB);
    return !errorA && !errorB && ca == cb;
}

int convertCommand(const Args& args) {
    const Options options = parseOptions("convert", args, {"--interval"});
    if (options.plain.size() != 2) throw UsageError("convert: give IN and OUT");
    const std::string& in = options.plain[0];
    const std::string& out = options.plain[1];
    const long interval = options.number("--interval", 0, 0);
    if (sameFile(in, out)) throw UsageError("convert: OUT is IN; give another file to write");

    const auto store = std::make_unique<LoadedMessages>();
    const LoadResult loaded = loadMessageFile(in, *store);
    if (loaded.truncated)
        throw PellumError(in + " holds more than 9999 messages, more than Pellum keeps; " + out +
                          " was not written");
    if (loaded.count == 0)
        throw PellumError(in + " holds no SysEx message; " + out + " was not written");
    tellLoadNotes(in, loaded);
    saveMessageFile(out, *store, {}, interval);
    return 0;
}

}  // namespace pellum::cli
