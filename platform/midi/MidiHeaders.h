// The MIDIHDR bookkeeping of the emulated drivers, input buffers and output messages alike, so
// that every backend refuses the same calls with the same codes. A header is usable when it is
// there, the caller's size covers it and its data is there: an input buffer needs room, an
// output message may be empty. Queueing needs it prepared and not queued already; unpreparing
// is refused while it is queued. Nothing here locks: a driver whose headers another thread
// touches guards them itself.
#pragma once

#include <cstdint>

#include "platform/midi/MidiApi.h"

namespace pellum::midi {

enum class HeaderUse { input, output };

MMRESULT prepareHeader(MIDIHDR* header, std::uint32_t headerSize, HeaderUse use) noexcept;
// midiInAddBuffer (the buffer starts empty) and midiOutLongMsg: the header is the driver's
// until returnHeader.
MMRESULT queueHeader(MIDIHDR* header, std::uint32_t headerSize, HeaderUse use) noexcept;
// The driver is done with a queued header: the client's again, marked done.
void returnHeader(MIDIHDR* header) noexcept;
MMRESULT unprepareHeader(MIDIHDR* header, std::uint32_t headerSize) noexcept;

}  // namespace pellum::midi
