// The Standard MIDI File reader: any bytes load, or are refused with the store untouched; every
// stored message is whole SysEx (F0, data or real-time bytes, F7); and the store written as a
// file reads back the same.
#include "core/files/MidiFile.h"
#include "core/text/Errors.h"
#include "tests/fuzz/FuzzCheck.h"

using namespace pellum;

static std::vector<std::vector<std::uint8_t>> messagesOf(const LoadedMessages& store) {
    std::vector<std::vector<std::uint8_t>> out;
    for (int i = 0; i < store.count(); ++i)
        out.emplace_back(store.message(i).begin(), store.message(i).end());
    return out;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static auto store = std::make_unique<LoadedMessages>(),
                reloaded = std::make_unique<LoadedMessages>();
    const auto before = messagesOf(*store);
    try {
        const LoadResult loaded = loadMidi({data, size}, *store, "fuzz.mid");
        FUZZ_CHECK(loaded.count == store->count() && validCuts(loaded.unfinished, loaded.count));
    } catch (const PellumError&) {
        FUZZ_CHECK(messagesOf(*store) == before);
        return 0;
    }
    for (const auto& m : messagesOf(*store)) FUZZ_CHECK(wholeSysEx(m));
    const LoadResult again =
        loadMidi(midiFileBytes(*store, static_cast<long>(size % 300)), *reloaded);
    FUZZ_CHECK(again.escapes == 0 && again.unfinished.empty() &&
               messagesOf(*reloaded) == messagesOf(*store));
    return 0;
}
