// `pellum-cli diff`: which messages of two files differ, and in which bytes, as the window's
// Compare With File marks them; exit status as diff and cmp give it.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <memory>
#include <string>
#include <utility>

#include "cli/Commands.h"
#include "cli/Options.h"
#include "core/files/LoadedMessages.h"
#include "core/files/MidiFile.h"
#include "core/list/ListLabel.h"
#include "core/list/MessageDiff.h"
#include "core/messages/MessageFacts.h"
#include "core/text/Errors.h"
#include "core/text/NumberText.h"
#include "core/text/Texts.h"

namespace pellum::cli {

const char* const kDiffHelp =
    "Usage: pellum-cli diff [--brief] A B\n"
    "\n"
    "Compares the messages of two files, each a .syx or Standard MIDI File (.mid, .midi),\n"
    "message by message. Messages pair by place: those equal in both anchor the files, as\n"
    "'diff --patience' anchors lines, and the others between two anchors pair in order. When\n"
    "every message of both files is a Roland DT1 (data set), they pair by model and address\n"
    "instead, in any order.\n"
    "\n"
    "Each byte of a pair that differs is a line: both line numbers (as 'pellum-cli list'\n"
    "numbers them), the offset in the message, the old and the new byte ('--' past a\n"
    "message's end) and, for a Roland DT1 data byte, its address:\n"
    "\n"
    "  0003 0003 offset 0009H: 05H -> 07H, address 40 01 05H\n"
    "\n"
    "A message only one file holds is a line of its own:\n"
    "\n"
    "  0005 ---- only in A: Roland(41H) 12Byte, address 40 02 00H\n"
    "  ---- 0007 only in B: YAMAHA(43H) 8Byte\n"
    "\n"
    "A DT1's address has four bytes for model IDs of two bytes or more and for 46H, 57H and\n"
    "6AH, three for other one-byte models.\n"
    "\n"
    "  --brief   print only whether the files differ\n"
    "\n"
    "Exit status: 0 when the files hold the same messages, 1 when they differ, 2 when a file\n"
    "could not be read, on a usage error, or when the lines could not be written.\n";

namespace {

std::string byteText(int value) {
    return value < 0 ? "--" : hexText(static_cast<std::uint32_t>(value)) + "H";
}

std::string fourDigits(const std::string& digits) {
    return std::string(4 - std::min<std::size_t>(4, digits.size()), '0') + digits;
}

// A line number as the list shows it, "0003"; "----" for none.
std::string rowText(int row) {
    return row < 0 ? "----" : fourDigits(std::to_string(row + 1));
}

std::string addressText(std::span<const std::uint8_t> address) {
    return text(Text::DiffAddress, {hexBytes(address) + "H"});
}

// "Roland(41H) 12Byte, address 40 02 00H": the list's label without its number.
std::string messageText(std::span<const std::uint8_t> message) {
    const auto set = rolandDataSet(message);
    return loadedLabel(1, message).substr(5) + (set ? addressText(set->address) : std::string());
}

struct File {
    explicit File(std::string name) : path(std::move(name)) {}
    std::string path;
    std::unique_ptr<LoadedMessages> store = std::make_unique<LoadedMessages>();
    MessageSpans messages;
};

void load(File& file) {
    const LoadResult loaded = loadMessageFile(file.path, *file.store);
    if (loaded.truncated)
        throw PellumError(file.path + " holds more than 9999 messages, more than Pellum keeps");
    tellLoadNotes(file.path, loaded);
    file.messages = messageSpans(*file.store);
}

int compareFiles(const Options& options) {
    File a{options.plain[0]}, b{options.plain[1]};
    load(a);
    load(b);
    const MessageComparison comparison = compareMessages(a.messages, b.messages);
    const bool same = comparison.same();
    if (options.flag("--brief")) {
        if (!same) std::puts(text(Text::DiffFilesDiffer, {a.path, b.path}).c_str());
        return same ? 0 : 1;
    }
    std::string out;
    for (const MessagePair& pair : comparison.pairs) {
        if (pair.same) continue;
        const std::string rows = rowText(pair.a) + " " + rowText(pair.b);
        if (pair.a < 0 || pair.b < 0) {
            const File& only = pair.b < 0 ? a : b;
            out += text(Text::DiffOnlyIn,
                        {rows, only.path, messageText(only.messages[std::max(pair.a, pair.b)])});
            out += '\n';
            continue;
        }
        for (const ByteChange& change : byteChanges(a.messages[pair.a], b.messages[pair.b])) {
            const std::string offset =
                fourDigits(hexText(static_cast<std::uint32_t>(change.offset))) + "H";
            out += text(Text::DiffByte,
                        {rows, offset, byteText(change.before), byteText(change.after)});
            if (!change.address.empty()) out += addressText(change.address);
            out += '\n';
        }
    }
    std::fwrite(out.data(), 1, out.size(), stdout);
    return same ? 0 : 1;
}

}  // namespace

int diffCommand(const Args& args) {
    const Options options = parseOptions("diff", args, {}, {"--brief"});
    if (options.plain.size() != 2) throw UsageError("diff: give two files, A and B");
    // As diff and cmp: 1 says the files differ, so trouble is 2, a file that cannot be read and
    // output that cannot be written alike.
    int status = 2;
    try {
        status = compareFiles(options);
    } catch (const std::exception& e) {
        complain(e.what());
        return 2;
    }
    errno = 0;
    if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
        const int error = errno;
        complain(std::string("cannot write to standard output") +
                 (error != 0 ? std::string(": ") + std::strerror(error) : std::string()));
        std::clearerr(stdout);  // told once, here, with diff's status
        return 2;
    }
    return status;
}

}  // namespace pellum::cli
