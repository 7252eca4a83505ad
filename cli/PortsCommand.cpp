// `pellum-cli ports`: the devices the other commands can pick, numbered as they pick them.
#include <cstdio>
#include <string>

#include "cli/Commands.h"
#include "cli/Devices.h"
#include "cli/Options.h"
#include "platform/midi/SystemMidi.h"

namespace pellum::cli {

const char* const kPortsHelp =
    "Usage: pellum-cli ports\n"
    "\n"
    "Prints one line per MIDI device: 'in N NAME' for inputs, then 'out N NAME' for outputs.\n"
    "--in and --out take N, the whole NAME (as the window saves it), or a part of NAME\n"
    "that is in one device's name only; a part that is in several names is refused, and\n"
    "those devices are listed.\n"
    "Devices are the ports of other programs on the ALSA sequencer and, when a server runs,\n"
    "on JACK.\n"
    "\n"
    "Exit status: 0 on success, 1 when the list could not be written, 2 on a usage error.\n";

int portsCommand(const Args& args) {
    if (!args.empty()) throw UsageError("ports: unexpected argument '" + args.front() + "'");
    auto service = midi::createCommandMidiService();
    const auto inputs = inputNames(*service);
    const auto outputs = outputNames(*service);
    for (std::size_t i = 0; i < inputs.size(); ++i) {
        std::printf("in %zu %s\n", i + 1, inputs[i].c_str());
    }
    for (std::size_t i = 0; i < outputs.size(); ++i) {
        std::printf("out %zu %s\n", i + 1, outputs[i].c_str());
    }
    if (inputs.empty() && outputs.empty()) {
#if defined(_WIN32)
        const std::string none = "no MIDI devices found";
#else
        const std::string none = "no MIDI ports found";
#endif
        const std::string why = service->whyNoDevices();
        complain(why.empty() ? none : none + " (" + why + ")");
    }
    return 0;
}

}  // namespace pellum::cli
