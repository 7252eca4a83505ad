// Texts of a .cfg file shown on screen: request names and refused lines. The file is taken
// byte for byte; on screen it reads as UTF-8 when it is UTF-8, else in the Japanese ANSI code
// page (CP932) such files were written in.
#pragma once

#include <QString>
#include <string_view>

namespace pellum {

// `bytes` for display. A character cut at the end (a request name keeps only its first 33
// bytes) is left off rather than shown as a broken one; what is sent never depends on this.
QString fileText(std::string_view bytes);

}  // namespace pellum
