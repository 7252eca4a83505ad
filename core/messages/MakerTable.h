// The manufacturer ID table (MakerTable.cpp), sorted by key.
#pragma once

#include <cstddef>
#include <cstdint>

namespace pellum {

struct MakerRow {
    std::uint32_t key;  // a 1-byte ID, or 10000H + the two bytes after 00H
    const char* name;
};

extern const MakerRow kMakerRows[];
extern const std::size_t kMakerRowCount;

}  // namespace pellum
