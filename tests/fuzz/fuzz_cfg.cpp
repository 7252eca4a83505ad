// The .cfg reader and request assembly: any bytes load without a fault, and every entry the
// load finished assembles to F0, the header, its body, the checksum when the flag is on, F7;
// the preview shows exactly those bytes. An entry the load did not finish assembles nothing.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "core/messages/RequestFile.h"
#include "tests/fuzz/FuzzCheck.h"

using namespace pellum;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // A fresh set for every input, so that a finding does not depend on the inputs before it.
    const auto set = std::make_unique<RequestSet>();
    const RequestFileLoad load = set->load({data, size});

    FUZZ_CHECK(load.outcome != RequestFileLoad::Outcome::NotOpened);
    FUZZ_CHECK(static_cast<int>(load.entries.size()) == set->entryCount());
    FUZZ_CHECK(set->entryCount() <= RequestSet::kMaxRequests);
    const bool loaded = load.outcome == RequestFileLoad::Outcome::Loaded;
    FUZZ_CHECK(loaded == load.error.empty());
    FUZZ_CHECK(loaded ? load.firstSelected && set->entryCount() >= 1 && !load.vendorText.empty() &&
                            !load.typeText.empty()
                      : load.vendorText.empty() && load.typeText.empty());
    if (load.notANumber) FUZZ_CHECK(load.error == notANumberText(*load.notANumber));

    for (int i = -1; i <= set->entryCount(); ++i) {
        const auto request = set->request(i, {});
        if (i < 0 || i == set->entryCount()) {
            FUZZ_CHECK(!request);
            continue;
        }
        FUZZ_CHECK(load.entries[i] == entryText(i + 1, set->name(i)));
        FUZZ_CHECK(set->name(i).size() <= 33);
        // Only the request a stopped load interrupted may be missing, and only the last one.
        if (!request) {
            FUZZ_CHECK(!loaded && i == set->entryCount() - 1);
            continue;
        }
        const auto& m = *request;
        const std::size_t checksum = set->checksumOn() ? 1 : 0;
        FUZZ_CHECK(m.size() >= 2 + 1 + 1 + checksum);
        FUZZ_CHECK(m.front() == 0xF0 && m.back() == 0xF7);
        FUZZ_CHECK(m.size() <= 2 + RequestSet::kMaxHeaderBytes + RequestSet::kMaxBodyBytes + 1);
        if (set->checksumOn()) FUZZ_CHECK(m[m.size() - 2] < 128);  // a 7-bit checksum
        // The override touches byte 2 and nothing else.
        const auto withOverride = set->request(i, {true, 16});
        FUZZ_CHECK(withOverride && withOverride->size() == m.size());
        for (std::size_t k = 0; k < m.size(); ++k) {
            if (k != 2) FUZZ_CHECK((*withOverride)[k] == m[k]);
        }
        const std::string preview = previewText(m);
        FUZZ_CHECK(preview.size() == 1 + 3 * m.size());
    }

    // The conversion on its own, on the whole input as one line.
    try {
        (void)convertNumber(std::string_view(reinterpret_cast<const char*>(data), size));
    } catch (const NotANumberError& e) {
        FUZZ_CHECK(e.line() == std::string(reinterpret_cast<const char*>(data), size));
    }
    return 0;
}
