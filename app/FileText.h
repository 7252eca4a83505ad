// Texts of a .cfg file shown on screen: request names and refused lines. The file is taken
// byte for byte; on screen it reads as UTF-8 when it is UTF-8, else in the Japanese ANSI code
// page (CP932) such files were written in.
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace pellum {

// `bytes` for display. A character cut at the end (a request name keeps only its first 33
// bytes) is left off rather than shown as a broken one; what is sent never depends on this.
QString fileText(std::string_view bytes);

// A file name from a dialog as core/ takes names: UTF-8 on every system. (QFile::encodeName
// would give the ANSI code page on Windows, where a name in another script cannot be said.)
std::string fileNameUtf8(const QString& name);

}  // namespace pellum
