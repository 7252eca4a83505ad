#include "platform/registry/WinRegistry.h"

#include <windows.h>

namespace pellum {
namespace {

class WinRegistryKey : public RegistryKey {
public:
    explicit WinRegistryKey(HKEY key) : key_(key) {}
    ~WinRegistryKey() override {
        if (key_) RegCloseKey(key_);
    }

    std::optional<RegistryValue> read(const std::string& name) override {
        if (!key_) return std::nullopt;
        DWORD type = 0;
        DWORD size = 0;
        LONG result = RegQueryValueExA(key_, name.c_str(), nullptr, &type, nullptr, &size);
        if (result == ERROR_FILE_NOT_FOUND) return std::nullopt;
        if (result != ERROR_SUCCESS) throw RegistryReadError(name);
        RegistryValue value{type, std::vector<std::uint8_t>(size)};
        result = RegQueryValueExA(key_, name.c_str(), nullptr, &type, value.data.data(), &size);
        if (result != ERROR_SUCCESS) throw RegistryReadError(name);
        value.data.resize(size);
        return value;
    }

    void write(const std::string& name, const RegistryValue& value) override {
        if (!key_ || RegSetValueExA(key_, name.c_str(), 0, value.type, value.data.data(),
                                    static_cast<DWORD>(value.data.size())) != ERROR_SUCCESS)
            throw RegistryWriteError(name);
    }

private:
    HKEY key_;
};

}  // namespace

std::unique_ptr<RegistryKey> WinRegistry::openOrCreateKey(const std::string& path) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_ALL_ACCESS, nullptr, &key, nullptr) != ERROR_SUCCESS)
        key = nullptr;
    return std::make_unique<WinRegistryKey>(key);
}

}  // namespace pellum
