// pellum-cli's receiving side.
#include "cli/Receiver.h"

#include <algorithm>
#include <chrono>
#include <utility>

#include "cli/Interrupt.h"
#include "core/text/Errors.h"

namespace pellum::cli {

namespace {

// Small buffers, many of them: a burst of short messages from a software peer can fill dozens
// in one go, and a long message simply continues through several.
constexpr std::uint16_t kBufferSize = 4096;
constexpr std::uint16_t kBufferCount = 256;

}  // namespace

SysexReceiver::SysexReceiver(midi::MidiService& service, std::uint16_t device)
    : service_(service),
      lostBefore_(service.lostInputDevices()),
      brokenBefore_(service.brokenInputMessages()),
      input_(service, notices_) {
    input_.setDeviceId(device);
    input_.setSysexBufferSize(kBufferSize);
    input_.setSysexBufferCount(kBufferCount);
    input_.setSysexOnly(true);
    input_.onInput = [this](device::InputDevice& input) { drain(input); };
    input_.open();
    if (!input_.isOpen()) {
        char text[midi::MAXERRORLENGTH] = {};
        const bool known = service.midiInGetErrorTextA(input_.error(), text, sizeof text) ==
                           midi::MMSYSERR_NOERROR;
        throw PellumError("cannot open input " + input_.productName() +
                          (known ? std::string(": ") + text : std::string()));
    }
    input_.start();
}

SysexReceiver::~SysexReceiver() {
    close();
}

void SysexReceiver::close() {
    try {
        input_.close();
    } catch (const std::exception&) {
        // Going away: the component keeps what the driver still holds.
    }
}

bool SysexReceiver::waitForMessage(double quietSeconds) {
    using Clock = std::chrono::steady_clock;
    auto quietUntil = Clock::now() + std::chrono::duration<double>(quietSeconds);
    const std::uint64_t before = count_;
    int resumed = resumptions();
    while (count_ == before) {
        if (interrupted()) return false;
        if (resumptions() != resumed) {
            // Stopped and continued: what came meanwhile waits unread in the system's queues.
            resumed = resumptions();
            quietUntil = Clock::now() + std::chrono::duration<double>(quietSeconds);
        }
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(quietUntil - Clock::now());
        if (left.count() <= 0) return false;
        // Looked at now and then: a device that went away sends no notice of it.
        if (!notices_.waitForNotice(static_cast<int>(std::min<long>(left.count(), 100)))) {
            if (service_.lostInputDevices() > lostBefore_) {
                // What it sent before it went is still to be taken.
                notices_.dispatchPending();
                deviceLost_ = true;
                return false;
            }
            continue;
        }
        const std::uint64_t bytesBefore = bytes_;
        notices_.dispatchPending();
        if (bytes_ != bytesBefore)
            quietUntil = Clock::now() + std::chrono::duration<double>(quietSeconds);
    }
    return true;
}

void SysexReceiver::drain(device::InputDevice& input) {
    while (input.pendingCount() > 0) {
        std::unique_ptr<device::ReceivedEvent> event = input.takeEvent();
        if (!event) break;
        if (event->statusByte != device::kSysexStatus) continue;
        tally(assembler_.take({event->sysexBytes.data(), event->sysexSize}, event->arrivalNs));
        bytes_ += event->sysexSize;
    }
}

void SysexReceiver::tally(const std::vector<SysexAssembler::Outcome>& outcomes) {
    for (const auto& outcome : outcomes) {
        switch (outcome.verdict) {
            case SysexAssembler::Verdict::whole:
                messages_.push_back({outcome.bytes, outcome.arrivalNs});
                ++count_;
                break;
            case SysexAssembler::Verdict::tooLong:
                ++tooLongMessages_;
                break;
            case SysexAssembler::Verdict::broken:
                ++broken_;
                break;
        }
    }
}

std::vector<SysexReceiver::Message> SysexReceiver::takeMessages() {
    return std::exchange(messages_, {});
}

std::uint64_t SysexReceiver::brokenMessages() const {
    const std::uint64_t seen = broken_ + (assembler_.unfinished() ? 1 : 0);
    return std::max(seen, service_.brokenInputMessages() - brokenBefore_);
}

}  // namespace pellum::cli
