// The wide text of the Windows API (arguments, device names) as UTF-8, the program's text.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace pellum::midi {

inline std::string utf8FromWide(std::wstring_view wide) {
    // A path holds any text unchanged and gives it back as UTF-8.
    const std::u8string text = std::filesystem::path(wide).u8string();
    return std::string(text.begin(), text.end());
}

}  // namespace pellum::midi
