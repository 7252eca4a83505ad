// The real registry under HKEY_CURRENT_USER (Windows only).
#pragma once

#include "platform/registry/Registry.h"

namespace pellum {

class WinRegistry : public Registry {
public:
    std::unique_ptr<RegistryKey> openOrCreateKey(const std::string& path) override;
};

}  // namespace pellum
