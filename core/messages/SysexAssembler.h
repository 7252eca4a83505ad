// Joins the SysEx buffers an input hands back into whole messages, with one set of rules for the
// window and pellum-cli: a message may run on through several buffers; one longer than a list or
// a .syx file may hold is left out and told once; one that lost its end or its start (an empty
// buffer the driver broke off, an F0 before the F7, an F7 without an F0) is left out as broken.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "core/files/LoadedMessages.h"

namespace pellum {

class SysexAssembler {
public:
    enum class Verdict { whole, tooLong, broken };
    struct Outcome {
        Verdict verdict = Verdict::whole;
        std::vector<std::uint8_t> bytes;  // a whole message only
        std::int64_t arrivalNs = 0;       // when the buffer holding its F0 arrived
    };

    explicit SysexAssembler(std::size_t maxBytes = LoadedMessages::kMaxMessageBytes)
        : maxBytes_(maxBytes) {}

    // One buffer as the driver handed it back (empty: the driver broke a message off there),
    // arrived at `arrivalNs`. Returns what it ended, oldest first; a too-long message is told
    // when it passes the limit.
    std::vector<Outcome> take(std::span<const std::uint8_t> buffer, std::int64_t arrivalNs);
    // Input has ended: a message still unfinished is broken.
    std::vector<Outcome> finish();
    // A message has begun and not ended (nor been left out as too long).
    bool unfinished() const { return inMessage_ && !tooLong_; }

private:
    void breakOff(std::vector<Outcome>& out);

    const std::size_t maxBytes_;
    std::vector<std::uint8_t> partial_;
    std::int64_t startNs_ = 0;
    bool inMessage_ = false;
    bool tooLong_ = false;  // the rest of a too-long message is skipped up to its end
};

}  // namespace pellum
