#include "core/messages/SysexAssembler.h"

#include <utility>

#include "core/messages/StatusBytes.h"

namespace pellum {

void SysexAssembler::breakOff(std::vector<Outcome>& out) {
    // A too-long message was told when it passed the limit.
    if (inMessage_ && !tooLong_) out.push_back({Verdict::broken, {}, startNs_});
    partial_.clear();
    inMessage_ = tooLong_ = false;
}

std::vector<SysexAssembler::Outcome> SysexAssembler::take(std::span<const std::uint8_t> buffer,
                                                          std::int64_t arrivalNs) {
    std::vector<Outcome> out;
    if (buffer.empty()) breakOff(out);
    // Byte by byte: a buffer may end inside a message and the next one carry on with it.
    for (const std::uint8_t byte : buffer) {
        if (byte == kSysExStart) {
            breakOff(out);
            partial_.assign(1, byte);
            inMessage_ = true;
            startNs_ = arrivalNs;
        } else if (!inMessage_) {
            if (byte == kSysExEnd) out.push_back({Verdict::broken, {}, arrivalNs});
        } else if (tooLong_) {
            if (byte == kSysExEnd) inMessage_ = tooLong_ = false;
        } else {
            partial_.push_back(byte);
            if (byte == kSysExEnd) {
                out.push_back({Verdict::whole, std::exchange(partial_, {}), startNs_});
                inMessage_ = false;
            } else if (partial_.size() >= maxBytes_) {
                out.push_back({Verdict::tooLong, {}, startNs_});
                partial_.clear();
                tooLong_ = true;
            }
        }
    }
    return out;
}

std::vector<SysexAssembler::Outcome> SysexAssembler::finish() {
    std::vector<Outcome> out;
    breakOff(out);
    return out;
}

}  // namespace pellum
