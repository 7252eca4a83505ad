// The settings file reader: any file opens without a fault; the values read, written back and
// read again are the same, and a second write-back leaves the file byte for byte as the first
// did. A file the key refuses to write is never changed.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "platform/registry/RegFile.h"
#include "tests/fuzz/FuzzCheck.h"

using namespace pellum;
namespace fs = std::filesystem;

namespace {

const char* const kNames[] = {"MIDI_IN", "MIDI_OUT", "CFG_FILE"};

// What reading one value gave: nothing, a value, or the read error.
struct Read {
    bool failed = false;
    std::optional<RegistryValue> value;

    bool operator==(const Read& other) const {
        if (failed != other.failed || value.has_value() != other.value.has_value()) return false;
        return !value || (value->type == other.value->type && value->data == other.value->data);
    }
};

std::vector<Read> readAll(RegistryKey& key) {
    std::vector<Read> reads;
    for (const char* name : kNames) {
        Read read;
        try {
            read.value = key.read(name);
        } catch (const RegistryReadError&) {
            read.failed = true;
        }
        reads.push_back(read);
    }
    return reads;
}

// Writes back every value that was read; false when the key refused.
bool writeBack(RegistryKey& key, const std::vector<Read>& reads) {
    for (std::size_t i = 0; i < reads.size(); ++i) {
        if (!reads[i].value) continue;
        try {
            key.write(kNames[i], *reads[i].value);
        } catch (const RegistryWriteError&) {
            return false;
        }
    }
    return true;
}

std::string contents(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const fs::path folder =
        fs::temp_directory_path() / ("pellum-fuzz-settings-" + std::to_string(::getpid()));
    static const fs::path file = folder / "VOSSEL" / "Pellum.reg";
    // Registered after `folder` exists, so it runs before `folder` goes away.
    [[maybe_unused]] static const int cleanup = std::atexit([] {
        std::error_code ignored;
        fs::remove_all(folder, ignored);
    });
    fs::create_directories(file.parent_path());
    const std::string original(reinterpret_cast<const char*>(data), size);
    std::ofstream(file, std::ios::binary | std::ios::trunc) << original;

    RegFileRegistry registry(file);
    const std::vector<Read> first = readAll(*registry.openOrCreateKey("SOFTWARE\\VOSSEL\\Pellum"));
    bool writable = true;
    {
        const auto key = registry.openOrCreateKey("SOFTWARE\\VOSSEL\\Pellum");
        writable = writeBack(*key, first);
        // Writing an untouched value proves the key writable even when nothing was read.
        if (writable) {
            try {
                key->write("FUZZ", RegistryValue::binary({0x01}));
            } catch (const RegistryWriteError&) {
                writable = false;
            }
        }
    }
    if (!writable) {
        FUZZ_CHECK(contents(file) == original);
        return 0;
    }
    const std::string written = contents(file);

    const auto again = registry.openOrCreateKey("SOFTWARE\\VOSSEL\\Pellum");
    const std::vector<Read> second = readAll(*again);
    FUZZ_CHECK(second == first);
    FUZZ_CHECK(writeBack(*again, second));
    FUZZ_CHECK(contents(file) == written);
    return 0;
}
