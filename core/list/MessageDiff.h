// Two lists of messages side by side, A and B (two files, or the SysEx list and a file): which
// messages pair up, and which bytes of a pair differ. `pellum-cli diff` prints it, the window's
// Compare With File marks it.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "core/files/SyxFile.h"

namespace pellum {

// A message of A and its partner in B, or a message only one of them holds (the other row -1).
struct MessagePair {
    int a = -1;
    int b = -1;
    bool same = false;  // both there, byte for byte equal
};

struct MessageComparison {
    // Both were Roland DT1 sets, paired by model and address rather than by place.
    bool byAddress = false;
    // Every message of A and of B once, in the order they are told.
    std::vector<MessagePair> pairs;
    bool same() const;
};

// Messages pair by place: those equal in both anchor the two lists as `diff --patience` anchors
// lines (the equal first and last ones, then those each list holds once, in an order both keep),
// and between two anchors the others pair in order, the longer side's rest in one list only.
// When every message of both is a Roland DT1 (rolandDataSet), the k-th message of A at a model and
// address pairs with the k-th of B there instead: in A's order, then what only B holds, in B's.
MessageComparison compareMessages(const MessageSpans& a, const MessageSpans& b);

struct ByteChange {
    std::size_t offset = 0;
    int before = -1;  // -1: A's message ends before the offset
    int after = -1;   // -1: B's does
    // The byte's Roland DT1 address, where both messages are DT1s of one model and address and
    // the byte is data in either; empty otherwise.
    std::vector<std::uint8_t> address;
};

// Every offset where the two messages differ, a byte only one of them has included.
std::vector<ByteChange> byteChanges(std::span<const std::uint8_t> a,
                                    std::span<const std::uint8_t> b);

}  // namespace pellum
