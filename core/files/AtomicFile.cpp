#include "core/files/AtomicFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <filesystem>
#include <memory>
#include <optional>
#include <random>
#include <system_error>

#include "core/files/FilePath.h"
#include "core/text/Errors.h"

#if defined(_WIN32)
#include <io.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace pellum {
namespace fs = std::filesystem;

namespace {

// Linux's limit for one name in a path; a folder may allow less, never more here.
constexpr std::size_t kDefaultNameMax = 255;
// Links that point at links: the same bound the kernel puts on a path lookup.
constexpr int kMaxLinkHops = 40;

// The file a save really replaces: symbolic links are followed to what they name, even when that
// does not exist yet. Nothing when the links loop or cannot be read.
std::optional<fs::path> followLinks(fs::path path) {
    for (int hop = 0; hop < kMaxLinkHops; ++hop) {
        std::error_code error;
        // A missing file reports an error here too; it is simply not a link.
        if (!fs::is_symlink(fs::symlink_status(path, error))) return path;
        const fs::path next = fs::read_symlink(path, error);
        if (error) return std::nullopt;
        path = next.is_absolute() ? next : path.parent_path() / next;
    }
    return std::nullopt;
}

std::size_t nameMax(const fs::path& folder) {
#if !defined(_WIN32)
    const long limit = ::pathconf(folder.empty() ? "." : folder.c_str(), _PC_NAME_MAX);
    if (limit > 0) return static_cast<std::size_t>(limit);
#else
    (void)folder;
#endif
    return kDefaultNameMax;
}

// "<name>.<random>.tmp" (or "<name><suffix>") beside the target, with the name cut short (at a
// character boundary) when the whole would exceed the folder's name limit: a target whose name
// fits must still save.
fs::path temporaryBeside(const fs::path& target, std::string suffix) {
    if (suffix.empty()) {
        char random[32];
        std::snprintf(random, sizeof random, ".%08x.tmp", std::random_device{}());
        suffix = random;
    }
    std::string name = utf8FromPath(target.filename());
    const std::size_t limit = nameMax(target.parent_path());
    const std::size_t room = limit > suffix.size() ? limit - suffix.size() : 0;
    if (name.size() > room) {
        std::size_t cut = room;
        while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) --cut;
        name.resize(cut);
    }
    return target.parent_path() / pathFromUtf8(name + suffix);
}

// What a user expects of a file marked read-only: it is not replaced. The permission bits are
// looked at as well as access(), since for the superuser access() grants every write.
bool mayReplace(const fs::path& target, const fs::file_status& status) {
    constexpr auto anyWrite =
        fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    if ((status.permissions() & anyWrite) == fs::perms::none) return false;
#if !defined(_WIN32)
    if (::access(target.c_str(), W_OK) != 0) return false;
#else
    (void)target;
#endif
    return true;
}

bool writeAll(std::FILE* file, std::span<const std::uint8_t> bytes) {
    // An empty store gives an empty file; fwrite must not see its null data pointer.
    bool written =
        (bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size()) &&
        std::fflush(file) == 0;
#if !defined(_WIN32)
    written = written && ::fsync(::fileno(file)) == 0;
#else
    written = written && ::_commit(::_fileno(file)) == 0;
#endif
    return written;
}

// The old file's mode, and its owner where the system lets us give it; only the mode is
// required, since a user may save over a file of another group they can write to.
bool takeOverAttributes(std::FILE* file, const fs::path& temporary, const fs::path& old) {
#if !defined(_WIN32)
    (void)temporary;
    struct stat st {};
    if (::stat(old.c_str(), &st) != 0) return false;
    const int fd = ::fileno(file);
    [[maybe_unused]] const int owner = ::fchown(fd, st.st_uid, st.st_gid);
    return ::fchmod(fd, st.st_mode & 07777) == 0;
#else
    (void)file;
    std::error_code error;
    fs::permissions(temporary, fs::status(old).permissions(), fs::perm_options::replace, error);
    return !error;
#endif
}

