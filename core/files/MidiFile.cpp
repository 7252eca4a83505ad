#include "core/files/MidiFile.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstring>

#include "core/files/ByteBlock.h"
#include "core/files/WholeFile.h"
#include "core/list/ListLabel.h"
#include "core/messages/StatusBytes.h"
#include "core/text/Errors.h"
#include "core/text/Texts.h"

namespace pellum {
namespace {

constexpr std::uint8_t kMeta = 0xFF;
constexpr std::uint8_t kEndOfTrack = 0x2F;
constexpr std::uint8_t kSetTempo = 0x51;

// Why a file is refused; worded with the file's name once it is known.
struct Refusal {
    Text text;
    int track = 0;
    std::size_t offset = 0;
};

// A message as its track's events build it: where it starts in time and in the file, its
// packets (spans of the file's bytes, after the F0 of the first) and its length with the F0.
struct Message {
    std::uint64_t time = 0;  // in ticks
    std::uint64_t order = 0;  // the F0 event's place in the file: ties keep file order
    std::size_t length = 1;
    bool unfinished = false;
    std::vector<std::span<const std::uint8_t>> packets;

    bool before(const Message& other) const {
        return time != other.time ? time < other.time : order < other.order;
    }
};

// Collects the finished messages, keeping only the first kCapacity in time order: a file of
// millions of short messages must not hold millions of records.
class Collector {
public:
    void add(Message&& message) {
        ++seen_;
        kept_.push_back(std::move(message));
        if (kept_.size() >= 4 * static_cast<std::size_t>(LoadedMessages::kCapacity)) keepFirst();
    }

    std::vector<Message>& sorted() {
        keepFirst();
        return kept_;
    }
    bool truncated() const { return seen_ > static_cast<std::uint64_t>(LoadedMessages::kCapacity); }

private:
    void keepFirst() {
        std::sort(kept_.begin(), kept_.end(),
                  [](const Message& a, const Message& b) { return a.before(b); });
        if (kept_.size() > static_cast<std::size_t>(LoadedMessages::kCapacity))
            kept_.resize(LoadedMessages::kCapacity);
    }

    std::vector<Message> kept_;
    std::uint64_t seen_ = 0;
};

std::uint32_t bigEndian(const std::uint8_t* p, int bytes) {
    std::uint32_t value = 0;
    for (int i = 0; i < bytes; ++i) value = (value << 8) | p[i];
    return value;
}

// A Set Tempo event: from `tick` on, a quarter note lasts `microseconds`.
struct Tempo {
    std::uint64_t tick = 0;
    std::uint32_t microseconds = 500000;
};

// Reads one track's events, from `at` up to `end` in the file.
class TrackReader {
public:
    TrackReader(std::span<const std::uint8_t> file, std::size_t at, std::size_t end, int track,
                std::uint64_t& order, std::vector<Tempo>& tempos)
        : file_(file), at_(at), end_(end), track_(track), order_(order), tempos_(tempos) {}

    // The track's time starts at `startTime`: after the previous track's end in format 2.
    void read(Collector& found, int& escapes, std::uint64_t startTime) {
        std::uint64_t time = startTime;
        std::uint8_t running = 0;
        while (at_ < end_) {
            time += number();
            const std::size_t eventAt = at_;
            std::uint8_t status = byte();
            if (status < 0x80) {
                if (running == 0) refuse(eventAt);
                status = running;
                --at_;  // the byte is the first data byte
            }
            if (status == kMeta) {
                const std::uint8_t type = byte();
                const auto data = skip(number());
                if (type == kSetTempo && data.size() == 3)
                    tempos_.push_back({time, bigEndian(data.data(), 3)});
                if (type == kEndOfTrack) break;
            } else if (status == kSysExStart) {
                if (open_) finish(found, true);
                start(time);
                append(found, time);
            } else if (status == kSysExEnd) {
                if (open_) {
                    append(found, time);
                } else {
                    ++escapes;
                    skip(number());
                }
            } else if (status >= 0xF0) {
                refuse(eventAt);
            } else {
                running = status;
                const int dataBytes = (status & 0xE0) == 0xC0 ? 1 : 2;
                for (int i = 0; i < dataBytes; ++i)
                    if (byte() >= 0x80) refuse(at_ - 1);
            }
        }
        if (open_) finish(found, true);
        lastTime_ = time;
    }

    std::uint64_t lastTime() const { return lastTime_; }

private:
    [[noreturn]] void refuse(std::size_t offset) const {
        throw Refusal{Text::MidiFileDamaged, track_, offset};
    }

    std::uint8_t byte() {
        if (at_ >= end_) refuse(at_);
        return file_[at_++];
    }

