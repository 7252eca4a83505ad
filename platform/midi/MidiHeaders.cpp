// The header rules shared by the emulated input driver and the services' outputs.
#include "platform/midi/MidiHeaders.h"

namespace pellum::midi {

namespace {

bool usable(const MIDIHDR* header, std::uint32_t headerSize, HeaderUse use) noexcept {
    if (header == nullptr || headerSize < sizeof(MIDIHDR)) return false;
    if (use == HeaderUse::input) return header->lpData != nullptr && header->dwBufferLength > 0;
    return header->lpData != nullptr || header->dwBufferLength == 0;
}

}  // namespace

MMRESULT prepareHeader(MIDIHDR* header, std::uint32_t headerSize, HeaderUse use) noexcept {
    if (!usable(header, headerSize, use)) return MMSYSERR_INVALPARAM;
    header->dwFlags |= MHDR_PREPARED;
    return MMSYSERR_NOERROR;
}

MMRESULT queueHeader(MIDIHDR* header, std::uint32_t headerSize, HeaderUse use) noexcept {
    if (!usable(header, headerSize, use)) return MMSYSERR_INVALPARAM;
    if (!(header->dwFlags & MHDR_PREPARED)) return MIDIERR_UNPREPARED;
    if (header->dwFlags & MHDR_INQUEUE) return MIDIERR_STILLPLAYING;
    if (use == HeaderUse::input) header->dwBytesRecorded = 0;
    header->dwFlags = (header->dwFlags & ~MHDR_DONE) | MHDR_INQUEUE;
    return MMSYSERR_NOERROR;
}

void returnHeader(MIDIHDR* header) noexcept {
    header->dwFlags = (header->dwFlags & ~MHDR_INQUEUE) | MHDR_DONE;
}

MMRESULT unprepareHeader(MIDIHDR* header, std::uint32_t headerSize) noexcept {
    if (header == nullptr || headerSize < sizeof(MIDIHDR)) return MMSYSERR_INVALPARAM;
    if (header->dwFlags & MHDR_INQUEUE) return MIDIERR_STILLPLAYING;
    header->dwFlags &= ~MHDR_PREPARED;
    return MMSYSERR_NOERROR;
}

}  // namespace pellum::midi
