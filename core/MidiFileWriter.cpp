// Writing Standard MIDI Files, and the savers chosen by the file name.
#include <algorithm>

#include "core/AtomicFile.h"
#include "core/MidiFile.h"
#include "core/Pacing.h"

namespace pellum {
namespace {

// 120 beats a minute (the default tempo, written anyway for readers that want one) and 25,000
// ticks a beat: a tick is 20 us, so a byte's time on a MIDI cable (10 bits at 31,250 baud,
// 320 us) and a millisecond are both whole ticks.
constexpr std::uint32_t kTempoMicroseconds = 500000;
constexpr std::uint16_t kTicksPerBeat = 25000;
constexpr std::uint64_t kTicksPerCableByte = 16;
constexpr std::uint64_t kTicksPerMs = 50;
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

std::vector<std::uint8_t> midiFileBytes(const CaptureStore& store, long intervalMs) {
    std::vector<std::uint8_t> track{0x00, 0xFF, 0x51, 0x03};
    putBigEndian(track, kTempoMicroseconds, 3);
    std::uint64_t delta = 0;
    for (int i = 0; i < store.count(); ++i) {
        const auto message = store.message(i);
        if (i > 0)
            delta +=
                kTicksPerMs * std::min<std::uint64_t>(waitBeforeMessage(message.size(), intervalMs),
                                                      kLongestDelta);
        putNumber(track, delta);
        // The F0 is the event's status; the length counts the rest, the F7 included. Bytes that
        // do not start with F0 (a capture broken off) go out as they are, in an escape event.
        const bool sysex = !message.empty() && message[0] == 0xF0;
        track.push_back(sysex ? 0xF0 : 0xF7);
        const auto rest = message.subspan(sysex ? 1 : 0);
        putNumber(track, rest.size());
        track.insert(track.end(), rest.begin(), rest.end());
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

void saveMidiFile(const std::string& path, CaptureStore& store, ChannelOverride override,
                  long intervalMs) {
    // The override goes into the store first, as the file must hold what it then holds; taken
    // back out when the save fails. It changes byte 2 only.
    std::vector<std::uint8_t> channelBytes;
    if (override.on) {
        channelBytes.reserve(static_cast<std::size_t>(store.count()));
        for (int i = 0; i < store.count(); ++i) {
            const auto m = store.message(i);
            channelBytes.push_back(m.size() > 2 ? m[2] : 0);
            applyChannelOverride(m, override);
        }
    }
    try {
        writeFileAtomically(path, midiFileBytes(store, intervalMs));
    } catch (...) {
        for (std::size_t i = 0; i < channelBytes.size(); ++i)
            if (const auto m = store.message(static_cast<int>(i)); m.size() > 2)
                m[2] = channelBytes[i];
        throw;
    }
}

void saveMessageFile(const std::string& path, CaptureStore& store, ChannelOverride override,
                     long intervalMs) {
    if (isMidiFileName(path))
        saveMidiFile(path, store, override, intervalMs);
    else
        saveSyxFile(path, store, override);
}

}  // namespace pellum
