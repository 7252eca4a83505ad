#pragma once

namespace pellum::test {

// A sanitizer build: a loop that repeats one path to catch a rare race with a server runs a few
// times there, where each run costs many times more; the normal build repeats it in full.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
inline constexpr bool kSanitized = true;
#else
inline constexpr bool kSanitized = false;
#endif

}  // namespace pellum::test
