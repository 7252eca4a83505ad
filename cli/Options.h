// Command-line options of the MIDI commands: "--name VALUE" pairs and plain arguments, with a
// usage error (exit status 2) for anything unknown or malformed.
#pragma once

#include <map>
#include <optional>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "cli/Commands.h"

namespace pellum::cli {

// A mistake in how the command was called; main answers it with exit status 2.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct Options {
    std::vector<std::string> plain;
    std::map<std::string, std::string> values;           // the last one given
    std::map<std::string, std::vector<std::string>> all;  // each one given, in order
    std::set<std::string> flags;

    std::optional<std::string> value(const std::string& name) const;
    std::vector<std::string> every(const std::string& name) const {
        const auto found = all.find(name);
        return found == all.end() ? std::vector<std::string>{} : found->second;
    }
    bool flag(const std::string& name) const { return flags.contains(name); }
    // A whole number from `low` up; `fallback` when the option is absent.
    long number(const std::string& name, long low, long fallback) const;
    double seconds(const std::string& name, double fallback) const;
};

// Every option in `valued` takes a value, those in `switches` none; `command` names the
// command in error texts.
Options parseOptions(const std::string& command, const Args& args,
                     const std::set<std::string>& valued,
                     const std::set<std::string>& switches = {});

}  // namespace pellum::cli
