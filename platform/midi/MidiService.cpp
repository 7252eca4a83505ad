// Result-code texts shared by every backend, so the user reads the same message whichever
// service runs underneath.
#include "platform/midi/MidiService.h"

#include <algorithm>
#include <cstring>
#include <iterator>

namespace pellum::midi {

namespace {

struct CodeText {
    MMRESULT code;
    const char* text;
};

constexpr CodeText kTexts[] = {
    {MMSYSERR_NOERROR, "The specified command was carried out."},
    {MMSYSERR_ERROR, "Undefined external error."},
    {MMSYSERR_BADDEVICEID, "A device ID has been used that is out of range for your system."},
    {MMSYSERR_NOTENABLED, "The driver was not enabled."},
    {MMSYSERR_ALLOCATED,
     "The specified device is already in use. Wait until it is free, and then try again."},
    {MMSYSERR_INVALHANDLE, "The specified device handle is invalid."},
    {MMSYSERR_NODRIVER, "There is no driver installed on your system."},
    {MMSYSERR_NOMEM, "There is not enough memory available for this task."},
    {MMSYSERR_NOTSUPPORTED, "This function is not supported by the driver."},
    {MMSYSERR_BADERRNUM, "An error number was specified that is not defined in the system."},
    {MMSYSERR_INVALFLAG, "An invalid flag was passed to a system function."},
    {MMSYSERR_INVALPARAM, "An invalid parameter was passed to a system function."},
    {MMSYSERR_HANDLEBUSY, "The handle is being used simultaneously on another thread."},
    {MMSYSERR_INVALIDALIAS, "The specified alias was not found."},
    {MMSYSERR_BADDB, "The registry database is corrupt."},
    {MMSYSERR_KEYNOTFOUND, "The specified registry key was not found."},
    {MMSYSERR_READERROR, "The registry could not be opened or could not be read."},
    {MMSYSERR_WRITEERROR, "The registry could not be written to."},
    {MMSYSERR_DELETEERROR, "The specified registry key could not be deleted."},
    {MMSYSERR_VALNOTFOUND, "The specified registry key value could not be found."},
    {MMSYSERR_NODRIVERCB, "The driver did not generate a valid callback."},
    {MMSYSERR_MOREDATA, "More data is to be returned."},
    {MIDIERR_UNPREPARED,
     "The MIDI header was not prepared. Use the Prepare function to prepare the header, and "
     "then try again."},
    {MIDIERR_STILLPLAYING,
     "Cannot perform this operation while media data is still playing. Reset the device, or "
     "wait until the data is finished playing."},
    {MIDIERR_NOMAP, "A MIDI map was not found."},
    {MIDIERR_NOTREADY,
     "The port is transmitting data to the device. Wait until the data has been transmitted, "
     "and then try again."},
    {MIDIERR_NODEVICE, "The current MIDI setup refers to a MIDI device that is not installed."},
    {MIDIERR_INVALIDSETUP, "The current MIDI setup is damaged."},
    {MIDIERR_BADOPENMODE, "A MIDI call was made that is invalid in the current open mode."},
    {MIDIERR_DONT_CONTINUE, "The driver cannot continue."},
    {kMidiServerStopped,
     "The MIDI server (JACK or PipeWire) went away or stopped running; not every byte was "
     "delivered."},
    {kMidiDestinationGone,
     "The MIDI output device went away or was disconnected; not every byte was delivered."},
};

}  // namespace

const char* mmErrorText(MMRESULT code) noexcept {
    const auto* found = std::find_if(std::begin(kTexts), std::end(kTexts),
                                     [code](const CodeText& entry) { return entry.code == code; });
    return found == std::end(kTexts) ? nullptr : found->text;
}

MMRESULT MidiService::midiInGetErrorTextA(MMRESULT code, char* text, std::uint32_t textSize) {
    if (text == nullptr || textSize == 0) return MMSYSERR_INVALPARAM;
    const char* known = mmErrorText(code);
    if (known == nullptr) return MMSYSERR_BADERRNUM;
    // Truncated like winmm: the text always ends with a zero inside the caller's buffer.
    const std::size_t length = std::min<std::size_t>(std::strlen(known), textSize - 1);
    std::memcpy(text, known, length);
    text[length] = '\0';
    return MMSYSERR_NOERROR;
}

MMRESULT MidiService::midiOutGetErrorTextA(MMRESULT code, char* text, std::uint32_t textSize) {
    // winmm's input and output share one table of texts.
    return MidiService::midiInGetErrorTextA(code, text, textSize);
}

std::string MidiService::midiInDeviceName(std::uint32_t deviceId) {
    MIDIINCAPSA caps{};
    if (midiInGetDevCapsA(deviceId, &caps, sizeof caps) != MMSYSERR_NOERROR) return {};
    return std::string(caps.szPname, strnlen(caps.szPname, MAXPNAMELEN));
}

std::string MidiService::midiOutDeviceName(std::uint32_t deviceId) {
    MIDIOUTCAPSA caps{};
    if (midiOutGetDevCapsA(deviceId, &caps, sizeof caps) != MMSYSERR_NOERROR) return {};
    return std::string(caps.szPname, strnlen(caps.szPname, MAXPNAMELEN));
}

}  // namespace pellum::midi
