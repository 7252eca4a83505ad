#include "core/files/FilePath.h"

#include <cstring>
#include <string_view>

#if defined(_WIN32)
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#else
#include <unistd.h>
#endif

namespace pellum {

std::filesystem::path pathFromUtf8(const std::string& utf8) {
    // A narrow string alone means the code page on Windows; char8_t says UTF-8 everywhere.
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string utf8FromPath(const std::filesystem::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

std::FILE* openFile(const std::filesystem::path& path, const char* mode) {
#if defined(_WIN32)
    const std::string_view modeText(mode);
    if (modeText.find('x') != std::string_view::npos) {
        // The C run-time of older Windows does not know "x": the same through _wopen.
        const bool append = modeText.find('a') != std::string_view::npos;
        const int flags = _O_CREAT | _O_EXCL | _O_BINARY |
                          (modeText.find('+') != std::string_view::npos ? _O_RDWR : _O_WRONLY) |
                          (append ? _O_APPEND : 0);
        const int fd = _wopen(path.c_str(), flags, _S_IREAD | _S_IWRITE);
        if (fd < 0) return nullptr;
        std::string plain;
        for (char c : modeText)
            if (c != 'x') plain += c;
        std::FILE* file = _fdopen(fd, plain.c_str());
        if (file == nullptr) _close(fd);
        return file;
    }
    std::wstring wideMode(modeText.begin(), modeText.end());
    return _wfopen(path.c_str(), wideMode.c_str());
#else
    return std::fopen(path.c_str(), mode);
#endif
}

bool mayWriteIn(const std::filesystem::path& folder) {
#if defined(_WIN32)
    return _waccess(folder.c_str(), 2) == 0;
#else
    return ::access(folder.c_str(), W_OK) == 0;
#endif
}

}  // namespace pellum
