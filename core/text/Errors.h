// Exceptions that carry the message the user sees. Handlers throw them; one place (the
// application's event dispatch, or the CLI's main) catches and shows them.
#pragma once

#include <stdexcept>
#include <string>

namespace pellum {

class PellumError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Text::FileOpen: "Cannot open file %1"; or Text::IsAFolder: "%1 is a folder" when the name
// is a folder's, which says what is wrong where "cannot open" would not.
class FileOpenError : public PellumError {
public:
    explicit FileOpenError(const std::string& fileName);
};

// Text::FileCreate: "Cannot create file %1"; or Text::IsAFolder, as FileOpenError.
class FileCreateError : public PellumError {
public:
    explicit FileCreateError(const std::string& fileName);
};

// Text::MessageTooLong, or Text::FileMessageTooLong naming the file: a
// message longer than the store keeps is refused whole, never cut short or split.
class MessageTooLongError : public PellumError {
public:
    explicit MessageTooLongError(int number);
    MessageTooLongError(const std::string& fileName, int number);
    int number() const { return number_; }

private:
    int number_;
};

}  // namespace pellum
