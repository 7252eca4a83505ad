// How long a run of messages waits between two of them, the same in the window and pellum-cli:
// the next message's length / 256 + 1 ms, so that a long one has time to be taken in, and never
// less than the wait the user asked for.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>

namespace pellum {

inline long waitBeforeMessage(std::size_t nextLength, long atLeastMs = 0) {
    return std::max(static_cast<long>(nextLength / 256 + 1), atLeastMs);
}

// As recorded: the gap the two messages came with, rounded up to whole milliseconds, never less
// than the rule for the next one's length; without a recorded gap, that rule alone.
inline long waitAsRecorded(std::optional<std::int64_t> gapNs, std::size_t nextLength) {
    const long rule = waitBeforeMessage(nextLength);
    if (!gapNs || *gapNs <= 0) return rule;
    return std::max(static_cast<long>((*gapNs + 999'999) / 1'000'000), rule);
}

}  // namespace pellum
