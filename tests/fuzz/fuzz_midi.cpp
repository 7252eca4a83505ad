// The Standard MIDI File reader: any bytes load or are refused with the store untouched; every
// stored message starts with F0 and ends with F7; and the store written as a file reads back as
// the same messages.
#include <cstdint>
#include <memory>
#include <vector>

#include "core/CaptureStore.h"
#include "core/Errors.h"
#include "core/MidiFile.h"
#include "tests/fuzz/FuzzCheck.h"

using namespace pellum;

namespace {

std::vector<std::vector<std::uint8_t>> messagesOf(const CaptureStore& store) {
    std::vector<std::vector<std::uint8_t>> out;
    for (int i = 0; i < store.count(); ++i)
        out.emplace_back(store.message(i).begin(), store.message(i).end());
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static auto store = std::make_unique<CaptureStore>();
    static auto reloaded = std::make_unique<CaptureStore>();
    const auto before = messagesOf(*store);
    LoadResult loaded;
    try {
        loaded = loadMidi({data, size}, *store, "fuzz.mid");
    } catch (const PellumError&) {
        FUZZ_CHECK(messagesOf(*store) == before);
        return 0;
    }
    FUZZ_CHECK(loaded.count == store->count() && loaded.count <= CaptureStore::kCapacity);
    FUZZ_CHECK(loaded.unfinished <= loaded.count);
    const auto messages = messagesOf(*store);
    for (const auto& m : messages)
        FUZZ_CHECK(m.size() >= 2 && m.front() == 0xF0 && m.back() == 0xF7);
    const LoadResult again =
        loadMidi(midiFileBytes(*store, static_cast<long>(size % 300)), *reloaded);
    FUZZ_CHECK(again.escapes == 0 && again.unfinished == 0 && !again.truncated);
    FUZZ_CHECK(messagesOf(*reloaded) == messages);
    return 0;
}
