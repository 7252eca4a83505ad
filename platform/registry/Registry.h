// The per-user settings store, shaped like the platform registry: keys under the current user
// hold typed values. On Windows it is the registry itself; elsewhere one file in the registry's
// export text format (see RegFile.h).
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace pellum {

// Value types, numbered as the registry numbers them.
enum RegType : std::uint32_t {
    REG_NONE = 0,
    REG_SZ = 1,
    REG_EXPAND_SZ = 2,
    REG_BINARY = 3,
    REG_DWORD = 4,
    REG_DWORD_BIG_ENDIAN = 5,
    REG_LINK = 6,
    REG_MULTI_SZ = 7,
    REG_QWORD = 11,
};

// Strings come and go as narrow text with their terminating NUL, as the registry's "A"
// functions hand them over.
struct RegistryValue {
    std::uint32_t type = REG_NONE;
    std::vector<std::uint8_t> data;

    static RegistryValue binary(std::vector<std::uint8_t> bytes);
    static RegistryValue string(const std::string& text);
    static RegistryValue dword(std::uint32_t value);
};

// Text::RegistryRead
class RegistryReadError : public std::runtime_error {
public:
    explicit RegistryReadError(const std::string& valueName);
};

// Text::RegistryWrite
class RegistryWriteError : public std::runtime_error {
public:
    explicit RegistryWriteError(const std::string& valueName);
};

// Text::RegistryType
class RegistryTypeError : public std::runtime_error {
public:
    explicit RegistryTypeError(const std::string& valueName);
};

class RegistryKey {
public:
    virtual ~RegistryKey() = default;
    // Nothing when the value is absent; RegistryReadError when it is there but unreadable.
    virtual std::optional<RegistryValue> read(const std::string& name) = 0;
    // RegistryWriteError when the value cannot be stored.
    virtual void write(const std::string& name, const RegistryValue& value) = 0;
};

class Registry {
public:
    virtual ~Registry() = default;
    // Opens `path` under the current user, creating it when missing. A key that can be neither
    // opened nor created still comes back: it reads as empty and refuses every write.
    virtual std::unique_ptr<RegistryKey> openOrCreateKey(const std::string& path) = 0;
};

// The registry of this platform for the current user. (On Windows, include this header before
// <windows.h>, whose macros share the value type names.)
std::unique_ptr<Registry> createUserRegistry();

}  // namespace pellum
