#include "core/messages/RequestFile.h"

#include <algorithm>

#include "core/text/ErrorText.h"
#include "core/files/FilePath.h"
#include "core/text/HexText.h"
#include "core/list/ListLabel.h"
#include "core/text/NumberText.h"
#include "core/files/RegularFile.h"
#include "core/text/Texts.h"

namespace pellum {
namespace {

constexpr std::uint8_t kSubstitute = 0x1A;  // ends a text file wherever it stands
const std::string kEndMarker = "/";
const std::string kNoLine;

char first(const std::string& line) {
    return line.empty() ? '\0' : line.front();
}

std::uint8_t lowByte(std::int32_t value) {
    return static_cast<std::uint8_t>(static_cast<std::uint32_t>(value) & 0xFF);
}

// Vendor and type texts of the tab, from the numbers of significant lines 3 and 5.
void describe(std::int32_t vendor, std::int32_t type, RequestFileLoad& result) {
    result.vendorText = hexText(static_cast<std::uint32_t>(vendor)) + "H unknown";
    result.typeText = hexText(static_cast<std::uint32_t>(type)) + "H unknown";
    struct Type {
        std::int32_t value;
        const char* text;
    };
    static const Type kRoland[] = {{66, "42H GS"}, {70, "46H JV-880"}, {106, "6AH JV-1010"}};
    static const Type kKorg[] = {
        {19, "13H DS-8"},        {24, "19H T2"},     {25, "19H M1 T1"},   {36, "24H M3R"},
        {40, "28H Wavestation"}, {43, "2BH 01/W"},   {48, "30H 03R/W"},   {53, "35H X3 N364"},
        {54, "36H X5"},          {57, "39H i3"},     {59, "3BH TRINITY"}, {66, "42H NS5R"},
        {76, "4CH N5"},          {80, "50H TRITON"},
    };
    std::span<const Type> types;
    if (vendor == 65) {
        result.vendorText = "41H Roland";
        result.typeText = "Unknown";  // only Roland drops the number of an unlisted type
        types = kRoland;
    } else if (vendor == 66) {
        result.vendorText = "42H KORG";
        types = kKorg;
    } else if (vendor == 67) {
        result.vendorText = "43H YAMAHA";
    }
    for (const Type& known : types) {
        if (known.value == type) result.typeText = known.text;
    }
}

}  // namespace

NotANumberError::NotANumberError(const std::string& line)
    : PellumError(notANumberText(line)), line_(line) {}

std::string notANumberText(std::string_view line) {
    // The text travels as a C string (what(), the error box): a NUL in the line would cut it
    // off there, closing quote and all, so it is shown as "?".
    std::string shown = excerpt(line);
    std::replace(shown.begin(), shown.end(), '\0', '?');
    return text(Text::NotANumber, {shown});
}

std::int32_t convertNumber(std::string_view line) {
    std::size_t i = line.find_first_not_of(' ');
    if (i == std::string_view::npos) throw NotANumberError(std::string(line));
    const std::string_view text = line.substr(i);
    std::size_t digits = 0;
    bool hex = false;
    if (text[0] == '$' || text[0] == 'x' || text[0] == 'X') {
        hex = true;
        digits = 1;
    } else if (text.size() > 1 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        hex = true;
        digits = 2;
    }
    bool negative = false;
    if (!hex && (text[0] == '+' || text[0] == '-')) {
        negative = text[0] == '-';
        digits = 1;
    }
    if (digits == text.size()) throw NotANumberError(std::string(line));

    // Collected wide enough that no 32-bit overflow can hide: the limit is checked per digit.
    const std::uint64_t limit = hex ? 0xFFFFFFFFu : (negative ? 0x80000000u : 0x7FFFFFFFu);
    std::uint64_t value = 0;
    for (std::size_t k = digits; k < text.size(); ++k) {
        const char c = text[k];
        if (hex ? hexDigitValue(c) < 0 : (c < '0' || c > '9'))
            throw NotANumberError(std::string(line));
        value = value * (hex ? 16 : 10) + static_cast<unsigned>(hexDigitValue(c));
        if (value > limit) throw NotANumberError(std::string(line));
    }
    const auto bits = static_cast<std::uint32_t>(negative ? 0 - value : value);
    return static_cast<std::int32_t>(bits);
}

std::string stoppedLoadText(const std::string& path, int fileLine, std::string_view why) {
    if (fileLine == 0) return text(Text::RequestFileEnd, {path, why});
    return text(Text::RequestFileLine, {path, std::to_string(fileLine), why});
}

std::string entryText(int number, std::string_view name) {
    return std::to_string(number) + ":" + std::string(name);
}

std::string previewText(std::span<const std::uint8_t> message) {
    return "  " + hexBytes(message);
}

// The significant lines of a file, numbered from 1, then the end marker, then empty texts:
// a short file names the marker or an empty text where it runs out. At most kMaxLines are
// kept; a load that needs a line beyond them cannot go on.
class RequestSet::Lines {
public:
    explicit Lines(std::span<const std::uint8_t> file) {
        // A line ends at a CR, an LF, or the two together, so that a file reads alike whichever
        // system's editor wrote it.
        std::string line;
        int fileLine = 1;
        bool afterCr = false;
        for (const std::uint8_t byte : file) {
            if (byte == kSubstitute) break;
            if (byte == '\n' && afterCr) {
                afterCr = false;  // a CR LF pair ends one line
                continue;
            }
            afterCr = byte == '\r';
            if (byte == '\r' || byte == '\n') {
                keep(line, fileLine++);
                line.clear();
            } else {
                line += static_cast<char>(byte);
            }
        }
        keep(line, fileLine);
    }

