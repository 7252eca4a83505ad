// The registry keeps text as UTF-16 and the program as UTF-8: names, paths and string values are
// converted through the wide API, so that a value reads back as it was written whatever the
// machine's code page, and the registry editor shows it as the user typed it.
#include "platform/registry/WinRegistry.h"

#include <windows.h>

#include "platform/registry/TextEncoding.h"

namespace pellum {
namespace {

std::wstring wide(const std::string& utf8) {
    const std::vector<std::uint8_t> units =
        utf8ToUtf16le(std::vector<std::uint8_t>(utf8.begin(), utf8.end()));
    std::wstring out(units.size() / 2, L'\0');
    for (std::size_t i = 0; i < out.size(); ++i)
        out[i] = static_cast<wchar_t>(units[2 * i] | (units[2 * i + 1] << 8));
    return out;
}

bool isText(DWORD type) {
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

class WinRegistryKey : public RegistryKey {
public:
    explicit WinRegistryKey(HKEY key) : key_(key) {}
    ~WinRegistryKey() override {
        if (key_) RegCloseKey(key_);
    }
    WinRegistryKey(const WinRegistryKey&) = delete;
    WinRegistryKey& operator=(const WinRegistryKey&) = delete;

    std::optional<RegistryValue> read(const std::string& name) override {
        if (!key_) return std::nullopt;
        const std::wstring wideName = wide(name);
        DWORD type = 0;
        std::vector<std::uint8_t> data;
        // The value may grow between asking its size and reading it: ask again then.
        for (;;) {
            DWORD size = 0;
            LONG result = RegQueryValueExW(key_, wideName.c_str(), nullptr, &type, nullptr, &size);
            if (result == ERROR_FILE_NOT_FOUND) return std::nullopt;
            if (result != ERROR_SUCCESS) throw RegistryReadError(name);
            data.resize(size);
            result = RegQueryValueExW(key_, wideName.c_str(), nullptr, &type,
                                      size == 0 ? nullptr : data.data(), &size);
            if (result == ERROR_MORE_DATA) continue;
            if (result == ERROR_FILE_NOT_FOUND) return std::nullopt;
            if (result != ERROR_SUCCESS) throw RegistryReadError(name);
            data.resize(size);
            break;
        }
        // UTF-16 text becomes UTF-8 with the same terminators, as the "A" functions would hand
        // it over; other types are bytes.
        if (isText(type)) data = utf16leToUtf8(data);
        return RegistryValue{static_cast<std::uint32_t>(type), std::move(data)};
    }

    void write(const std::string& name, const RegistryValue& value) override {
        if (!key_) throw RegistryWriteError(name);
        const std::vector<std::uint8_t> data =
            isText(value.type) ? utf8ToUtf16le(value.data) : value.data;
        if (RegSetValueExW(key_, wide(name).c_str(), 0, value.type,
                           data.empty() ? nullptr : data.data(),
                           static_cast<DWORD>(data.size())) != ERROR_SUCCESS)
            throw RegistryWriteError(name);
    }

private:
    HKEY key_;
};

}  // namespace

WinRegistry::WinRegistry(HKEY__* root) : root_(root != nullptr ? root : HKEY_CURRENT_USER) {}

std::unique_ptr<RegistryKey> WinRegistry::openOrCreateKey(const std::string& path) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(root_, wide(path).c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
        key = nullptr;
    return std::make_unique<WinRegistryKey>(key);
}

}  // namespace pellum
