// The .syx reader: any bytes load without a fault, or are refused for a message too long; every
// stored message is whole SysEx (F0, data or real-time bytes, F7); each gets a label; and a save
// (with and without the channel override) reloads as exactly the stored messages; the message
// decoder takes every message.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "core/files/LoadedMessages.h"
#include "core/files/SyxFile.h"
#include "core/list/ListLabel.h"
#include "core/messages/MessageFacts.h"
#include "core/text/Errors.h"
#include "tests/fuzz/FuzzCheck.h"

using namespace pellum;

namespace {

using Messages = std::vector<std::vector<std::uint8_t>>;

Messages messagesOf(const LoadedMessages& store) {
    Messages out;
    for (int i = 0; i < store.count(); ++i) {
        const auto m = store.message(i);
        FUZZ_CHECK(static_cast<std::size_t>(store.length(i)) == m.size());
        out.emplace_back(m.begin(), m.end());
    }
    return out;
}

// A file beside the fuzzer's other scratch files; tmpfs when TMPDIR points there, since every
// save syncs.
const std::string& scratchFile() {
    static const std::string path = (std::filesystem::temp_directory_path() /
                                     ("pellum-fuzz-syx-" + std::to_string(::getpid()) + ".syx"))
                                        .string();
    // Registered after `path` exists, so it runs before `path` goes away.
    [[maybe_unused]] static const int cleanup = std::atexit([] { std::remove(path.c_str()); });
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The stores are large (9999 slots each): made once, reused as the program does.
    static auto store = std::make_unique<LoadedMessages>();
    static auto reloaded = std::make_unique<LoadedMessages>();

    const Messages before = messagesOf(*store);
    LoadResult loaded;
    try {
        loaded = loadSyx({data, size}, *store);
    } catch (const MessageTooLongError&) {  // refused whole: the store keeps what it held
        FUZZ_CHECK(size > LoadedMessages::kMaxMessageBytes && messagesOf(*store) == before);
        return 0;
    }
    FUZZ_CHECK(loaded.count == store->count());
    FUZZ_CHECK(loaded.count <= LoadedMessages::kCapacity);
    FUZZ_CHECK(!loaded.truncated || loaded.count == LoadedMessages::kCapacity);
    const Messages messages = messagesOf(*store);
    for (const auto& m : messages) {
        FUZZ_CHECK(m.size() <= LoadedMessages::kMaxMessageBytes && wholeSysEx(m));
    }
    FUZZ_CHECK(validCuts(loaded.unfinished, loaded.count));

    const std::vector<std::string> labels = loadedLabels(*store);
    FUZZ_CHECK(labels.size() == messages.size());
    for (std::size_t i = 0; i < labels.size(); ++i) {
        const std::string suffix = " " + std::to_string(messages[i].size()) + "Byte";
        char number[8];
        std::snprintf(number, sizeof number, "%04zu ", i + 1);
        FUZZ_CHECK(labels[i].size() > suffix.size() + 5);
        FUZZ_CHECK(labels[i].compare(0, 5, number) == 0);
        FUZZ_CHECK(labels[i].compare(labels[i].size() - suffix.size(), suffix.size(), suffix) == 0);
        // The decoder reads only the message; a verdict's wanted byte makes the sum right.
        const MessageFacts facts = describeMessage(messages[i]);
        FUZZ_CHECK(facts.checksum.want < 0x80);
        FUZZ_CHECK((facts.checksum.verdict == Checksum::Verdict::ok) ==
                   (facts.checksum.verdict != Checksum::Verdict::none &&
                    facts.checksum.found == facts.checksum.want));
    }

    saveSyxFile(scratchFile(), *store, {});
    loadSyxFile(scratchFile(), *reloaded);
    FUZZ_CHECK(messagesOf(*reloaded) == messages);

    // With the override the store itself changes; what reloads is what the store now holds.
    const ChannelOverride override{true, static_cast<int>(size % 16) + 1};
    saveSyxFile(scratchFile(), *store, override);
    loadSyxFile(scratchFile(), *reloaded);
    FUZZ_CHECK(messagesOf(*reloaded) == messagesOf(*store));
    return 0;
}