    // A variable-length number: at most four bytes, seven bits each.
    std::uint32_t number() {
        std::uint32_t value = 0;
        for (int i = 0; i < 4; ++i) {
            const std::uint8_t b = byte();
            value = (value << 7) | (b & 0x7F);
            if (b < 0x80) return value;
        }
        refuse(at_ - 1);
    }

    std::span<const std::uint8_t> skip(std::uint32_t length) {
        if (length > end_ - at_) refuse(at_);
        const auto bytes = file_.subspan(at_, length);
        at_ += length;
        return bytes;
    }

    void start(std::uint64_t time) {
        open_ = true;
        message_ = Message{time, order_++, 1, false, {}};
    }

    // The next packet of the open message. Its status bytes end messages as a cable's do: F7
    // closes one, any other cuts it short, and after a cut only an F0 starts another.
    void append(Collector& found, std::uint64_t time) {
        auto packet = skip(number());
        while (!packet.empty()) {
            const std::uint8_t* const begin = packet.data();
            const std::uint8_t* const end = begin + packet.size();
            if (!open_) {
                const auto* next = static_cast<const std::uint8_t*>(
                    std::memchr(begin, kSysExStart, packet.size()));
                if (!next) return;
                start(time);
                packet = packet.subspan(next + 1 - begin);
                continue;
            }
            const std::uint8_t* close = findStatus(begin, end);
            const bool whole = close && *close == kSysExEnd;
            const auto part = packet.first((close ? close : end) - begin + (whole ? 1 : 0));
            // One already too long is refused if it is kept at all: its parts need no record.
            if (message_.length <= LoadedMessages::kMaxMessageBytes && !part.empty())
                message_.packets.push_back(part);
            message_.length += part.size();
            if (!close) return;
            finish(found, !whole);
            packet = packet.subspan(part.size());
        }
    }

    void finish(Collector& found, bool unfinished) {
        message_.unfinished = unfinished;
        if (unfinished) ++message_.length;
        found.add(std::move(message_));
        open_ = false;
    }

