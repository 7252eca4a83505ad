// Capturing what an input device receives into a .syx file, for `receive` and for the answer
// to `request --send`. Whole messages go to a file beside the target as they arrive (memory stays
// flat however long the dump, and a hard kill leaves them on disk); the target is replaced by it
// when the capture ends.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "cli/Receiver.h"
#include "core/files/AtomicFile.h"
#include "platform/midi/MidiService.h"

namespace pellum::cli {

// Throws FileCreateError when `path` cannot be written. Said before listening, so the user does
// not wait for a capture that cannot be saved.
void checkWritable(const std::string& path);

// The exit status of a capture whose device went away before it ended, with every message that
// arrived whole and kept.
inline constexpr int kExitDeviceGone = 3;

struct Received {
    std::uint64_t messages = 0;
    std::uint64_t broken = 0;        // messages left out because their start or end was lost
    std::uint64_t tooLong = 0;       // messages left out for being longer than Pellum keeps
    std::uint64_t dropped = 0;       // bytes lost on the way
    std::uint64_t gaps = 0;          // places where the input fell behind inside a message
    std::uint64_t possibleGaps = 0;  // ... between messages while data was coming
    bool deviceLost = false;         // the device went away before the end
    int signal = 0;                  // the user's stop, or 0
};

class Capture {
public:
    // Opens "<path>.<pid>.partial" beside `path`; throws FileCreateError when it cannot. A
    // Standard MIDI File (by its name) is written at the end with each message at the time it
    // arrived; meanwhile the partial file holds the messages as a .syx file does. `printTimes`:
    // each message's time from the start of input goes to standard output as it comes.
    explicit Capture(const std::string& path, bool printTimes = false);

    // Takes whole messages until `count` arrived (0: no limit), `quietSeconds` passed without
    // data, the device went away or the user stopped it, with a progress line on standard
    // error; then closes the input and returns what happened.
    Received receive(SysexReceiver& receiver, long count, double quietSeconds,
                     const midi::MidiService& service);

    // Puts the capture in place and returns the exit status: 1, having said why, when fewer
    // than `count` arrived, some were damaged or lost, or the file could not be written (what
    // arrived then stays in the partial file, whose path is shown), or nothing arrived from
    // `source`; else kExitDeviceGone when the device went away before the capture ended.
    int finish(const Received& received, long count, const std::string& source);

private:
    void writeMidiCapture();
    // Says how the input ended and what was lost on the way; true when something was.
    static bool tellEnd(const Received& received);

    std::string path_;
    std::unique_ptr<AtomicFileWriter> file_;
    bool writeFailed_ = false;
    std::uint64_t written_ = 0;  // messages in the partial file
    const bool midiFile_;
    const bool printTimes_;
    std::uint64_t timed_ = 0;  // messages whose time was printed
    // For a Standard MIDI File: every message kept and when it came.
    std::vector<SysexReceiver::Message> kept_;
};

}  // namespace pellum::cli
