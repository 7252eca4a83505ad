// The wording of the error box: an escaped error's message gets a full stop unless it
// already ends with one, or with a character that sorts before it.
#pragma once

#include <string>

namespace pellum {

// `message` is UTF-8.
std::string withFullStop(const std::string& message);

}  // namespace pellum
