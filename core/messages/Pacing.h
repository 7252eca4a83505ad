// How long a run of messages waits between two of them, the same in the window and pellum-cli:
// the next message's length / 256 + 1 ms, so that a long one has time to be taken in, and never
// less than the wait the user asked for.
#pragma once

#include <algorithm>
#include <cstddef>

namespace pellum {

inline long waitBeforeMessage(std::size_t nextLength, long atLeastMs = 0) {
    return std::max(static_cast<long>(nextLength / 256 + 1), atLeastMs);
}

}  // namespace pellum
