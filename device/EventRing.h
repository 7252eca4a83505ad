// The event ring: a fixed-capacity FIFO of records carried from the driver thread (the only
// producer, through ringPut) to the window thread (the only consumer). No lock: `count` is the
// one field both sides change, and its acquire/release operations order the slot contents.
#pragma once

#include <atomic>
#include <cstdint>

#include "device/FixedAddressBlocks.h"
#include "platform/midi/MidiApi.h"

namespace pellum::device {

struct RingRecord {
    std::uint32_t stamp;         // milliseconds since input started
    std::uint32_t shortData;     // packed short message; 0 for a SysEx buffer
    midi::MIDIHDR* sysexHeader;  // the returned SysEx buffer; nullptr for a short message
};

struct EventRing {
    SharedBlockHandle blockHandle;
    SharedBlockHandle recordsHandle;
    RingRecord* first;
    RingRecord* limit;
    RingRecord* writeSlot;  // moved by the producer only
    RingRecord* readSlot;   // moved by the consumer only
    std::uint16_t capacity;
    std::atomic<std::uint16_t> count;
};

// A ring of `capacity` slots in two shared blocks, or nullptr (capacity 0 included).
EventRing* createRing(std::uint16_t capacity) noexcept;
void freeRing(EventRing* ring) noexcept;
// Consumer side: copy the oldest record, then remove it once finished with it.
bool ringPeek(const EventRing* ring, RingRecord& record) noexcept;
bool ringRemove(EventRing* ring) noexcept;
// Records waiting, as the consumer sees them.
std::uint16_t ringCount(const EventRing* ring) noexcept;

}  // namespace pellum::device
