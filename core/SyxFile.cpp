#include "core/SyxFile.h"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <random>
#include <system_error>

#include "core/CaptureStore.h"
#include "core/Errors.h"

#if defined(_WIN32)
#include <io.h>
#else
#include <unistd.h>
#endif

namespace pellum {
namespace {

constexpr std::uint8_t kSysExStart = 0xF0;
constexpr std::uint8_t kSysExEnd = 0xF7;

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

const std::uint8_t* find(const std::uint8_t* from, const std::uint8_t* end, std::uint8_t value) {
    return static_cast<const std::uint8_t*>(std::memchr(from, value, end - from));
}

std::string temporaryNameBeside(const std::filesystem::path& target) {
    std::random_device entropy;
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, ".%08x.tmp", entropy());
    return target.string() + suffix;
}

}  // namespace

LoadResult loadSyx(std::span<const std::uint8_t> bytes, CaptureStore& store) {
    const std::uint8_t* p = bytes.data();
    const std::uint8_t* const end = p + bytes.size();
    int k = 0;
    while (p < end) {
        const std::uint8_t* start = find(p, end, kSysExStart);
        if (!start) break;
        if (k == CaptureStore::kCapacity) {
            store.setCount(k);
            return {k, true};
        }
        const std::uint8_t* close = find(start + 1, end, kSysExEnd);
        auto& slot = store.slotForLoad(k);
        if (close) {
            slot.assign(start, close + 1);
            p = close + 1;
        } else {
            slot.assign(start, end);
            slot.push_back(kSysExEnd);
            p = end;
        }
        store.setLength(k, static_cast<std::int32_t>(slot.size()));
        ++k;
    }
    store.setCount(k);
    return {k, false};
}

std::vector<std::uint8_t> readWholeFile(const std::string& path) {
    // A folder opens for reading on some systems and reports an absurd size.
    std::error_code folder;
    if (std::filesystem::is_directory(path, folder)) throw FileOpenError(path);
    File file(std::fopen(path.c_str(), "rb"));
    if (!file) throw FileOpenError(path);
    std::vector<std::uint8_t> bytes;
    if (std::fseek(file.get(), 0, SEEK_END) == 0) {
        const long size = std::ftell(file.get());
        std::rewind(file.get());
        if (size > 0) {
            bytes.resize(static_cast<std::size_t>(size));
            bytes.resize(std::fread(bytes.data(), 1, bytes.size(), file.get()));
        }
    }
    // Whatever the size did not announce (pipes, special files, a growing file) comes after.
    std::uint8_t chunk[1 << 16];
    for (std::size_t got; (got = std::fread(chunk, 1, sizeof chunk, file.get())) > 0;)
        bytes.insert(bytes.end(), chunk, chunk + got);
    if (std::ferror(file.get())) throw FileOpenError(path);
    return bytes;
}

LoadResult loadSyxFile(const std::string& path, CaptureStore& store) {
    const std::vector<std::uint8_t> bytes = readWholeFile(path);
    return loadSyx(bytes, store);
}

void writeFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes) {
    const std::filesystem::path target(path);
    if (std::filesystem::is_directory(target)) throw FileCreateError(path);
    const std::string temporary = temporaryNameBeside(target);
    bool written = false;
    {
        // "x": never reuse a file that happens to have the temporary's name.
        File file(std::fopen(temporary.c_str(), "wbx"));
        if (!file) throw FileCreateError(path);
        written = std::fwrite(bytes.data(), 1, bytes.size(), file.get()) == bytes.size() &&
                  std::fflush(file.get()) == 0;
#if !defined(_WIN32)
        written = written && ::fsync(::fileno(file.get())) == 0;
#endif
        written = (std::fclose(file.release()) == 0) && written;
    }
    std::error_code error;
    if (written) std::filesystem::rename(temporary, target, error);
    if (!written || error) {
        std::filesystem::remove(temporary, error);
        throw FileCreateError(path);
    }
}

void saveSyxFile(const std::string& path, CaptureStore& store, ChannelOverride override) {
    std::size_t total = 0;
    for (int i = 0; i < store.count(); ++i) total += store.message(i).size();
    std::vector<std::uint8_t> bytes;
    bytes.reserve(total);
    for (int i = 0; i < store.count(); ++i) {
        const auto message = store.message(i);
        const std::size_t at = bytes.size();
        bytes.insert(bytes.end(), message.begin(), message.end());
        applyChannelOverride(std::span(bytes).subspan(at, message.size()), override);
    }
    writeFileAtomically(path, bytes);
    // The override sticks to the stored messages, but only once the file exists: a failed save
    // leaves the store as it was.
    for (int i = 0; i < store.count(); ++i) applyChannelOverride(store.message(i), override);
}

}  // namespace pellum
