// Device lists and picking for pellum-cli.
#include "cli/Devices.h"

#include <algorithm>

#include "core/text/ErrorText.h"
#include "core/text/Errors.h"

namespace pellum::cli {

std::vector<std::string> inputNames(midi::MidiService& service) {
    std::vector<std::string> names;
    const std::uint32_t count = service.midiInGetNumDevs();
    for (std::uint32_t i = 0; i < count; ++i) names.push_back(service.midiInDeviceName(i));
    return names;
}

std::vector<std::string> outputNames(midi::MidiService& service) {
    std::vector<std::string> names;
    const std::uint32_t count = service.midiOutGetNumDevs();
    for (std::uint32_t i = 0; i < count; ++i) names.push_back(service.midiOutDeviceName(i));
    return names;
}

std::uint32_t pickDevice(const std::vector<std::string>& names, const std::string& wanted,
                         const std::string& kind) {
    // A whole name first, as the window saves it: it may also be a part of another's name.
    const auto exact = std::find(names.begin(), names.end(), wanted);
    if (exact != names.end()) return static_cast<std::uint32_t>(exact - names.begin());
    if (!wanted.empty() &&
        std::all_of(wanted.begin(), wanted.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        const unsigned long position = wanted.size() > 9 ? 0 : std::stoul(wanted);
        if (position < 1 || position > names.size()) {
            throw PellumError("there is no " + kind + " device " + excerpt(wanted) +
                              " (there are " + std::to_string(names.size()) +
                              "; see 'pellum-cli ports')");
        }
        return static_cast<std::uint32_t>(position - 1);
    }
    // A part of a name picks a device only when no other name holds it too: the first of
    // several may be another instrument than the one meant.
    std::vector<std::size_t> fits;
    for (std::size_t i = 0; i < names.size(); ++i)
        if (names[i].find(wanted) != std::string::npos) fits.push_back(i);
    if (fits.size() == 1) return static_cast<std::uint32_t>(fits.front());
    if (fits.empty()) {
        throw PellumError("no " + kind + " device's name contains '" + excerpt(wanted) +
                          "' (see 'pellum-cli ports')");
    }
    std::string list;
    for (std::size_t i : fits) list += "\n  " + std::to_string(i + 1) + " " + names[i];
    throw PellumError("'" + excerpt(wanted) + "' is in the names of " +
                      std::to_string(fits.size()) + " " + kind +
                      " devices; give the whole name or the number:" + list);
}

void throwOnMidiError(const std::string& what, midi::MMRESULT code) {
    if (code == midi::MMSYSERR_NOERROR) return;
    const char* text = midi::mmErrorText(code);
    throw PellumError(what + ": " +
                      (text != nullptr ? std::string(text) : "error " + std::to_string(code)));
}

std::string openOutputDevice(device::OutputDevice& port, const std::string& wanted) {
    const auto list = port.buildOutputList();  // entry 0 is "(None)"
    const std::vector<std::string> names(list.begin() + 1, list.end());
    const std::uint32_t device = pickDevice(names, wanted, "output");
    throwOnMidiError("cannot open output " + names[device],
                     port.openOutput(static_cast<int>(device) + 1));
    return names[device];
}

}  // namespace pellum::cli
