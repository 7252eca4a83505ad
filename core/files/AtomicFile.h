// Replacing a file so that a failed write never destroys what was there: the bytes go to a
// temporary file beside the target, which is then renamed over it.
#pragma once

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <span>
#include <string>

#include "core/files/FilePath.h"

namespace pellum {

// Replaces `path` with `bytes`. A symbolic link is followed and what it names is replaced, so the
// link stays a link; the replaced file keeps its permissions (and, where allowed, its owner). A
// target without write permission is refused, as is a folder. Any failure throws FileCreateError
// naming `path` and leaves the previous file intact.
void writeFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes);

// The same, written piece by piece as the bytes come: the temporary file grows beside the target
// and replaces it at commit(). Without a commit the temporary goes when the writer does, unless
// kept. Every failure throws FileCreateError naming the target.
class AtomicFileWriter {
public:
    // `suffix` names the temporary file (the target's name and the suffix); by default a random
    // one. A temporary of that name that exists already is never reused.
    explicit AtomicFileWriter(const std::string& path, const std::string& suffix = {});
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    void write(std::span<const std::uint8_t> bytes);
    // Appends `bytes` so that the file holds all of them or none of them, also after a full
    // disk: written at once, and cut back to where it was when they did not fit. Only for a
    // writer that uses nothing else. False when they were not written.
    bool appendWhole(std::span<const std::uint8_t> bytes);
    // Flushes to the disk and renames the temporary over the target.
    void commit();
    // Leaves the temporary file where it is, with what was written, when the writer goes.
    void keepTemporary() { keep_ = true; }
    std::string temporaryPath() const;

private:
    std::string path_;
    std::filesystem::path target_;
    std::filesystem::path temporary_;
    FileHandle file_;
    std::uint64_t whole_ = 0;  // bytes appendWhole has written
    bool exists_ = false;
    bool committed_ = false;
    bool keep_ = false;
};

}  // namespace pellum
