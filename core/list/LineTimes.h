// The times of the list's lines as the window shows them and files keep them. A capture's time is
// on the system clock, a Standard MIDI File line's from the song's start: times compare only
// within one recording (the captures, or the lines of one loaded file).
#pragma once

#include <cstdint>
#include <optional>
#include <vector>
#include <string>

#include "core/files/MidiFile.h"
#include "core/list/MessageList.h"

namespace pellum {

// Whether the two lines' times count on the same clock.
bool sameRecording(const ListLine& a, const ListLine& b);
// `line`'s time from the start of its recording: capture's start for a capture (`captureStartNs`,
// the system clock when capture began), the song's start for a file's line.
std::optional<std::int64_t> timeSinceStart(const ListLine& line, std::int64_t captureStartNs);
// The gap from `before` to `line`, when both have times of the same recording.
std::optional<std::int64_t> gapBetween(const ListLine& before, const ListLine& line);
// The times a Standard MIDI File of `lines` keeps: a file line's own, a capture's from the first
// capture among them; typed lines have none.
MessageTimes timesForFile(const std::vector<const ListLine*>& lines);
// Seconds to the millisecond, "12.345", or "-0.250" for a time before the start.
std::string secondsText(std::int64_t ns);

}  // namespace pellum
