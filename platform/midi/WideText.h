// The wide text of the Windows API (arguments, device names) as UTF-8, the program's text.
#pragma once

#if defined(_WIN32)

#include <windows.h>

#include <string>
#include <string_view>

namespace pellum::midi {

// Never fails: a broken UTF-16 unit (a lone surrogate, which file names and drivers may hold)
// becomes U+FFFD rather than an exception before anything could catch it.
inline std::string utf8FromWide(std::wstring_view wide) {
    if (wide.empty()) return {};
    const int length = static_cast<int>(wide.size());
    const int size =
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
    if (size > 0)
        WideCharToMultiByte(CP_UTF8, 0, wide.data(), length, text.data(), size, nullptr, nullptr);
    return text;
}

}  // namespace pellum::midi

#endif
