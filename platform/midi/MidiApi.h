// The winmm-shaped vocabulary of the MIDI service: result codes, callback messages, header flags,
// the buffer header, capability records and handles. Every backend speaks it, so a winmm
// pass-through needs no translation. Include this before <windows.h>: winmm defines the same
// names as macros with the same values.
#pragma once

#include <cstddef>
#include <cstdint>

namespace pellum::midi {

using MMRESULT = std::uint32_t;

// Result codes.
inline constexpr MMRESULT MMSYSERR_NOERROR = 0;
inline constexpr MMRESULT MMSYSERR_ERROR = 1;
inline constexpr MMRESULT MMSYSERR_BADDEVICEID = 2;
inline constexpr MMRESULT MMSYSERR_NOTENABLED = 3;
inline constexpr MMRESULT MMSYSERR_ALLOCATED = 4;
inline constexpr MMRESULT MMSYSERR_INVALHANDLE = 5;
inline constexpr MMRESULT MMSYSERR_NODRIVER = 6;
inline constexpr MMRESULT MMSYSERR_NOMEM = 7;
inline constexpr MMRESULT MMSYSERR_NOTSUPPORTED = 8;
inline constexpr MMRESULT MMSYSERR_BADERRNUM = 9;
inline constexpr MMRESULT MMSYSERR_INVALFLAG = 10;
inline constexpr MMRESULT MMSYSERR_INVALPARAM = 11;
inline constexpr MMRESULT MMSYSERR_HANDLEBUSY = 12;
inline constexpr MMRESULT MMSYSERR_INVALIDALIAS = 13;
inline constexpr MMRESULT MMSYSERR_BADDB = 14;
inline constexpr MMRESULT MMSYSERR_KEYNOTFOUND = 15;
inline constexpr MMRESULT MMSYSERR_READERROR = 16;
inline constexpr MMRESULT MMSYSERR_WRITEERROR = 17;
inline constexpr MMRESULT MMSYSERR_DELETEERROR = 18;
inline constexpr MMRESULT MMSYSERR_VALNOTFOUND = 19;
inline constexpr MMRESULT MMSYSERR_NODRIVERCB = 20;
inline constexpr MMRESULT MMSYSERR_MOREDATA = 21;
inline constexpr MMRESULT MIDIERR_UNPREPARED = 64;
inline constexpr MMRESULT MIDIERR_STILLPLAYING = 65;
inline constexpr MMRESULT MIDIERR_NOMAP = 66;
inline constexpr MMRESULT MIDIERR_NOTREADY = 67;
inline constexpr MMRESULT MIDIERR_NODEVICE = 68;
inline constexpr MMRESULT MIDIERR_INVALIDSETUP = 69;
inline constexpr MMRESULT MIDIERR_BADOPENMODE = 70;
inline constexpr MMRESULT MIDIERR_DONT_CONTINUE = 71;
// Our own, beyond winmm's codes: a MIDI server of the system (JACK, PipeWire) went away or
// stopped running cycles, so bytes handed to it may never have been delivered.
inline constexpr MMRESULT kMidiServerStopped = 0x200;
// The destination port went away or was disconnected by someone else: bytes sent to it now
// reach nobody.
inline constexpr MMRESULT kMidiDestinationGone = 0x201;

// Messages passed to an input callback.
inline constexpr std::uint32_t MIM_OPEN = 961;
inline constexpr std::uint32_t MIM_CLOSE = 962;
inline constexpr std::uint32_t MIM_DATA = 963;
inline constexpr std::uint32_t MIM_LONGDATA = 964;
inline constexpr std::uint32_t MIM_ERROR = 965;
inline constexpr std::uint32_t MIM_LONGERROR = 966;
inline constexpr std::uint32_t MIM_MOREDATA = 972;

// Messages passed to an output callback.
inline constexpr std::uint32_t MOM_OPEN = 967;
inline constexpr std::uint32_t MOM_CLOSE = 968;
inline constexpr std::uint32_t MOM_DONE = 969;

// midiInOpen / midiOutOpen flags.
inline constexpr std::uint32_t CALLBACK_TYPEMASK = 0x00070000;
inline constexpr std::uint32_t CALLBACK_NULL = 0x00000000;
inline constexpr std::uint32_t CALLBACK_WINDOW = 0x00010000;
inline constexpr std::uint32_t CALLBACK_THREAD = 0x00020000;
inline constexpr std::uint32_t CALLBACK_FUNCTION = 0x00030000;
inline constexpr std::uint32_t CALLBACK_EVENT = 0x00050000;
inline constexpr std::uint32_t MIDI_IO_STATUS = 0x00000020;

// MIDIHDR::dwFlags.
inline constexpr std::uint32_t MHDR_DONE = 0x00000001;
inline constexpr std::uint32_t MHDR_PREPARED = 0x00000002;
inline constexpr std::uint32_t MHDR_INQUEUE = 0x00000004;
inline constexpr std::uint32_t MHDR_ISSTRM = 0x00000008;

inline constexpr std::size_t MAXPNAMELEN = 32;
inline constexpr std::size_t MAXERRORLENGTH = 256;
inline constexpr std::uint16_t MM_UNMAPPED = 0xFFFF;
inline constexpr std::uint16_t MOD_MIDIPORT = 1;

// winmm packs its records to single bytes (on 64-bit Windows that moves MIDIHDR::lpNext and
// what follows); the records here are laid out the same there, so they pass to winmm as they are.
#if defined(_WIN32)
#pragma pack(push, 1)
#endif

// One buffer handed to the driver: a SysEx input buffer or a long message to send.
struct MIDIHDR {
    char* lpData;
    std::uint32_t dwBufferLength;
    std::uint32_t dwBytesRecorded;
    std::uintptr_t dwUser;
    std::uint32_t dwFlags;
    MIDIHDR* lpNext;
    std::uintptr_t reserved;
    std::uint32_t dwOffset;
    std::uintptr_t dwReserved[8];
};

struct MIDIINCAPSA {
    std::uint16_t wMid;
    std::uint16_t wPid;
    std::uint32_t vDriverVersion;
    char szPname[MAXPNAMELEN];
    std::uint32_t dwSupport;
};
static_assert(sizeof(MIDIINCAPSA) == 44);

struct MIDIOUTCAPSA {
    std::uint16_t wMid;
    std::uint16_t wPid;
    std::uint32_t vDriverVersion;
    char szPname[MAXPNAMELEN];
    std::uint16_t wTechnology;
    std::uint16_t wVoices;
    std::uint16_t wNotes;
    std::uint16_t wChannelMask;
    std::uint32_t dwSupport;
};
static_assert(sizeof(MIDIOUTCAPSA) == 52);

#if defined(_WIN32)
#pragma pack(pop)
#endif

// Handles are the backends' own port objects; a backend checks that a handle is one of its own.
class MidiInPort {
public:
    virtual ~MidiInPort() = default;

protected:
    MidiInPort() = default;
};

class MidiOutPort {
public:
    virtual ~MidiOutPort() = default;

protected:
    MidiOutPort() = default;
};

using HMIDIIN = MidiInPort*;
using HMIDIOUT = MidiOutPort*;

// The input callback. It runs on the service's own thread and must return quickly.
using MidiInProc = void (*)(HMIDIIN handle, std::uint32_t msg, std::uintptr_t instance,
                            std::uintptr_t param1, std::uintptr_t param2) noexcept;

}  // namespace pellum::midi
