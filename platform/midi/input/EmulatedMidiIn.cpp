// The byte-stream driver emulation shared by the ALSA and JACK backends and the tests' loopback.
#include "platform/midi/input/EmulatedMidiIn.h"

#include <algorithm>

#include "platform/midi/MidiHeaders.h"

namespace pellum::midi {

namespace {

constexpr std::uint8_t kSysexStart = 0xF0;
constexpr std::uint8_t kSysexEnd = 0xF7;
constexpr std::uint8_t kFirstRealTime = 0xF8;

// Data bytes that follow a status byte; system common messages have no running status.
int dataBytesAfter(std::uint8_t status) {
    switch (status & 0xF0) {
        case 0xC0:
        case 0xD0:
            return 1;
        case 0xF0:
            return status == 0xF2 ? 2 : (status == 0xF1 || status == 0xF3) ? 1 : 0;
        default:
            return 2;
    }
}

}  // namespace

EmulatedMidiIn::EmulatedMidiIn(MidiInProc callback, std::uintptr_t instance)
    : callback_(callback), instance_(instance) {
    pending_.reserve(64);
}

MMRESULT EmulatedMidiIn::prepareHeader(MIDIHDR* header, std::uint32_t headerSize) {
    std::lock_guard state(stateMutex_);
    return midi::prepareHeader(header, headerSize, HeaderUse::input);
}

MMRESULT EmulatedMidiIn::unprepareHeader(MIDIHDR* header, std::uint32_t headerSize) {
    std::lock_guard state(stateMutex_);
    return midi::unprepareHeader(header, headerSize);
}

MMRESULT EmulatedMidiIn::addBuffer(MIDIHDR* header, std::uint32_t headerSize) {
    std::lock_guard state(stateMutex_);
    if (MMRESULT code = queueHeader(header, headerSize, HeaderUse::input)) return code;
    queue_.push_back(header);
    bufferQueued_.notify_all();
    return MMSYSERR_NOERROR;
}

MMRESULT EmulatedMidiIn::start() {
    std::lock_guard state(stateMutex_);
    if (!started_) {
        started_ = true;
        startTime_ = Clock::now();
    }
    return MMSYSERR_NOERROR;
}

MMRESULT EmulatedMidiIn::reset() {
    std::lock_guard delivery(deliveryMutex_);
    {
        std::lock_guard state(stateMutex_);
        const std::uint32_t stamp = stampNow();
        started_ = false;
        // Its start comes back with the buffer, but no message of it will ever be whole.
        if (inSysex_) ++broken_;
        inSysex_ = false;
        cutShortMessage();
        // A buffer that holds the start of an unfinished SysEx comes back with those bytes.
        while (!queue_.empty()) returnHead(MIM_LONGDATA, stamp);
        bufferQueued_.notify_all();
    }
    deliverPending();
    return MMSYSERR_NOERROR;
}

bool EmulatedMidiIn::hasQueuedBuffers() const {
    std::lock_guard state(stateMutex_);
    return !queue_.empty();
}

void EmulatedMidiIn::receive(const std::uint8_t* bytes, std::size_t count, Clock::time_point at) {
    receiveLocked(bytes, count, false, at);
}

std::size_t EmulatedMidiIn::receiveWhileBuffered(const std::uint8_t* bytes, std::size_t count,
                                                 Clock::time_point at) {
    return receiveLocked(bytes, count, true, at);
}

std::size_t EmulatedMidiIn::receiveLocked(const std::uint8_t* bytes, std::size_t count, bool wait,
                                          Clock::time_point at) {
    std::lock_guard delivery(deliveryMutex_);
    std::size_t taken = 0;
    {
        std::lock_guard state(stateMutex_);
        if (!started_) {
            dropped_ += count;
            return count;
        }
        const std::uint32_t stamp = stampAt(at);
        while (taken < count && take(bytes[taken], stamp, wait)) ++taken;
    }
    deliverPending();
    return taken;
}

bool EmulatedMidiIn::waitForBuffer(std::chrono::milliseconds limit) {
    std::unique_lock state(stateMutex_);
    return bufferQueued_.wait_for(state, limit, [&] { return !queue_.empty() || !started_; }) &&
           !queue_.empty();
}

void EmulatedMidiIn::lose(std::uint64_t count, Gap gap) {
    std::lock_guard delivery(deliveryMutex_);
    {
        std::lock_guard state(stateMutex_);
        dropped_ += count;
        if (gap == Gap::Certain || (gap != Gap::None && inSysex_)) {
            ++gaps_;
        } else if (gap == Gap::Possible) {
            ++possibleGaps_;
        }
        breakSysex(stampNow());
        cutShortMessage();
    }
    deliverPending();
}

void EmulatedMidiIn::announce(std::uint32_t msg) {
    std::lock_guard delivery(deliveryMutex_);
    pending_.push_back({msg, 0, 0});
    deliverPending();
}

std::uint64_t EmulatedMidiIn::droppedBytes() const {
    std::lock_guard state(stateMutex_);
    return dropped_;
}

std::uint64_t EmulatedMidiIn::brokenMessages() const {
    std::lock_guard state(stateMutex_);
    return broken_;
}

std::uint64_t EmulatedMidiIn::gaps() const {
    std::lock_guard state(stateMutex_);
    return gaps_;
}

std::uint64_t EmulatedMidiIn::possibleGaps() const {
    std::lock_guard state(stateMutex_);
    return possibleGaps_;
}

std::vector<const MIDIHDR*> EmulatedMidiIn::queuedBuffers() const {
    std::lock_guard state(stateMutex_);
    return {queue_.begin(), queue_.end()};
}

bool EmulatedMidiIn::take(std::uint8_t byte, std::uint32_t stamp, bool wait) {
    if (byte >= kFirstRealTime) {
        // Real-time messages may fall anywhere, even inside a SysEx, and interrupt nothing.
        pending_.push_back({MIM_DATA, byte, stamp});
        return true;
    }
    if (byte < 0x80) {
        if (inSysex_) {
            if (wait && queue_.empty()) return false;
            appendSysex(byte, stamp);
        } else if (status_ != 0) {
            data_[have_++] = byte;
            ++unsent_;
            if (have_ == need_) {
                pending_.push_back(
                    {MIM_DATA,
                     static_cast<std::uintptr_t>(status_ | data_[0] << 8 | data_[1] << 16), stamp});
                have_ = 0;
                unsent_ = 0;
                data_[0] = data_[1] = 0;
                if (status_ >= 0xF0) status_ = 0;
            }
        } else {
            ++dropped_;  // data without a status
        }
        return true;
    }
    if (byte == kSysexEnd) {
        if (!inSysex_) {
            ++dropped_;
            return true;
        }
        if (wait && queue_.empty()) return false;
        appendSysex(byte, stamp);
        inSysex_ = false;
        return true;
    }
    // Any other status byte ends an unfinished SysEx. Done before waiting, so a byte taken again
    // later finds the same state.
    breakSysex(stamp);
    cutShortMessage();
    if (byte == kSysexStart) {
        if (wait && queue_.empty()) return false;
        inSysex_ = true;
        appendSysex(byte, stamp);
        return true;
    }
    need_ = dataBytesAfter(byte);
    if (need_ == 0) {
        pending_.push_back({MIM_DATA, byte, stamp});
    } else {
        status_ = byte;
        unsent_ = 1;
    }
    return true;
}

void EmulatedMidiIn::cutShortMessage() {
    // An incomplete message cut off by a status byte, a loss or a reset never reaches the
    // client: its bytes are lost, and counted like every other lost byte.
    dropped_ += unsent_;
    unsent_ = 0;
    status_ = 0;
    have_ = 0;
    data_[0] = data_[1] = 0;
}

// The start of a message without its end would be filed as if it were whole, and a file saved
// with it would join it to the next message when read back: its bytes are counted as lost and its
// buffer comes back empty, marked as broken.
void EmulatedMidiIn::breakSysex(std::uint32_t stamp) {
    if (!inSysex_) return;
    inSysex_ = false;
    ++broken_;
    if (queue_.empty() || queue_.front()->dwBytesRecorded == 0) return;
    dropped_ += queue_.front()->dwBytesRecorded;
    queue_.front()->dwBytesRecorded = 0;
    returnHead(MIM_LONGERROR, stamp);
}

void EmulatedMidiIn::appendSysex(std::uint8_t byte, std::uint32_t stamp) {
    if (queue_.empty()) {
        ++dropped_;
        return;
    }
    MIDIHDR* head = queue_.front();
    if (head->dwBytesRecorded == 0) headStamp_ = stamp;
    head->lpData[head->dwBytesRecorded++] = static_cast<char>(byte);
    if (byte == kSysexEnd || head->dwBytesRecorded >= head->dwBufferLength) {
        returnHead(MIM_LONGDATA, headStamp_);
    }
}

void EmulatedMidiIn::returnHead(std::uint32_t msg, std::uint32_t stamp) {
    MIDIHDR* head = queue_.front();
    queue_.pop_front();
    returnHeader(head);
    pending_.push_back({msg, reinterpret_cast<std::uintptr_t>(head), stamp});
}

void EmulatedMidiIn::deliverPending() noexcept {
    if (callback_ != nullptr) {
        for (const Delivery& d : pending_) {
            callback_(this, d.msg, instance_, d.param1, d.param2);
        }
    }
    pending_.clear();
}

std::uint32_t EmulatedMidiIn::stampAt(Clock::time_point at) const {
    if (!started_ || at <= startTime_) return 0;
    const auto elapsed = at - startTime_;
    return static_cast<std::uint32_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count());
}

}  // namespace pellum::midi
