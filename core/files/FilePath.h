// File names as the program keeps them, UTF-8 text, turned into the system's own: on Windows the
// wide API, so that a name in any script opens whatever the machine's code page is.
#pragma once

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

namespace pellum {

std::filesystem::path pathFromUtf8(const std::string& utf8);
std::string utf8FromPath(const std::filesystem::path& path);

// fopen() for a UTF-8 name. The mode may hold "x" (create, never reuse an existing file) on
// every system.
std::FILE* openFile(const std::filesystem::path& path, const char* mode);
inline std::FILE* openFile(const std::string& utf8, const char* mode) {
    return openFile(pathFromUtf8(utf8), mode);
}

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using FileHandle = std::unique_ptr<std::FILE, FileCloser>;

// Whether the current user may create files in `folder`.
bool mayWriteIn(const std::filesystem::path& folder);

}  // namespace pellum
