#include "core/files/LoadedMessages.h"

#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include <algorithm>
#include <stdexcept>

#include "core/text/Errors.h"

namespace pellum {

std::span<const std::uint8_t> LoadedMessages::message(int i) const {
    if (i < 0 || i >= count()) return {};
    return messages_[static_cast<std::size_t>(i)];
}

std::span<std::uint8_t> LoadedMessages::message(int i) {
    if (i < 0 || i >= count()) return {};
    return messages_[static_cast<std::size_t>(i)];
}

namespace {

// A block given back may be heap memory, which the C library keeps for later unless asked to
// hand its free pages back.
void giveBackFreedMemory() {
#if defined(__GLIBC__)
    ::malloc_trim(0);
#endif
}

}  // namespace

void LoadedMessages::replaceWithBlock(ByteBlock block, std::span<const Extent> extents) {
    if (extents.size() > static_cast<std::size_t>(kCapacity))
        throw std::out_of_range("message count");
    std::vector<std::span<std::uint8_t>> messages(extents.size());
    for (std::size_t i = 0; i < extents.size(); ++i) {
        const Extent& e = extents[i];
        if (e.offset > block.size() || e.length > block.size() - e.offset)
            throw std::out_of_range("message extent");
        if (e.length > kMaxMessageBytes) throw MessageTooLongError(static_cast<int>(i) + 1);
        messages[i] = {block.data() + e.offset, e.length};
    }
    messages_ = std::move(messages);
    times_.clear();
    block_ = std::move(block);  // its bytes stay where they are
    // A second load of a big file costs no more than the first, and a small one after a big one
    // keeps only what it needs.
    giveBackFreedMemory();
}

void LoadedMessages::setTimes(std::vector<std::int64_t> times) {
    if (!times.empty() && times.size() != messages_.size()) throw std::out_of_range("message times");
    times_ = std::move(times);
}

std::optional<std::int64_t> LoadedMessages::timeNs(int i) const {
    if (i < 0 || static_cast<std::size_t>(i) >= times_.size()) return std::nullopt;
    return times_[static_cast<std::size_t>(i)];
}

void LoadedMessages::clear() {
    times_.clear();
    messages_.clear();
    messages_.shrink_to_fit();
    block_ = ByteBlock();
    giveBackFreedMemory();
}

}  // namespace pellum
