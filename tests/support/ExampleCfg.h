// The request file the tests of the .cfg reader, the window and pellum-cli share: the design's
// example of two Roland GS requests, whose checksums are 40H and 31H.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace pellum::test {

inline const std::vector<std::string> kExampleCfgLines = {"# requests for the SC-88",
                                                          "SC-88 requests",
                                                          "YES",
                                                          "65",
                                                          "16",
                                                          "66",
                                                          "17",
                                                          "?System",
                                                          "64",
                                                          "0",
                                                          "127",
                                                          "0",
                                                          "0",
                                                          "1",
                                                          "?Part 1",
                                                          "64",
                                                          "16",
                                                          "0",
                                                          "0",
                                                          "0",
                                                          "127"};

// The lines as a file holds them, each ended by `end`.
inline std::vector<std::uint8_t> cfgBytes(const std::vector<std::string>& lines,
                                          const std::string& end = "\r\n") {
    std::vector<std::uint8_t> bytes;
    for (const std::string& line : lines) {
        bytes.insert(bytes.end(), line.begin(), line.end());
        bytes.insert(bytes.end(), end.begin(), end.end());
    }
    return bytes;
}

}  // namespace pellum::test
