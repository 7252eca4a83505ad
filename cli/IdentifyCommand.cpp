// `pellum-cli identify`: the Identity Request out, the instrument's Identity Reply back.
#include <chrono>
#include <cstdio>

#include "cli/Commands.h"
#include "cli/Devices.h"
#include "cli/Options.h"
#include "cli/Receiver.h"
#include "core/Errors.h"
#include "core/ListLabel.h"
#include "midi/OutputPort.h"
#include "platform/midi/SystemMidi.h"

namespace pellum::cli {

const char* const kIdentifyHelp =
    "Usage: pellum-cli identify --in X --out X [--timeout S]\n"
    "\n"
    "Sends the Identity Request F0 7E 7F 06 01 F7 to the output device and prints the\n"
    "Identity Reply that arrives at the input device, in upper-case hex. Devices are given\n"
    "by their number from 'pellum-cli ports' or by a part of their name.\n"
    "\n"
    "  --in X          the input device the instrument answers on\n"
    "  --out X         the output device the instrument listens on\n"
    "  --timeout S     give up after S seconds without a reply (default 5)\n"
    "\n"
    "Exit status: 0 when a reply arrived, 1 on a failure (no such device, no reply, a\n"
    "reply that could not be written), 2 on a usage error.\n";

namespace {

constexpr std::uint8_t kIdentityRequest[] = {0xF0, 0x7E, 0x7F, 0x06, 0x01, 0xF7};

bool isIdentityReply(const std::vector<std::uint8_t>& message) {
    return message.size() >= 6 && message[1] == 0x7E && message[3] == 0x06 && message[4] == 0x02;
}

}  // namespace

int identifyCommand(const Args& args) {
    const Options options = parseOptions("identify", args, {"--in", "--out", "--timeout"});
    if (!options.plain.empty()) {
        throw UsageError("identify: unexpected argument '" + options.plain.front() + "'");
    }
    const auto in = options.value("--in");
    const auto out = options.value("--out");
    if (!in || !out) throw UsageError("identify: both --in and --out are needed");
    const double timeout = options.seconds("--timeout", 5);

    auto service = midi::createSystemMidiService();
    const auto inputs = inputNames(*service);
    const std::uint32_t input = pickDevice(inputs, *in, "input");
    OutputPort port(*service);
    const auto list = port.buildOutputList();
    const std::vector<std::string> outputs(list.begin() + 1, list.end());
    const std::uint32_t output = pickDevice(outputs, *out, "output");

    // Listening before asking, so a quick answer is not missed.
    SysexReceiver receiver(*service, static_cast<std::uint16_t>(input));
    if (const midi::MMRESULT code = port.openOutput(static_cast<int>(output) + 1)) {
        const char* text = midi::mmErrorText(code);
        throw PellumError("cannot open output " + outputs[output] +
                          (text != nullptr ? std::string(": ") + text : std::string()));
    }
    port.sendLongMessage(kIdentityRequest);

    const auto deadline = std::chrono::steady_clock::now() + std::chrono::duration<double>(timeout);
    std::size_t seen = 0;
    for (;;) {
        const double left =
            std::chrono::duration<double>(deadline - std::chrono::steady_clock::now()).count();
        if (left <= 0 || !receiver.waitForMessage(left)) break;
        for (; seen < receiver.messages().size(); ++seen) {
            const auto& message = receiver.messages()[seen];
            if (isIdentityReply(message)) {
                std::printf("%s\n", hexBytes(message).c_str());
                return 0;
            }
        }
    }
    throw PellumError("no Identity Reply arrived from " + inputs[input] + " within " +
                      options.value("--timeout").value_or("5") + " s");
}

}  // namespace pellum::cli
