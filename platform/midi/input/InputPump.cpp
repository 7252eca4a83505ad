// The pump's ring records: a head (a 32-bit header and the arrival time), then as many bytes as
// the header says. A header with the gap flag says how many bytes were lost at that place and
// has no bytes after it.
#include "platform/midi/input/InputPump.h"

#include <algorithm>
#include <cerrno>
#include <ctime>
#include <vector>

namespace pellum::midi {

namespace {

constexpr auto kBufferWait = std::chrono::milliseconds(20);
constexpr long kIdleWaitNs = 100'000'000;

}  // namespace

InputPump::InputPump(EmulatedMidiIn& driver, std::size_t ringBytes)
    : driver_(driver), ring_(ringBytes) {
    ::sem_init(&wakeup_, 0, 0);
}

InputPump::~InputPump() {
    stop();
    ::sem_destroy(&wakeup_);
}

void InputPump::start() {
    if (thread_.joinable()) return;
    stopping_.store(false);
    thread_ = std::thread([this] { run(); });
}

void InputPump::stop() {
    if (!thread_.joinable()) return;
    stopping_.store(true);
    ::sem_post(&wakeup_);
    thread_.join();
    if (unmarkedLoss_ > 0 || unmarkedGap_ != EmulatedMidiIn::Gap::None)
        driver_.lose(unmarkedLoss_, unmarkedGap_);
    unmarkedLoss_ = 0;
    unmarkedGap_ = EmulatedMidiIn::Gap::None;
}

bool InputPump::putRecord(std::uint32_t header, const std::uint8_t* bytes, std::size_t count,
                          std::int64_t arrivalNs) noexcept {
    const RecordHead head{header, 0, arrivalNs};
    if (count == 0) return ring_.write(&head, sizeof head);
    return ring_.write(&head, sizeof head, bytes, count);
}

void InputPump::put(const std::uint8_t* bytes, std::size_t count,
                    EmulatedMidiIn::Clock::time_point at) noexcept {
    const std::int64_t arrivalNs =
        std::chrono::duration_cast<std::chrono::nanoseconds>(at.time_since_epoch()).count();
    while (count > 0) {
        const std::size_t piece = std::min(count, kMaxRecord);
        // A loss is marked before the bytes after it, so the driver knows where the gap is.
        if (!markLoss() ||
            !putRecord(static_cast<std::uint32_t>(piece), bytes, piece, arrivalNs)) {
            unmarkedLoss_ += piece;
        }
        bytes += piece;
        count -= piece;
    }
}

bool InputPump::markLoss() noexcept {
    while (unmarkedLoss_ > 0 || unmarkedGap_ != EmulatedMidiIn::Gap::None) {
        const auto lost =
            static_cast<std::uint32_t>(std::min<std::uint64_t>(unmarkedLoss_, kLostMask));
        const auto gap = static_cast<std::uint32_t>(unmarkedGap_) << kGapShift;
        if (!putRecord(kGapFlag | gap | lost, nullptr, 0)) return false;
        unmarkedLoss_ -= lost;
        unmarkedGap_ = EmulatedMidiIn::Gap::None;
    }
    return true;
}

void InputPump::gap(EmulatedMidiIn::Gap kind) noexcept {
    unmarkedGap_ = std::max(unmarkedGap_, kind);
    markLoss();
}

void InputPump::transportBroke(bool inputLost) noexcept {
    if (inputLost) brokeLosing_.store(true, std::memory_order_relaxed);
    broke_.store(true, std::memory_order_release);
    ::sem_post(&wakeup_);
}

void InputPump::wake() noexcept {
    ::sem_post(&wakeup_);
}

bool InputPump::idle() const noexcept {
    // The ring first: a record consumed from it was marked as held before.
    return ring_.empty() && !holding_.load(std::memory_order_acquire);
}

bool InputPump::waitingForBuffer() const noexcept {
    return waiting_.load(std::memory_order_acquire) && !driver_.hasQueuedBuffers();
}

void InputPump::run() {
    std::vector<std::uint8_t> record(kMaxRecord);
    std::size_t have = 0;
    std::size_t done = 0;
    EmulatedMidiIn::Clock::time_point arrived;
    while (!stopping_.load(std::memory_order_acquire)) {
        if (done < have) {
            done += driver_.receiveWhileBuffered(record.data() + done, have - done, arrived);
            if (done < have) {
                waiting_.store(true, std::memory_order_release);
                driver_.waitForBuffer(kBufferWait);
                waiting_.store(false, std::memory_order_release);
            } else {
                holding_.store(false, std::memory_order_release);
            }
            continue;
        }
        RecordHead head{};
        // A head is published together with its bytes, so both are readable at once.
        if (ring_.readable() >= sizeof head) {
            // Set before the ring shows the record gone, so that idle() never misses it.
            holding_.store(true, std::memory_order_relaxed);
            ring_.peek(&head, sizeof head);
            ring_.consume(sizeof head);
            const std::uint32_t header = head.header;
            if (header & kGapFlag) {
                driver_.lose(header & kLostMask,
                             static_cast<EmulatedMidiIn::Gap>((header >> kGapShift) & 3));
                holding_.store(false, std::memory_order_release);
            } else {
                ring_.peek(record.data(), header);
                ring_.consume(header);
                have = header;
                done = 0;
                arrived = EmulatedMidiIn::Clock::time_point(std::chrono::nanoseconds(head.arrivalNs));
            }
            continue;
        }
        if (broke_.exchange(false, std::memory_order_acq_rel)) {
            driver_.lose(0, brokeLosing_.load(std::memory_order_relaxed)
                                ? EmulatedMidiIn::Gap::Certain
                                : EmulatedMidiIn::Gap::None);
            ended_.store(true, std::memory_order_release);
            continue;
        }
        timespec until{};
        ::clock_gettime(CLOCK_REALTIME, &until);
        until.tv_nsec += kIdleWaitNs;
        if (until.tv_nsec >= 1'000'000'000) {
            until.tv_nsec -= 1'000'000'000;
            ++until.tv_sec;
        }
        while (::sem_timedwait(&wakeup_, &until) != 0 && errno == EINTR) {
        }
    }
}

}  // namespace pellum::midi
