#include "cli/LineList.h"

#include <charconv>
#include <set>

#include "cli/Options.h"
#include "core/text/Errors.h"

namespace pellum::cli {
namespace {

// A line number of `part`'s: nothing but digits, 1 or more.
bool lineNumber(std::string_view digits, long& value) {
    const char* end = digits.data() + digits.size();
    const auto [at, error] = std::from_chars(digits.data(), end, value);
    return !digits.empty() && error == std::errc() && at == end && value >= 1;
}

}  // namespace

std::vector<int> chosenLines(const std::string& command, const std::string& lines, int count) {
    std::set<int> rows;
    std::size_t at = 0;
    for (;;) {
        const std::size_t comma = lines.find(',', at);
        const std::string part = lines.substr(at, comma - at);
        const std::size_t dash = part.find('-');
        long first = 0;
        long last = 0;
        const bool parsed = dash == std::string::npos
                                ? lineNumber(part, first) && lineNumber(part, last)
                                : lineNumber(std::string_view(part).substr(0, dash), first) &&
                                      lineNumber(std::string_view(part).substr(dash + 1), last);
        if (!parsed) {
            throw UsageError(command + ": '" + part + "' in LINES is not a line number (from 1) " +
                             "or a range of them (LINES looks like 1,3-5)");
        }
        if (last < first)
            throw UsageError(command + ": the range '" + part + "' in LINES runs backwards");
        if (last > count) {
            throw PellumError(command + ": '" + part + "' in LINES goes past the last line, " +
                              std::to_string(count));
        }
        for (long line = first; line <= last; ++line) rows.insert(static_cast<int>(line - 1));
        if (comma == std::string::npos) break;
        at = comma + 1;
    }
    return {rows.begin(), rows.end()};
}

}  // namespace pellum::cli
