// Option parsing for the MIDI commands.
#include "cli/Options.h"

#include <cmath>
#include <cstdlib>

#include "core/text/ErrorText.h"

namespace pellum::cli {

std::optional<std::string> Options::value(const std::string& name) const {
    const auto found = values.find(name);
    if (found == values.end()) return std::nullopt;
    return found->second;
}

long Options::number(const std::string& name, long low, long fallback) const {
    const auto text = value(name);
    if (!text) return fallback;
    char* end = nullptr;
    errno = 0;
    const long parsed = std::strtol(text->c_str(), &end, 10);
    if (text->empty() || *end != '\0' || errno != 0 || parsed < low) {
        throw UsageError(name + " wants a whole number from " + std::to_string(low) + " up, not '" +
                         excerpt(*text) + "'");
    }
    return parsed;
}

double Options::seconds(const std::string& name, double fallback) const {
    const auto text = value(name);
    if (!text) return fallback;
    char* end = nullptr;
    const double parsed = std::strtod(text->c_str(), &end);
    if (text->empty() || *end != '\0' || !std::isfinite(parsed) || parsed <= 0 || parsed > 86400) {
        throw UsageError(name + " wants a number of seconds above 0, not '" + excerpt(*text) + "'");
    }
    return parsed;
}

Options parseOptions(const std::string& command, const Args& args,
                     const std::set<std::string>& valued, const std::set<std::string>& switches) {
    Options options;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg.size() > 1 && arg[0] == '-') {
            if (switches.contains(arg)) {
                options.flags.insert(arg);
                continue;
            }
            if (!valued.contains(arg)) {
                throw UsageError(command + ": unknown option '" + excerpt(arg) + "'");
            }
            // An option where the value belongs is a value left out, not a value: taken as one,
            // an unknown option would pass for a device name or a file.
            if (i + 1 == args.size() || args[i + 1].starts_with("--"))
                throw UsageError(command + ": " + arg + " wants a value");
            options.values[arg] = args[++i];
            options.all[arg].push_back(args[i]);
        } else {
            options.plain.push_back(arg);
        }
    }
    return options;
}

}  // namespace pellum::cli
