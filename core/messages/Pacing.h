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

// As recorded: the gap the two messages came with, never less than the rule for the next one's
// length; without a recorded gap, that rule alone. In nanoseconds, so that a long run of
// schedules adds up without rounding.
inline std::int64_t waitAsRecordedNs(std::optional<std::int64_t> gapNs, std::size_t nextLength) {
    const std::int64_t rule = std::int64_t{waitBeforeMessage(nextLength)} * 1'000'000;
    return gapNs ? std::max(*gapNs, rule) : rule;
}

}  // namespace pellum
