#include "core/list/LineTimes.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace pellum {

bool sameRecording(const ListLine& a, const ListLine& b) {
    if (!a.arrivalNs || !b.arrivalNs || a.origin != b.origin) return false;
    return a.origin == Origin::capture || (a.origin == Origin::file && a.owner == b.owner);
}

std::optional<std::int64_t> timeSinceStart(const ListLine& line, std::int64_t captureStartNs) {
    if (!line.arrivalNs) return std::nullopt;
    return line.origin == Origin::capture ? *line.arrivalNs - captureStartNs : *line.arrivalNs;
}

std::optional<std::int64_t> gapBetween(const ListLine& before, const ListLine& line) {
    if (!sameRecording(before, line)) return std::nullopt;
    return *line.arrivalNs - *before.arrivalNs;
}

MessageTimes timesForFile(const std::vector<const ListLine*>& lines) {
    std::optional<std::int64_t> firstCapture;
    bool any = false;
    for (const ListLine* line : lines) {
        if (!line->arrivalNs) continue;
        any = true;
        if (line->origin == Origin::capture)
            firstCapture = std::min(firstCapture.value_or(*line->arrivalNs), *line->arrivalNs);
    }
    MessageTimes times;
    if (!any) return times;
    for (const ListLine* line : lines) {
        if (!line->arrivalNs)
            times.emplace_back();
        else
            times.emplace_back(*line->arrivalNs -
                               (line->origin == Origin::capture ? *firstCapture : 0));
    }
    return times;
}

std::string secondsText(std::int64_t ns) {
    const std::int64_t ms = ns / 1'000'000;
    char text[32];
    std::snprintf(text, sizeof text, "%s%lld.%03lld", ns < 0 ? "-" : "",
                  static_cast<long long>(std::llabs(ms) / 1000),
                  static_cast<long long>(std::llabs(ms) % 1000));
    return text;
}

}  // namespace pellum
