// Replacing a file so that a failed write never destroys what was there: the bytes go to a
// temporary file beside the target, which is then renamed over it.
#pragma once

#include <cstdint>
#include <span>
#include <string>

namespace pellum {

// Replaces `path` with `bytes`. A symbolic link is followed and what it names is replaced, so the
// link stays a link; the replaced file keeps its permissions (and, where allowed, its owner). A
// target without write permission is refused, as is a folder. Any failure throws FileCreateError
// naming `path` and leaves the previous file intact.
void writeFileAtomically(const std::string& path, std::span<const std::uint8_t> bytes);

}  // namespace pellum
