// A Standard MIDI File's messages keep their times, through the tempo map or SMPTE frames, into
// the lines of the list; a .syx file's lines have none.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "core/files/LoadedMessages.h"
#include "core/files/MidiFile.h"
#include "core/files/SyxFile.h"
#include "core/list/MessageList.h"

using namespace pellum;
using Bytes = std::vector<std::uint8_t>;

namespace {

Bytes chunk(const char* name, const Bytes& body) {
    Bytes out(name, name + 4);
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<std::uint8_t>(body.size() >> shift));
    out.insert(out.end(), body.begin(), body.end());
    return out;
}

// Format 1: the tempo track, then SysEx of four bytes at each of `ticks` apart by `delta`.
Bytes song(std::uint16_t division, const Bytes& tempoTrack, int messages, std::uint8_t delta) {
    Bytes file = chunk("MThd", {0, 1, 0, 2, static_cast<std::uint8_t>(division >> 8),
                                static_cast<std::uint8_t>(division)});
    Bytes track;
    for (int k = 0; k < messages; ++k) {
        const Bytes event{k ? delta : std::uint8_t(0), 0xF0, 3, 0x7D, static_cast<std::uint8_t>(k), 0xF7};
        track.insert(track.end(), event.begin(), event.end());
    }
    for (const Bytes& t : {tempoTrack, track}) {
        Bytes body = t;
        body.insert(body.end(), {0, 0xFF, 0x2F, 0});
        const Bytes c = chunk("MTrk", body);
        file.insert(file.end(), c.begin(), c.end());
    }
    return file;
}

std::vector<std::int64_t> timesOf(const Bytes& file) {
    auto store = std::make_shared<LoadedMessages>();
    loadMidi(file, *store, "song.mid");
    std::vector<std::int64_t> times;
    for (const ListLine& line : MessageList::fileLines(store)) times.push_back(line.arrivalNs.value_or(-1));
    return times;
}

TEST(MidiFileTimes, LinesKeepTheirTimeThroughTempoChangesAndSmpteFrames) {
    // 96 ticks a quarter; 120 bpm (0.5 s a quarter), then from tick 192 on 240 bpm.
    const Bytes tempos{0, 0xFF, 0x51, 3, 0x07, 0xA1, 0x20, 0x81, 0x40, 0xFF, 0x51, 3, 0x03, 0xD0, 0x90};
    EXPECT_EQ(timesOf(song(96, tempos, 4, 96)),
              (std::vector<std::int64_t>{0, 500'000'000, 1'000'000'000, 1'250'000'000}));
    // No Set Tempo: 120 bpm. 25 frames of 40 ticks: a millisecond a tick, whatever the tempo.
    EXPECT_EQ(timesOf(song(480, {}, 2, 120)), (std::vector<std::int64_t>{0, 125'000'000}));
    EXPECT_EQ(timesOf(song(0xE728, tempos, 3, 100)),
              (std::vector<std::int64_t>{0, 100'000'000, 200'000'000}));

    LoadedMessages syx;
    loadSyx(Bytes{0xF0, 0x7D, 0x01, 0xF7}, syx);
    EXPECT_FALSE(syx.timeNs(0).has_value());
}

}  // namespace
