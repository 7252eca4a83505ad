#include "platform/registry/Registry.h"

#include "platform/registry/RegFile.h"

#if defined(_WIN32)
#include "platform/registry/WinRegistry.h"
#endif

namespace pellum {

RegistryValue RegistryValue::binary(std::vector<std::uint8_t> bytes) {
    return {REG_BINARY, std::move(bytes)};
}

RegistryValue RegistryValue::string(const std::string& text) {
    RegistryValue value{REG_SZ, {text.begin(), text.end()}};
    value.data.push_back(0);
    return value;
}

RegistryValue RegistryValue::dword(std::uint32_t v) {
    return {REG_DWORD,
            {static_cast<std::uint8_t>(v), static_cast<std::uint8_t>(v >> 8),
             static_cast<std::uint8_t>(v >> 16), static_cast<std::uint8_t>(v >> 24)}};
}

RegistryReadError::RegistryReadError(const std::string& valueName)
    : std::runtime_error("'" + valueName + "' の取得に失敗しました") {}

RegistryWriteError::RegistryWriteError(const std::string& valueName)
    : std::runtime_error("'" + valueName + "' の設定に失敗しました") {}

RegistryTypeError::RegistryTypeError(const std::string& valueName)
    : std::runtime_error("'" + valueName + "' のデータ型が不正です") {}

std::unique_ptr<Registry> createUserRegistry() {
#if defined(_WIN32)
    return std::make_unique<WinRegistry>();
#else
    return std::make_unique<RegFileRegistry>(RegFileRegistry::defaultFile());
#endif
}

}  // namespace pellum
