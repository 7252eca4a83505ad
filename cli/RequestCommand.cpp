// `pellum-cli request`: a user dump request file (.cfg) as the window's USER tab shows it, and
// the chosen request sent, with the instrument's answer captured into a .syx file.
#include <cstdio>
#include <optional>

#include "cli/Capture.h"
#include "cli/Commands.h"
#include "cli/Devices.h"
#include "cli/Interrupt.h"
#include "cli/Options.h"
#include "cli/Receiver.h"
#include "core/text/Errors.h"
#include "core/messages/RequestFile.h"
#include "device/OutputDevice.h"
#include "platform/midi/SystemMidi.h"

namespace pellum::cli {

const char* const kRequestHelp =
    "Usage: pellum-cli request FILE.cfg [--entry N] [--channel C]\n"
    "                          [--send --out X [--in Y --receive OUT.syx [--timeout S]]]\n"
    "\n"
    "Loads a user dump request file as the window's USER tab does and prints its entries\n"
    "one per line as the list shows them (1:System), then the vendor and type texts, then\n"
    "the bytes of the chosen request as the tab previews them:\n"
    "\n"
    "  1:System\n"
    "  2:Part 1\n"
    "  Vendor: 41H Roland\n"
    "  TYPE: 42H GS\n"
    "  Send:  F0 41 10 42 11 40 00 7F 00 00 01 40 F7\n"
    "\n"
    "Request names are printed as the file holds them. Devices are given by their number\n"
    "from 'pellum-cli ports' or by a part of their name.\n"
    "\n"
    "  --entry N       the request to show and send (default 1)\n"
    "  --channel C     the channel override (1 to 16): byte 2 of the request keeps its high\n"
    "                  nibble and takes C - 1 as its low nibble; the checksum stays\n"
    "  --send          send the request as one long message to the output device\n"
    "  --out X         the output device the instrument listens on\n"
    "  --in Y          with --receive: listen on input device Y, opened before the request\n"
    "                  is sent, and write the SysEx that arrives (the dump the request asks\n"
    "                  for) back to back to OUT.syx\n"
    "  --receive OUT.syx\n"
    "  --timeout S     stop listening after S seconds without data (default 2)\n"
    "\n"
    "Exit status: 0 on success, 1 on a failure (a file that cannot be read, a line that is\n"
    "not a number: the entries read before it are printed, then the error; no such entry\n"
    "or device; nothing received, damaged or lost messages), 2 on a usage error, 3 when\n"
    "the input device went away while receiving (as 'pellum-cli receive' says).\n";

namespace {

struct Request {
    std::string path;
    long entry = 1;
    ChannelOverride override;
    std::optional<std::string> out;
    std::optional<std::string> in;
    std::optional<std::string> receive;
    double timeout = 2;
};

Request parseRequest(const Args& args) {
    const Options options = parseOptions(
        "request", args, {"--entry", "--channel", "--out", "--in", "--receive", "--timeout"},
        {"--send"});
    if (options.plain.size() != 1) throw UsageError("request: give exactly one .cfg file");
    Request request;
    request.path = options.plain.front();
    request.entry = options.number("--entry", 1, 1);
    if (const long channel = options.number("--channel", 1, 0); channel != 0) {
        if (channel > 16)
            throw UsageError("request: --channel wants 1 to 16, not " + std::to_string(channel));
        request.override = {true, static_cast<int>(channel)};
    }
    request.out = options.value("--out");
    request.in = options.value("--in");
    request.receive = options.value("--receive");
    request.timeout = options.seconds("--timeout", 2);
    if (!options.flag("--send") && (request.out || request.in || request.receive)) {
        throw UsageError("request: --out, --in and --receive go with --send");
    }
    if (options.flag("--send") && !request.out) throw UsageError("request: --send wants --out");
    if (request.in.has_value() != request.receive.has_value()) {
        throw UsageError("request: --in and --receive go together");
    }
    if (options.value("--timeout") && !request.receive) {
        throw UsageError("request: --timeout goes with --receive");
    }
    return request;
}

// Sends the request and, when asked, captures the answer; returns the exit status.
int sendRequest(const Request& request, const std::vector<std::uint8_t>& message) {
    if (request.receive) checkWritable(*request.receive);
    auto service = midi::createCommandMidiService();
    device::OutputDevice port(*service);
    openOutputDevice(port, *request.out);

    std::optional<Capture> capture;
    if (request.receive) capture.emplace(*request.receive);
    std::optional<SysexReceiver> receiver;
    std::string source;
    if (request.in) {
        const auto inputs = inputNames(*service);
        const std::uint32_t input = pickDevice(inputs, *request.in, "input");
        source = inputs[input];
        // Listening before asking, so the start of the dump is not missed.
        receiver.emplace(*service, static_cast<std::uint16_t>(input));
    }
    throwOnMidiError("the request was not sent", port.sendLongMessage(message));
    if (!receiver) {
        // Returns once the port has handed every byte on, or could not.
        throwOnMidiError("the request was not sent", port.close());
        return 0;
    }
    catchInterrupts();
    const Received received = capture->receive(*receiver, 0, request.timeout, *service);
    return capture->finish(received, 0, source);
}

}  // namespace

int requestCommand(const Args& args) {
    const Request request = parseRequest(args);

    RequestSet set;
    const RequestFileLoad load = set.loadFile(request.path);
    if (load.outcome == RequestFileLoad::Outcome::NotOpened ||
        load.outcome == RequestFileLoad::Outcome::Refused) {
        throw FileOpenError(request.path);
    }
    for (const std::string& entry : load.entries) std::printf("%s\n", entry.c_str());
    if (load.outcome == RequestFileLoad::Outcome::Stopped)
        throw PellumError(stoppedLoadText(request.path, load.errorLine, load.error));
    std::printf("Vendor: %s\nTYPE: %s\n", load.vendorText.c_str(), load.typeText.c_str());

    // The number as it was asked for, however large: only a number beyond the entries of a
    // whole load has no request.
    const auto message = request.entry <= set.entryCount()
                             ? set.request(static_cast<int>(request.entry - 1), request.override)
                             : std::nullopt;
    if (!message) {
        throw PellumError(request.path + " lists " + std::to_string(set.entryCount()) +
                          " requests; there is no entry " + std::to_string(request.entry));
    }
    std::printf("Send:%s\n", previewText(*message).c_str());
    if (!request.out) return 0;
    std::fflush(stdout);  // what is shown comes before the progress of the capture
    return sendRequest(request, *message);
}

}  // namespace pellum::cli
