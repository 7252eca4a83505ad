// User dump request files (.cfg) and the requests they define: the reader fills the User dump
// set (a header shared by all requests, up to 256 named bodies with their checksums, the
// checksum flag), and the set assembles the request of a list entry as it is sent.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/messages/ChannelOverride.h"
#include "core/text/Errors.h"

namespace pellum {

// Text::NotANumber: a line that had to be a number and was not. `line` is the line's
// bytes as the file holds them.
class NotANumberError : public PellumError {
public:
    explicit NotANumberError(const std::string& line);
    const std::string& line() const { return line_; }

private:
    std::string line_;
};

// The conversion error's text for a line already decoded to UTF-8 (for display); a NUL in the
// line shows as "?", and a long line as its first 80 characters and "…".
std::string notANumberText(std::string_view line);

// The integer conversion of number lines: optional leading blanks, then decimal digits with an
// optional "+" or "-" before them, or hex digits of either case after "$", "x", "X", "0x" or
// "0X"; nothing else, trailing blanks included. A value that does not fit 32 bits (hex up to
// FFFFFFFF, read as a signed value) is refused too. Throws NotANumberError.
std::int32_t convertNumber(std::string_view line);

// The list entry of request `number` (1-based): "1:System". `name` is bytes of the file.
std::string entryText(int number, std::string_view name);

// The preview of an assembled request: a blank, then a blank and two upper-case hex digits per
// byte, so "  F0 41 ... F7".
std::string previewText(std::span<const std::uint8_t> message);

// What one load did, for the tab (and pellum-cli) to show.
struct RequestFileLoad {
    enum class Outcome {
        NotOpened,  // the file could not be opened: the list is empty, nothing else changed
        Refused,    // not a regular file, larger than any request file, or unreadable: as above
        Stopped,    // a line stopped the load: `error` says why
        Loaded,
    };
    Outcome outcome = Outcome::NotOpened;
    // The list's entries in order, as bytes of the file ("1:System"); after a stop, those added
    // before it (the entry of the request the stop interrupted included).
    std::vector<std::string> entries;
    // Entry 1 is selected: after a whole load, and after a stop at the type line.
    bool firstSelected = false;
    std::string vendorText;  // requestVendor, only when Loaded
    std::string typeText;    // requestType, only when Loaded
    std::string title;       // the file's first line, bytes of the file, only when Loaded
    // Stopped: the message for the error box (a refused line's bytes as the file holds them).
    std::string error;
    // Stopped by the conversion: the refused line's bytes, to decode and pass to notANumberText.
    std::optional<std::string> notANumber;
    // Stopped: the file's line (1-based, as an editor counts them) that stopped it; 0 when the
    // file ended before a line it needed.
    int errorLine = 0;
};

// What the user reads of a stopped load: the file, where in it, and `why` (the error, with a
// refused line already decoded for display).
std::string stoppedLoadText(const std::string& path, int fileLine, std::string_view why);

class RequestSet {
public:
    static constexpr int kMaxRequests = 256;
    static constexpr int kMaxHeaderBytes = 255;
    static constexpr int kMaxBodyBytes = 254;
    static constexpr std::size_t kMaxLines = 65535;  // significant lines a file may have
    // A file of 256 requests with 254 body lines each is well under it.
    static constexpr std::uintmax_t kMaxFileBytes = 1u << 20;

    RequestSet();

    // Parses a .cfg file's bytes into the set. Nothing is cleared beforehand: the header, the
    // flag and the requests read are overwritten as the reader gets to them, so a stopped load
    // leaves what it read so far. A header of more than 255 bytes, or a file that needs more
    // than 65535 significant lines, stops the load like a line that is not a number.
    RequestFileLoad load(std::span<const std::uint8_t> file);
    // Reads the file (`path` is UTF-8) and loads it; NotOpened or Refused (the list emptied, the
    // set untouched) when the file cannot be read.
    RequestFileLoad loadFile(const std::string& path);

    // Entries the last load listed (0 after a failed open).
    int entryCount() const { return entryCount_; }
    // The name of entry `index` (0-based) as bytes of the file, at most 33 of them, possibly
    // cut inside a character; empty for an index that is not an entry.
    std::string_view name(int index) const;
    bool checksumOn() const { return checksumOn_; }

    // The request of entry `index` (0-based) as it is sent and previewed: F0, the header, the
    // body, the checksum when the flag is on, F7, then the override on byte 2 (the checksum is
    // not recomputed). Nothing for an index that is no entry (no selection, an entry of an
    // earlier file) or for the entry whose body a stopped load did not finish.
    std::optional<std::vector<std::uint8_t>> request(int index, ChannelOverride override) const;

private:
    class Lines;
    void parse(const Lines& lines, RequestFileLoad& result);

    std::array<std::uint8_t, 256> header_{};  // bytes 0..254, the count in 255
    std::array<std::string, kMaxRequests> names_;
    std::array<std::uint8_t, kMaxRequests> checksums_{};
    std::vector<std::array<std::uint8_t, 256>> bodies_;  // bytes 0..253, the count in 255
    bool checksumOn_ = false;
    int entryCount_ = 0;
    int wholeCount_ = 0;  // entries whose body and checksum the last load finished
};

}  // namespace pellum
