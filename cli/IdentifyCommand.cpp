// `pellum-cli identify`: the Identity Request out, the instrument's Identity Reply back, shown
// as the Receive tab's System Information; `pellum-cli identity` decodes a reply given in hex.
#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstdio>

#include "cli/Commands.h"
#include "cli/Devices.h"
#include "cli/Options.h"
#include "cli/Receiver.h"
#include "core/text/ErrorText.h"
#include "core/text/Errors.h"
#include "core/text/HexText.h"
#include "core/messages/IdentityReply.h"
#include "core/list/ListLabel.h"
#include "device/OutputDevice.h"
#include "platform/midi/SystemMidi.h"

namespace pellum::cli {

const char* const kIdentifyHelp =
    "Usage: pellum-cli identify --in X --out X [--timeout S]\n"
    "\n"
    "Sends the Identity Request F0 7E 7F 06 01 F7 to the output device and prints the\n"
    "Identity Reply that arrives at the input device, in upper-case hex, then the seven rows\n"
    "of System Information the window shows for it (see 'pellum-cli identity --help').\n"
    "Devices are given by their number from 'pellum-cli ports' or by a part of their name.\n"
    "\n"
    "  --in X          the input device the instrument answers on\n"
    "  --out X         the output device the instrument listens on\n"
    "  --timeout S     give up after S seconds without a reply (default 5)\n"
    "\n"
    "Exit status: 0 when a reply arrived, 1 on a failure (no such device, no reply, a\n"
    "reply that could not be written), 2 on a usage error.\n";

const char* const kIdentityHelp =
    "Usage: pellum-cli identity HEX...\n"
    "\n"
    "Decodes one Identity Reply, given as its bytes in hex, two digits a byte (separated by\n"
    "blanks, or as one run of digits), as the window's Receive tab does, and prints its seven\n"
    "rows of System Information, one per line, in the tab's order:\n"
    "\n"
    "  $ pellum-cli identity F0 7E 10 06 02 41 42 00 00 02 01 00 02 00 F7\n"
    "  Global Channel: 17\n"
    "  Vendor Name: Roland\n"
    "  Vendor ID: 41H\n"
    "  Machine Name: SC-88\n"
    "  Machine ID: 42H 100H\n"
    "  System Version: 1\n"
    "  Software Version: 2\n"
    "\n"
    "Every message that begins F0 7E is read at the reply's positions; a row whose bytes a\n"
    "shorter message lacks shows \"--\" (a name \"unknown\").\n"
    "\n"
    "Exit status: 0 when the rows were printed, 1 when they could not be written, 2 on a\n"
    "usage error (no bytes, a word that is not hex or not whole bytes, a message that does not\n"
    "begin F0 7E).\n";

namespace {

void printSystemInformation(std::span<const std::uint8_t> message) {
    const SystemInformation info = decodeIdentityReply(message);
    for (const SystemInformationRow& row : kSystemInformationRows)
        std::printf("%s: %s\n", row.caption, (info.*row.text).c_str());
}

// Two digits a byte, whether the bytes are spaced or run together: a lone digit could as well
// be half a byte as a whole one, just as the last digit of an odd run could.
std::vector<std::uint8_t> parseHex(const Args& args) {
    std::vector<std::uint8_t> bytes;
    for (const std::string& arg : args) {
        std::size_t at = 0;
        while ((at = arg.find_first_not_of(" \t", at)) != std::string::npos) {
            const std::size_t end = std::min(arg.find_first_of(" \t", at), arg.size());
            const std::string word = arg.substr(at, end - at);
            at = end;
            for (char c : word) {
                if (hexDigitValue(c) < 0)
                    throw UsageError("identity: '" + excerpt(word) + "' is not hex");
            }
            if (word.size() % 2 != 0) {
                throw UsageError("identity: '" + excerpt(word) +
                                 "' is not whole bytes (two hex digits a byte)");
            }
            for (std::size_t i = 0; i < word.size(); i += 2)
                bytes.push_back(
                    static_cast<std::uint8_t>(hexDigitValue(word[i]) * 16 + hexDigitValue(word[i + 1])));
        }
    }
    return bytes;
}

}  // namespace

int identityCommand(const Args& args) {
    const Options options = parseOptions("identity", args, {});
    const std::vector<std::uint8_t> message = parseHex(options.plain);
    if (message.empty()) throw UsageError("identity: give the bytes of a message in hex");
    if (message.size() < 2 || message[0] != 0xF0 || message[1] != 0x7E)
        throw UsageError("identity: the message does not begin F0 7E");
    printSystemInformation(message);
    return 0;
}

int identifyCommand(const Args& args) {
    const Options options = parseOptions("identify", args, {"--in", "--out", "--timeout"});
    if (!options.plain.empty()) {
        throw UsageError("identify: unexpected argument '" + options.plain.front() + "'");
    }
    const auto in = options.value("--in");
    const auto out = options.value("--out");
    if (!in || !out) throw UsageError("identify: both --in and --out are needed");
    const double timeout = options.seconds("--timeout", 5);

    auto service = midi::createCommandMidiService();
    const auto inputs = inputNames(*service);
    const std::uint32_t input = pickDevice(inputs, *in, "input");
    device::OutputDevice port(*service);
    openOutputDevice(port, *out);

    // Listening before asking, so a quick answer is not missed.
    SysexReceiver receiver(*service, static_cast<std::uint16_t>(input));
    port.sendLongMessage(kIdentityRequest);

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeout);
    for (;;) {
        const double left =
            std::chrono::duration<double>(deadline - std::chrono::steady_clock::now()).count();
        if (left <= 0 || !receiver.waitForMessage(left)) break;
        for (const auto& [message, arrivalNs] : receiver.takeMessages()) {
            if (isIdentityReply(message)) {
                std::printf("%s\n", hexBytes(message).c_str());
                printSystemInformation(message);
                return 0;
            }
        }
    }
    throw PellumError("no Identity Reply arrived from " + inputs[input] + " within " +
                      options.value("--timeout").value_or("5") + " s");
}

}  // namespace pellum::cli
