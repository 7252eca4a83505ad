// The table of shared texts (TextTable.cpp), read only by Texts.cpp.
#pragma once

#include <array>
#include <cstddef>

#include "core/text/Texts.h"

namespace pellum {

struct TextColumn {
    const char* language;
    std::array<const char*, static_cast<std::size_t>(Text::Count)> texts;
};

extern const TextColumn kTextTable[];
extern const std::size_t kTextColumns;

}  // namespace pellum