    // Where in the file the line last asked for stands (1-based); 0 past the last one.
    int lastFileLine() const {
        return last_ >= 1 && last_ <= fileLines_.size() ? fileLines_[last_ - 1] : 0;
    }

    const std::string& operator[](std::size_t number) const {
        last_ = number;
        if (number >= 1 && number <= lines_.size()) return lines_[number - 1];
        if (number == lines_.size() + 1) {
            if (overflow_) {
                throw PellumError(text(Text::TooManyLines, {std::to_string(kMaxLines)}));
            }
            return kEndMarker;
        }
        return kNoLine;
    }

private:
    void keep(const std::string& line, int fileLine) {
        if (line.empty() || line.front() == '#') return;
        if (lines_.size() < kMaxLines) {
            lines_.push_back(line);
            fileLines_.push_back(fileLine);
        } else {
            overflow_ = true;
        }
    }

    std::vector<std::string> lines_;
    std::vector<int> fileLines_;
    mutable std::size_t last_ = 0;
    bool overflow_ = false;
};

RequestSet::RequestSet() : bodies_(kMaxRequests) {}

std::string_view RequestSet::name(int index) const {
    if (index < 0 || index >= entryCount_) return {};
    return names_[index];
}

RequestFileLoad RequestSet::loadFile(const std::string& path) {
    const FileBytes file = readRegularFile(pathFromUtf8(path), kMaxFileBytes);
    if (file.outcome != OpenOutcome::opened) {
        entryCount_ = 0;
        wholeCount_ = 0;
        RequestFileLoad result;
        if (file.outcome == OpenOutcome::refused) result.outcome = RequestFileLoad::Outcome::Refused;
        return result;
    }
    return load(file.bytes);
}

RequestFileLoad RequestSet::load(std::span<const std::uint8_t> file) {
    RequestFileLoad result;
    result.outcome = RequestFileLoad::Outcome::Stopped;
    entryCount_ = 0;
    wholeCount_ = 0;
    const Lines lines(file);
    try {
        parse(lines, result);
        result.title = lines[1];
        result.outcome = RequestFileLoad::Outcome::Loaded;
    } catch (const NotANumberError& e) {
        result.error = e.what();
        result.notANumber = e.line();
    } catch (const PellumError& e) {
        result.error = e.what();
    }
    // Every stop comes right after the reader asked for the line it could not take.
    if (result.outcome == RequestFileLoad::Outcome::Stopped) result.errorLine = lines.lastFileLine();
    return result;
}

void RequestSet::parse(const Lines& line, RequestFileLoad& result) {
    checksumOn_ = line[2] != "NO";

    // The header runs up to the first "?" line; its first line is a number whatever it holds.
    std::size_t at = 3;
    int headerCount = 0;
    do {
        const std::int32_t value = convertNumber(line[at]);
        if (headerCount == kMaxHeaderBytes) {
            throw PellumError(text(Text::HeaderTooLong, {std::to_string(kMaxHeaderBytes)}));
        }
        header_[headerCount++] = lowByte(value);
        ++at;
    } while (first(line[at]) != '?');
    header_[255] = static_cast<std::uint8_t>(headerCount);

    for (int r = 0; r < kMaxRequests; ++r) {
        names_[r] = line[at].substr(1, 33);
        result.entries.push_back(entryText(r + 1, names_[r]));
        entryCount_ = r + 1;
        ++at;
        // Lines past the 254th still count towards the checksum.
        std::uint8_t sum = 0;
        int bodyLines = 0;
        auto& body = bodies_[r];
        do {
            const std::uint8_t byte = lowByte(convertNumber(line[at]));
            if (bodyLines < kMaxBodyBytes) body[bodyLines] = byte;
            ++bodyLines;
            sum = static_cast<std::uint8_t>(sum + byte);
            ++at;
        } while (first(line[at]) != '?' && first(line[at]) != '/');
        body[255] = static_cast<std::uint8_t>(std::min(bodyLines, kMaxBodyBytes));
        checksums_[r] = static_cast<std::uint8_t>((128 - sum % 128) % 128);
        wholeCount_ = r + 1;
        if (first(line[at]) == '/') break;
    }
    result.firstSelected = true;
    // The type line is converted first: when it is no number, neither text changes.
    const std::int32_t type = convertNumber(line[5]);
    describe(convertNumber(line[3]), type, result);
}

std::optional<std::vector<std::uint8_t>> RequestSet::request(int index,
                                                              ChannelOverride override) const {
    if (index < 0 || index >= wholeCount_) return std::nullopt;
    const auto& body = bodies_[index];
    std::vector<std::uint8_t> message{0xF0};
    message.insert(message.end(), header_.begin(), header_.begin() + header_[255]);
    message.insert(message.end(), body.begin(), body.begin() + body[255]);
    if (checksumOn_) message.push_back(checksums_[index]);
    message.push_back(0xF7);
    applyChannelOverride(message, override);
    return message;
}

}  // namespace pellum
