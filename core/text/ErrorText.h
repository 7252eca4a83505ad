// The wording of the error box: an escaped error's message gets a full stop unless it
// already ends with one, or with a character that sorts before it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace pellum {

// `message` is UTF-8.
std::string withFullStop(const std::string& message);

// `text` as an error shows it: its first `characters` characters, and "…" when it goes on, so
// that a box or a terminal gets a readable stretch of a refused line, never megabytes of it.
// UTF-8 is cut between characters; other bytes count one each.
std::string excerpt(std::string_view text, std::size_t characters = 80);

}  // namespace pellum
