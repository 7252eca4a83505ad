// The real registry (Windows only): keys under HKEY_CURRENT_USER, or under another root a test
// names.
#pragma once

#include "platform/registry/Registry.h"

struct HKEY__;

namespace pellum {

class WinRegistry : public Registry {
public:
    explicit WinRegistry(HKEY__* root = nullptr);
    std::unique_ptr<RegistryKey> openOrCreateKey(const std::string& path) override;

private:
    HKEY__* root_;
};

}  // namespace pellum
