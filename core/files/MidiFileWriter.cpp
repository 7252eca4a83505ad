// Writing Standard MIDI Files, and the savers chosen by the file name.
#include <algorithm>

#include "core/files/AtomicFile.h"
#include "core/files/MidiFile.h"
#include "core/messages/Pacing.h"

namespace pellum {
namespace {

// 120 beats a minute (the default tempo, written anyway for readers that want one) and 25,000
// ticks a beat: a tick is 20 us, so a byte's time on a MIDI cable (10 bits at 31,250 baud,
// 320 us) and a millisecond are both whole ticks.
constexpr std::uint32_t kTempoMicroseconds = 500000;
constexpr std::uint16_t kTicksPerBeat = 25000;
constexpr std::uint64_t kTicksPerCableByte = 16;
constexpr std::uint64_t kTicksPerMs = 50;
constexpr std::int64_t kNsPerTick = 20'000;
constexpr std::uint64_t kLongestDelta = 0x0FFFFFFF;  // four bytes of a variable-length number

void putBigEndian(std::vector<std::uint8_t>& out, std::uint32_t value, int bytes) {
    for (int i = bytes - 1; i >= 0; --i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

void putNumber(std::vector<std::uint8_t>& out, std::uint64_t value) {
    const auto v = static_cast<std::uint32_t>(std::min(value, kLongestDelta));
    for (int shift = 21; shift > 0; shift -= 7)
        if (v >> shift) out.push_back(static_cast<std::uint8_t>(0x80 | ((v >> shift) & 0x7F)));
    out.push_back(static_cast<std::uint8_t>(v & 0x7F));
}

}  // namespace

std::vector<std::uint8_t> midiFileBytes(const LoadedMessages& store, long intervalMs) {
    return midiFileBytes(messageSpans(store), intervalMs);
}

MessageTimes storeTimes(const LoadedMessages& store) {
    MessageTimes times;
    if (!store.timeNs(0)) return times;
    for (int i = 0; i < store.count(); ++i) times.push_back(store.timeNs(i));
    return times;
}

std::vector<std::uint8_t> midiFileBytes(const MessageSpans& messages, long intervalMs,
                                        ChannelOverride override, const MessageTimes& times) {
    std::vector<std::uint8_t> track{0x00, 0xFF, 0x51, 0x03};
    putBigEndian(track, kTempoMicroseconds, 3);
    std::uint64_t delta = 0;
    std::uint64_t at = 0;  // the tick of the message ahead
    for (std::size_t i = 0; i < messages.size(); ++i) {
        const auto message = messages[i];
        const std::optional<std::int64_t> time = i < times.size() ? times[i] : std::nullopt;
        if (time) {
            // Events keep their order: a time before the one ahead (lines moved) goes with it.
            const auto tick = static_cast<std::uint64_t>(std::max<std::int64_t>(*time, 0) / kNsPerTick);
            delta = std::max(tick, at) - at;
        } else if (i > 0) {
            delta +=
                kTicksPerMs * std::min<std::uint64_t>(waitBeforeMessage(message.size(), intervalMs),
                                                      kLongestDelta);
        }
        at += std::min(delta, kLongestDelta);
        putNumber(track, delta);
        // The F0 is the event's status; the length counts the rest, the F7 included. Bytes that
        // do not start with F0 (a capture broken off) go out as they are, in an escape event.
        const bool sysex = !message.empty() && message[0] == 0xF0;
        track.push_back(sysex ? 0xF0 : 0xF7);
        const auto rest = message.subspan(sysex ? 1 : 0);
        putNumber(track, rest.size());
        const std::size_t start = track.size() - (sysex ? 1 : 0);  // of the message itself
        track.insert(track.end(), rest.begin(), rest.end());
        if (message.size() >= 3) {
            std::uint8_t head[3] = {message[0], message[1], message[2]};
            applyChannelOverride(head, override);
            track[start + 2] = head[2];
        }
        delta = kTicksPerCableByte * message.size();
    }
    putNumber(track, delta);
    track.insert(track.end(), {0xFF, 0x2F, 0x00});

    std::vector<std::uint8_t> file{'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 0, 0, 1};
    putBigEndian(file, kTicksPerBeat, 2);
    file.insert(file.end(), {'M', 'T', 'r', 'k'});
    putBigEndian(file, static_cast<std::uint32_t>(track.size()), 4);
    file.insert(file.end(), track.begin(), track.end());
    return file;
}

void saveMidiFile(const std::string& path, LoadedMessages& store, ChannelOverride override,
                  long intervalMs) {
    writeFileAtomically(path,
                        midiFileBytes(messageSpans(store), intervalMs, override, storeTimes(store)));
    // The store keeps what the file got, once the file exists.
    for (int i = 0; i < store.count(); ++i) applyChannelOverride(store.message(i), override);
}

void saveMessageFile(const std::string& path, LoadedMessages& store, ChannelOverride override,
                     long intervalMs) {
    if (isMidiFileName(path))
        saveMidiFile(path, store, override, intervalMs);
    else
        saveSyxFile(path, store, override);
}

void writeMessageFile(const std::string& path, const MessageSpans& messages,
                      ChannelOverride override, long intervalMs, const MessageTimes& times) {
    if (isMidiFileName(path))
        writeFileAtomically(path, midiFileBytes(messages, intervalMs, override, times));
    else
        writeSyxFile(path, messages, override);
}

}  // namespace pellum
