// winmm passed through. The service's records are laid out as winmm's own (checked below), so
// headers and capability records go to winmm as they are; only handles are wrapped.
#include "platform/midi/winmm/WinMmService.h"

#include <windows.h>
// winmm after the types it is written in.
#include <mmsystem.h>

#include <cstddef>
#include <string>

#include "platform/midi/WideText.h"

namespace pellum::midi {

namespace {

#define PELLUM_SAME_FIELD(ours, theirs, field)                        \
    static_assert(offsetof(ours, field) == offsetof(theirs, field) && \
                  sizeof(ours::field) == sizeof(theirs::field))

static_assert(sizeof(MIDIHDR) == sizeof(::MIDIHDR));
PELLUM_SAME_FIELD(MIDIHDR, ::MIDIHDR, lpData);
PELLUM_SAME_FIELD(MIDIHDR, ::MIDIHDR, dwBufferLength);
PELLUM_SAME_FIELD(MIDIHDR, ::MIDIHDR, dwBytesRecorded);
PELLUM_SAME_FIELD(MIDIHDR, ::MIDIHDR, dwUser);
PELLUM_SAME_FIELD(MIDIHDR, ::MIDIHDR, dwFlags);
PELLUM_SAME_FIELD(MIDIHDR, ::MIDIHDR, lpNext);
PELLUM_SAME_FIELD(MIDIHDR, ::MIDIHDR, reserved);
PELLUM_SAME_FIELD(MIDIHDR, ::MIDIHDR, dwOffset);
PELLUM_SAME_FIELD(MIDIHDR, ::MIDIHDR, dwReserved);
static_assert(sizeof(MIDIINCAPSA) == sizeof(::MIDIINCAPSA));
PELLUM_SAME_FIELD(MIDIINCAPSA, ::MIDIINCAPSA, szPname);
PELLUM_SAME_FIELD(MIDIINCAPSA, ::MIDIINCAPSA, dwSupport);
static_assert(sizeof(MIDIOUTCAPSA) == sizeof(::MIDIOUTCAPSA));
PELLUM_SAME_FIELD(MIDIOUTCAPSA, ::MIDIOUTCAPSA, szPname);
PELLUM_SAME_FIELD(MIDIOUTCAPSA, ::MIDIOUTCAPSA, dwSupport);
#undef PELLUM_SAME_FIELD

::MIDIHDR* native(MIDIHDR* header) {
    return reinterpret_cast<::MIDIHDR*>(header);
}

std::string utf8(const wchar_t* text, std::size_t maxLength) {
    return utf8FromWide(std::wstring_view(text, wcsnlen(text, maxLength)));
}

}  // namespace

class WinMmService::InPort final : public MidiInPort {
public:
    InPort(MidiInProc callback, std::uintptr_t instance) : callback(callback), instance(instance) {}

    // winmm's callback: on the driver's thread, so it only forwards, with the caller's handle.
    static void CALLBACK forward(::HMIDIIN, UINT msg, DWORD_PTR self, DWORD_PTR param1,
                                 DWORD_PTR param2) noexcept {
        auto* port = reinterpret_cast<InPort*>(self);
        if (port->callback != nullptr) port->callback(port, msg, port->instance, param1, param2);
    }

