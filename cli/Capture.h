// Capturing what an input device receives into a .syx file, for `receive` and for the answer
// to `request --send`: the target is checked before listening, and the file is written in one
// go at the end; a write that fails still keeps the messages, in the temporary folder.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cli/Receiver.h"

namespace pellum::cli {

// Throws FileCreateError when `path` cannot be written. Said before listening, so the user does
// not wait for a capture that cannot be saved.
void checkWritable(const std::string& path);

struct Received {
    std::vector<std::vector<std::uint8_t>> messages;
    std::uint64_t broken = 0;  // messages left out because their start or end was lost
    bool deviceLost = false;   // the device went away before the end
};

// Takes whole messages until `count` arrived (0: no limit) or `quietSeconds` passed without
// data, with a progress line on standard error.
Received receiveUntilQuiet(SysexReceiver& receiver, long count, double quietSeconds);

// Writes the messages back to back to `path` and returns the exit status: 1, having said why,
// when fewer than `count` arrived, some were damaged or `dropped` bytes were lost, or the file
// could not be written (the messages are then saved in the temporary folder). Throws
// PellumError when nothing arrived from `source`.
int saveReceived(const std::string& path, const Received& received, long count,
                 std::uint64_t dropped, const std::string& source);

}  // namespace pellum::cli
