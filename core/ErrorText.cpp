#include "core/ErrorText.h"

#include "core/Errors.h"

namespace pellum {

FileOpenError::FileOpenError(const std::string& fileName)
    : PellumError("ファイル " + fileName + " は開けません") {}

FileCreateError::FileCreateError(const std::string& fileName)
    : PellumError("ファイル " + fileName + " を作成できません") {}

std::string withFullStop(const std::string& message) {
    // Any byte of a multi-byte UTF-8 character is >= 0x80, so the last byte decides.
    if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') return message + ".";
    return message;
}

}  // namespace pellum