    ::HMIDIIN native = nullptr;
    const MidiInProc callback;
    const std::uintptr_t instance;
};

class WinMmService::OutPort final : public MidiOutPort {
public:
    ::HMIDIOUT native = nullptr;
};

WinMmService::WinMmService() = default;

WinMmService::~WinMmService() {
    // A caller that forgot a port: close it, so that no driver thread calls into freed memory.
    for (InPort* port : inPorts_) {
        ::midiInReset(port->native);
        ::midiInClose(port->native);
        delete port;
    }
    for (OutPort* port : outPorts_) {
        ::midiOutReset(port->native);
        ::midiOutClose(port->native);
        delete port;
    }
}

WinMmService::InPort* WinMmService::ownIn(HMIDIIN handle) {
    std::lock_guard lock(portsMutex_);
    auto* port = static_cast<InPort*>(handle);
    return inPorts_.count(port) != 0 ? port : nullptr;
}

WinMmService::OutPort* WinMmService::ownOut(HMIDIOUT handle) {
    std::lock_guard lock(portsMutex_);
    auto* port = static_cast<OutPort*>(handle);
    return outPorts_.count(port) != 0 ? port : nullptr;
}

std::uint32_t WinMmService::midiInGetNumDevs() {
    return ::midiInGetNumDevs();
}

MMRESULT WinMmService::midiInGetDevCapsA(std::uintptr_t deviceId, MIDIINCAPSA* caps,
                                         std::uint32_t capsSize) {
    return ::midiInGetDevCapsA(deviceId, reinterpret_cast<::MIDIINCAPSA*>(caps), capsSize);
}

MMRESULT WinMmService::midiInOpen(HMIDIIN* handle, std::uint32_t deviceId, MidiInProc callback,
                                  std::uintptr_t instance, std::uint32_t flags) {
    if (handle == nullptr) return MMSYSERR_INVALPARAM;
    const std::uint32_t kind = flags & CALLBACK_TYPEMASK;
    if (kind != CALLBACK_FUNCTION && kind != CALLBACK_NULL) return MMSYSERR_INVALFLAG;
    if (kind == CALLBACK_NULL) callback = nullptr;
    // The port exists before winmm does: MIM_OPEN arrives during the open.
    auto port = std::make_unique<InPort>(callback, instance);
    const MMRESULT result = ::midiInOpen(
        &port->native, deviceId, reinterpret_cast<DWORD_PTR>(&InPort::forward),
        reinterpret_cast<DWORD_PTR>(port.get()), CALLBACK_FUNCTION | (flags & ~CALLBACK_TYPEMASK));
    if (result != MMSYSERR_NOERROR) return result;
    std::lock_guard lock(portsMutex_);
    inPorts_.insert(port.get());
    *handle = port.release();
    return MMSYSERR_NOERROR;
}

MMRESULT WinMmService::midiInPrepareHeader(HMIDIIN handle, MIDIHDR* header,
                                           std::uint32_t headerSize) {
    InPort* port = ownIn(handle);
    if (port == nullptr) return MMSYSERR_INVALHANDLE;
    return ::midiInPrepareHeader(port->native, native(header), headerSize);
}

MMRESULT WinMmService::midiInAddBuffer(HMIDIIN handle, MIDIHDR* header, std::uint32_t headerSize) {
    InPort* port = ownIn(handle);
    if (port == nullptr) return MMSYSERR_INVALHANDLE;
    return ::midiInAddBuffer(port->native, native(header), headerSize);
}

MMRESULT WinMmService::midiInStart(HMIDIIN handle) {
    InPort* port = ownIn(handle);
    return port == nullptr ? MMSYSERR_INVALHANDLE : ::midiInStart(port->native);
}

MMRESULT WinMmService::midiInReset(HMIDIIN handle) {
    InPort* port = ownIn(handle);
    return port == nullptr ? MMSYSERR_INVALHANDLE : ::midiInReset(port->native);
}

MMRESULT WinMmService::midiInUnprepareHeader(HMIDIIN handle, MIDIHDR* header,
                                             std::uint32_t headerSize) {
    InPort* port = ownIn(handle);
    if (port == nullptr) return MMSYSERR_INVALHANDLE;
    return ::midiInUnprepareHeader(port->native, native(header), headerSize);
}

MMRESULT WinMmService::midiInClose(HMIDIIN handle) {
    InPort* port = ownIn(handle);
    if (port == nullptr) return MMSYSERR_INVALHANDLE;
    // MIM_CLOSE comes during the close: the port goes only after it.
    const MMRESULT result = ::midiInClose(port->native);
    if (result != MMSYSERR_NOERROR) return result;
    {
        std::lock_guard lock(portsMutex_);
        inPorts_.erase(port);
    }
    delete port;
    return MMSYSERR_NOERROR;
}

MMRESULT WinMmService::midiInGetErrorTextA(MMRESULT code, char* text, std::uint32_t textSize) {
    return ::midiInGetErrorTextA(code, text, textSize);
}

std::uint32_t WinMmService::midiOutGetNumDevs() {
    return ::midiOutGetNumDevs();
}

MMRESULT WinMmService::midiOutGetDevCapsA(std::uintptr_t deviceId, MIDIOUTCAPSA* caps,
                                          std::uint32_t capsSize) {
    return ::midiOutGetDevCapsA(deviceId, reinterpret_cast<::MIDIOUTCAPSA*>(caps), capsSize);
}

MMRESULT WinMmService::midiOutOpen(HMIDIOUT* handle, std::uint32_t deviceId,
                                   std::uintptr_t callback, std::uintptr_t instance,
                                   std::uint32_t flags) {
    if (handle == nullptr) return MMSYSERR_INVALPARAM;
    // Output completion is never waited on through a callback: the port polls MHDR_DONE.
    if ((flags & CALLBACK_TYPEMASK) != CALLBACK_NULL) return MMSYSERR_INVALFLAG;
    (void)callback;
    (void)instance;
    auto port = std::make_unique<OutPort>();
    const MMRESULT result = ::midiOutOpen(&port->native, deviceId, 0, 0, flags);
    if (result != MMSYSERR_NOERROR) return result;
    std::lock_guard lock(portsMutex_);
    outPorts_.insert(port.get());
    *handle = port.release();
    return MMSYSERR_NOERROR;
}

MMRESULT WinMmService::midiOutPrepareHeader(HMIDIOUT handle, MIDIHDR* header,
                                            std::uint32_t headerSize) {
    OutPort* port = ownOut(handle);
    if (port == nullptr) return MMSYSERR_INVALHANDLE;
    return ::midiOutPrepareHeader(port->native, native(header), headerSize);
}

MMRESULT WinMmService::midiOutLongMsg(HMIDIOUT handle, MIDIHDR* header, std::uint32_t headerSize) {
    OutPort* port = ownOut(handle);
    if (port == nullptr) return MMSYSERR_INVALHANDLE;
    return ::midiOutLongMsg(port->native, native(header), headerSize);
}

MMRESULT WinMmService::midiOutUnprepareHeader(HMIDIOUT handle, MIDIHDR* header,
                                              std::uint32_t headerSize) {
    OutPort* port = ownOut(handle);
    if (port == nullptr) return MMSYSERR_INVALHANDLE;
    return ::midiOutUnprepareHeader(port->native, native(header), headerSize);
}

MMRESULT WinMmService::midiOutClose(HMIDIOUT handle) {
    OutPort* port = ownOut(handle);
    if (port == nullptr) return MMSYSERR_INVALHANDLE;
    const MMRESULT result = ::midiOutClose(port->native);
    if (result != MMSYSERR_NOERROR) return result;
    {
        std::lock_guard lock(portsMutex_);
        outPorts_.erase(port);
    }
    delete port;
    return MMSYSERR_NOERROR;
}

MMRESULT WinMmService::midiOutGetErrorTextA(MMRESULT code, char* text, std::uint32_t textSize) {
    return ::midiOutGetErrorTextA(code, text, textSize);
}

std::string WinMmService::midiInDeviceName(std::uint32_t deviceId) {
    MIDIINCAPSW caps{};
    if (::midiInGetDevCapsW(deviceId, &caps, sizeof caps) != MMSYSERR_NOERROR) return {};
    return utf8(caps.szPname, MAXPNAMELEN);
}

std::string WinMmService::midiOutDeviceName(std::uint32_t deviceId) {
    MIDIOUTCAPSW caps{};
    if (::midiOutGetDevCapsW(deviceId, &caps, sizeof caps) != MMSYSERR_NOERROR) return {};
    return utf8(caps.szPname, MAXPNAMELEN);
}

}  // namespace pellum::midi
