#include "core/text/ErrorText.h"

#include <filesystem>
#include <system_error>

#include "core/files/FilePath.h"
#include "core/files/LoadedMessages.h"
#include "core/text/Errors.h"
#include "core/text/Texts.h"

namespace pellum {

namespace {

bool isFolder(const std::string& fileName) {
    std::error_code error;
    return std::filesystem::is_directory(pathFromUtf8(fileName), error);
}

}  // namespace

FileOpenError::FileOpenError(const std::string& fileName)
    : PellumError(text(isFolder(fileName) ? Text::IsAFolder : Text::FileOpen, {fileName})) {}

FileCreateError::FileCreateError(const std::string& fileName)
    : PellumError(text(isFolder(fileName) ? Text::IsAFolder : Text::FileCreate, {fileName})) {}

MessageTooLongError::MessageTooLongError(int number)
    : PellumError(text(Text::MessageTooLong,
                       {std::to_string(number), std::to_string(LoadedMessages::kMaxMessageBytes)})),
      number_(number) {}

MessageTooLongError::MessageTooLongError(const std::string& fileName, int number)
    : PellumError(text(
          Text::FileMessageTooLong,
          {fileName, std::to_string(number), std::to_string(LoadedMessages::kMaxMessageBytes)})),
      number_(number) {}

std::string withFullStop(const std::string& message) {
    // Any byte of a multi-byte UTF-8 character is >= 0x80, so the last byte decides.
    if (!message.empty() && static_cast<unsigned char>(message.back()) > '.') return message + ".";
    return message;
}

std::string excerpt(std::string_view text, std::size_t characters) {
    std::size_t seen = 0;
    for (std::size_t at = 0; at < text.size(); ++at) {
        // A UTF-8 continuation byte belongs to the character before it.
        if ((static_cast<unsigned char>(text[at]) & 0xC0) == 0x80) continue;
        if (seen++ == characters) return std::string(text.substr(0, at)) + "…";
    }
    return std::string(text);
}

}  // namespace pellum