    std::span<const std::uint8_t> file_;
    std::size_t at_;
    std::size_t end_;
    int track_;
    std::uint64_t& order_;
    std::vector<Tempo>& tempos_;
    bool open_ = false;
    Message message_;
    std::uint64_t lastTime_ = 0;
};

struct Parsed {
    std::vector<Message> messages;
    std::vector<std::int64_t> timesNs;  // each message's, from the song's start; none unknown
    bool truncated = false;
    int escapes = 0;
};

// A time as a whole number of nanoseconds; beyond what 64 bits hold (three centuries, seen only
// in damaged files) it stays at the limit.
std::int64_t wholeNs(double ns) {
    constexpr double kLimit = 9.0e18;
    return std::llround(std::min(ns, kLimit));
}

// Ticks to nanoseconds by the header's division: ticks a quarter note, with the tempo map
// (120 beats a minute until the first Set Tempo), or SMPTE frames a second and ticks a frame,
// which no tempo changes. Empty for a division of 0, which gives no time.
std::vector<std::int64_t> timesOf(const std::vector<Message>& messages, unsigned division,
                                  std::vector<Tempo> tempos) {
    std::vector<std::int64_t> times;
    const bool smpte = division & 0x8000;
    const int frames = -static_cast<std::int8_t>(division >> 8);
    if (division == 0 || (smpte && (frames <= 0 || (division & 0xFF) == 0))) return times;
    times.reserve(messages.size());
    if (smpte) {
        const double perSecond = (frames == 29 ? 29.97 : frames) * (division & 0xFF);
        for (const Message& m : messages) times.push_back(wholeNs(m.time * 1e9 / perSecond));
        return times;
    }
    std::stable_sort(tempos.begin(), tempos.end(),
                     [](const Tempo& a, const Tempo& b) { return a.tick < b.tick; });
    // Messages come in time order: one walk through the map serves them all.
    Tempo now;
    double ns = 0;
    std::size_t next = 0;
    for (const Message& m : messages) {
        while (next < tempos.size() && tempos[next].tick <= m.time) {
            ns += double(tempos[next].tick - now.tick) * now.microseconds * 1000.0 / division;
            now = tempos[next++];
        }
        times.push_back(
            wholeNs(ns + double(m.time - now.tick) * now.microseconds * 1000.0 / division));
    }
    return times;
}

Parsed parse(std::span<const std::uint8_t> file) {
    constexpr std::size_t kChunkHeader = 8;
    if (file.size() < kChunkHeader + 6 || std::memcmp(file.data(), "MThd", 4) != 0)
        throw Refusal{Text::MidiFileHeader};
    const std::uint32_t headerLength = bigEndian(file.data() + 4, 4);
    const unsigned format = bigEndian(file.data() + 8, 2);
    const unsigned tracks = bigEndian(file.data() + 10, 2);
    if (headerLength < 6 || format > 2) throw Refusal{Text::MidiFileHeader};
    if (headerLength > file.size() - kChunkHeader) throw Refusal{Text::MidiFileCut};

    Collector found;
    Parsed parsed;
    std::vector<Tempo> tempos;
    std::uint64_t order = 0;
    std::uint64_t time = 0;
    std::size_t at = kChunkHeader + headerLength;
    // Whatever follows the last track the header counts is no part of the song.
    for (unsigned track = 0; track < tracks;) {
        if (file.size() - at < kChunkHeader) throw Refusal{Text::MidiFileCut};
        const std::uint32_t length = bigEndian(file.data() + at + 4, 4);
        const std::size_t start = at + kChunkHeader;
        if (length > file.size() - start) throw Refusal{Text::MidiFileCut};
        at = start + length;
        if (std::memcmp(file.data() + start - kChunkHeader, "MTrk", 4) != 0) continue;
        TrackReader reader(file, start, at, static_cast<int>(++track), order, tempos);
        reader.read(found, parsed.escapes, format == 2 ? time : 0);
        time = reader.lastTime();
    }
    parsed.truncated = found.truncated();
    parsed.messages = std::move(found.sorted());
    parsed.timesNs = timesOf(parsed.messages, bigEndian(file.data() + 12, 2), std::move(tempos));
    return parsed;
}

std::string worded(const Refusal& refusal, const std::string& name) {
    if (refusal.text == Text::MidiFileDamaged)
        return text(refusal.text,
                    {name, std::to_string(refusal.track), std::to_string(refusal.offset)});
    return text(refusal.text, {name});
}

}  // namespace

bool isMidiFileName(const std::string& path) {
    std::string tail = path.substr(path.size() - std::min<std::size_t>(path.size(), 5));
    for (char& c : tail) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return tail.ends_with(".mid") || tail == ".midi";
}

LoadResult loadMidi(std::span<const std::uint8_t> bytes, LoadedMessages& store,
                    const std::string& name) {
    Parsed parsed;
    try {
        parsed = parse(bytes);
    } catch (const Refusal& refusal) {
        throw PellumError(worded(refusal, name));
    }
    // Joined into one block the store keeps, in time order.
    std::size_t total = 0;
    LoadResult result{
        static_cast<int>(parsed.messages.size()), parsed.truncated, {}, parsed.escapes};
    for (std::size_t i = 0; i < parsed.messages.size(); ++i) {
        const Message& m = parsed.messages[i];
        const int number = static_cast<int>(i) + 1;
        if (m.length > LoadedMessages::kMaxMessageBytes)
            throw name.empty() ? MessageTooLongError(number) : MessageTooLongError(name, number);
        if (m.unfinished) result.unfinished.push_back(number);
        total += m.length;
    }
    ByteBlock block(std::max<std::size_t>(total, 1));
    std::vector<LoadedMessages::Extent> extents;
    extents.reserve(parsed.messages.size());
    std::uint8_t* out = block.data();
    for (const Message& m : parsed.messages) {
        extents.push_back({static_cast<std::size_t>(out - block.data()), m.length});
        *out++ = kSysExStart;
        for (const auto packet : m.packets) out = std::copy(packet.begin(), packet.end(), out);
        if (m.unfinished) *out++ = kSysExEnd;
    }
    store.replaceWithBlock(std::move(block), extents);
    store.setTimes(std::move(parsed.timesNs));
    return result;
}

LoadResult loadMidiFile(const std::string& path, LoadedMessages& store) {
    ByteBlock block;
    const std::size_t size = readWholeFile(path, block);
    return loadMidi({block.data(), size}, store, path);
}

LoadResult loadMessageFile(const std::string& path, LoadedMessages& store) {
    return isMidiFileName(path) ? loadMidiFile(path, store) : loadSyxFile(path, store);
}

SyxListing listMessageFile(const std::string& path) {
    if (!isMidiFileName(path)) return listSyxFile(path);
    // The messages are joined from their packets anyway: listed from a store.
    LoadedMessages store;
    const LoadResult loaded = loadMidiFile(path, store);
    SyxListing listing{{}, loaded.count, loaded.truncated, loaded.unfinished, loaded.escapes};
    for (const std::string& line : loadedLabels(store)) listing.lines += line + '\n';
    return listing;
}

std::string escapeWarning(const std::string& path, int escapes) {
    if (escapes == 0) return {};
    return text(Text::MidiEscapes, {path, std::to_string(escapes)});
}

}  // namespace pellum
