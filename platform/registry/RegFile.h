// The registry kept in one text file, in the format the registry editor exports:
//   Windows Registry Editor Version 5.00
//   [HKEY_CURRENT_USER\SOFTWARE\VOSSEL\Pellum]
//   "MIDI_IN"=hex:01
//   "CFG_FILE"="C:\\dumps\\synth.cfg"
// A string the quoted form cannot hold (a NUL inside, a line break, no closing NUL) is written as
// hex(1): UTF-16LE bytes, as the editor exports it.
// Written atomically; read tolerantly: a value line that cannot be parsed makes only that value
// unreadable, and lines of other keys are kept as they are.
// A file that is not a registry export (it begins with neither the header nor a key) or is over
// 1 MiB is not ours: it is never written, and its key reads as empty and refuses every write.
#pragma once

#include <filesystem>

#include "platform/registry/Registry.h"

namespace pellum {

class RegFileRegistry : public Registry {
public:
    explicit RegFileRegistry(std::filesystem::path file);
    std::unique_ptr<RegistryKey> openOrCreateKey(const std::string& path) override;

    const std::filesystem::path& file() const { return file_; }

    // $XDG_CONFIG_HOME/VOSSEL/Pellum.reg, or ~/.config/VOSSEL/Pellum.reg.
    static std::filesystem::path defaultFile();

private:
    std::filesystem::path file_;
};

}  // namespace pellum