// Library exceptions (a path it cannot convert, no source of randomness, memory) carry English,
// technical texts; the user sees the one text for a file that cannot be made.
template <typename Step>
void asCreateError(const std::string& path, Step step) {
    try {
        step();
    } catch (const FileCreateError&) {
        throw;
    } catch (const std::exception&) {
        throw FileCreateError(path);
    }
}

}  // namespace

void writeFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes) {
    AtomicFileWriter writer(path);
    writer.write(bytes);
    writer.commit();
}

AtomicFileWriter::AtomicFileWriter(const std::string& path, const std::string& suffix)
    : path_(path) {
    asCreateError(path_, [&] {
        const std::optional<fs::path> found = followLinks(pathFromUtf8(path_));
        if (!found) throw FileCreateError(path_);
        target_ = *found;
        std::error_code error;
        const fs::file_status status = fs::status(target_, error);
        exists_ = fs::exists(status);
        if (fs::is_directory(status)) throw FileCreateError(path_);
        if (exists_ && !mayReplace(target_, status)) throw FileCreateError(path_);
        temporary_ = temporaryBeside(target_, suffix);
        // "x": never reuse a file that happens to have the temporary's name.
        file_.reset(openFile(temporary_, "wbx"));
        if (!file_) throw FileCreateError(path_);
    });
}

AtomicFileWriter::~AtomicFileWriter() {
    file_.reset();
    if (!committed_ && !keep_ && !temporary_.empty()) {
        std::error_code ignored;
        fs::remove(temporary_, ignored);
    }
}

void AtomicFileWriter::write(std::span<const std::uint8_t> bytes) {
    // An empty store gives an empty file; fwrite must not see its null data pointer.
    if (!file_ || (!bytes.empty() &&
                   std::fwrite(bytes.data(), 1, bytes.size(), file_.get()) != bytes.size())) {
        throw FileCreateError(path_);
    }
}

bool AtomicFileWriter::appendWhole(std::span<const std::uint8_t> bytes) {
    if (!file_ || std::fflush(file_.get()) != 0) return false;
#if defined(_WIN32)
    const int fd = ::_fileno(file_.get());
    const auto writeSome = [&](const std::uint8_t* data, std::size_t size) {
        return static_cast<long long>(::_write(fd, data, static_cast<unsigned>(size)));
    };
    const auto cutBack = [&] { return ::_chsize_s(fd, static_cast<long long>(whole_)) == 0; };
#else
    const int fd = ::fileno(file_.get());
    const auto writeSome = [&](const std::uint8_t* data, std::size_t size) {
        return static_cast<long long>(::write(fd, data, size));
    };
    const auto cutBack = [&] { return ::ftruncate(fd, static_cast<off_t>(whole_)) == 0; };
#endif
    // One system call for the lot where the system allows, past stdio's buffer, which would
    // hand the file a message in pieces.
    std::size_t done = 0;
    while (done < bytes.size()) {
        const long long wrote = writeSome(bytes.data() + done, bytes.size() - done);
        if (wrote < 0 && errno == EINTR) continue;
        if (wrote <= 0) {
            // What did fit goes again, so that the file ends where its last whole piece did; a
            // file that cannot even be cut back is given up.
            if (!cutBack() || std::fseek(file_.get(), static_cast<long>(whole_), SEEK_SET) != 0)
                file_.reset();
            return false;
        }
        done += static_cast<std::size_t>(wrote);
    }
    whole_ += bytes.size();
    return true;
}

void AtomicFileWriter::commit() {
    asCreateError(path_, [&] {
        if (!file_) throw FileCreateError(path_);
        bool written = writeAll(file_.get(), {});
        if (written && exists_) written = takeOverAttributes(file_.get(), temporary_, target_);
        written = (std::fclose(file_.release()) == 0) && written;
        if (!written) throw FileCreateError(path_);
        std::error_code error;
        fs::rename(temporary_, target_, error);
        if (error) throw FileCreateError(path_);
        committed_ = true;
    });
}

std::string AtomicFileWriter::temporaryPath() const {
    return utf8FromPath(temporary_);
}

}  // namespace pellum
