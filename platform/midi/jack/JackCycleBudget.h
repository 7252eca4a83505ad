// How much MIDI one JACK process cycle may carry on every JACK implementation. jackd2 holds
// 32,768 bytes per port buffer; PipeWire's JACK repacks each cycle into a 32,768-byte sequence
// (16 bytes, plus for each event 16 bytes and its size rounded up to 8) and drops the whole cycle,
// without a word, when it does not fit. Its libjack also corrupts its own record when an event is
// exactly jack_midi_max_event_size() bytes. A message goes as one event where a cycle holds it,
// as JACK clients write messages and many receivers read them; the pieces of a longer one are
// 1 KiB, 31 of which PipeWire carries a cycle (32,256 bytes of its sequence).
#pragma once

#include <algorithm>
#include <cstddef>

namespace pellum::midi {

class JackCycleBudget {
public:
    static constexpr std::size_t kEventBytes = 1024;
    static constexpr std::size_t kSequenceBytes = 32768;
    static constexpr std::size_t kSequenceHeader = 16;
    static constexpr std::size_t kEventHeader = 16;
    // A message that one event of a cycle of its own holds goes as that one event: on PipeWire
    // the sequence's header, one event's and the message take the whole 32,768 bytes at most.
    static constexpr std::size_t kLargestWholeEvent =
        kSequenceBytes - kSequenceHeader - kEventHeader;

    // A new cycle: nothing written yet.
    void reset() noexcept { used_ = kSequenceHeader; }

    // The largest event that may still be written this cycle, given the server's own
    // jack_midi_max_event_size() for the buffer; 0 when the cycle is full.
    std::size_t room(std::size_t serverMaxEvent,
                     std::size_t largestEvent = kEventBytes) const noexcept {
        const std::size_t left = kSequenceBytes - used_;
        const std::size_t packed =
            left > kEventHeader ? (left - kEventHeader) & ~std::size_t{7} : 0;
        // One byte under the server's maximum: PipeWire's reserve of the maximum breaks.
        const std::size_t server = serverMaxEvent > 0 ? serverMaxEvent - 1 : 0;
        return std::min({largestEvent, packed, server});
    }

    // Accounts for an event of `size` bytes written this cycle.
    void take(std::size_t size) noexcept { used_ += kEventHeader + ((size + 7) & ~std::size_t{7}); }

private:
    std::size_t used_ = kSequenceHeader;
};

}  // namespace pellum::midi
