#include "platform/registry/Registry.h"

#include "core/text/Texts.h"
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
    : std::runtime_error(text(Text::RegistryRead, {valueName})) {}

RegistryWriteError::RegistryWriteError(const std::string& valueName)
    : std::runtime_error(text(Text::RegistryWrite, {valueName})) {}

RegistryTypeError::RegistryTypeError(const std::string& valueName)
    : std::runtime_error(text(Text::RegistryType, {valueName})) {}

std::unique_ptr<Registry> createUserRegistry() {
#if defined(_WIN32)
    return std::make_unique<WinRegistry>();
#else
    return std::make_unique<RegFileRegistry>(RegFileRegistry::defaultFile());
#endif
}

}  // namespace pellum
