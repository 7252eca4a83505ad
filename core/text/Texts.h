// The texts core/ and pellum-cli show the user, in each language they exist in, and the choice
// of language. The window's own texts are Qt translations; these are the ones it shares with
// pellum-cli, kept free of Qt. A new language is one more column of TextTable.cpp.
#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace pellum {

enum class Text {
    FileOpen,            // %1 file name
    FileCreate,          // %1 file name
    MessageTooLong,      // %1 message number, %2 byte limit
    FileMessageTooLong,  // %1 file name, %2 message number, %3 byte limit
    NotANumber,          // %1 the line
    TooManyLines,        // %1 line limit
    HeaderTooLong,       // %1 byte limit
    RequestFileLine,     // %1 file name, %2 line number, %3 what is wrong there
    RequestFileEnd,      // %1 file name, %2 what is missing
    UnfinishedMessage,   // %1 file name, %2 message number
    UnfinishedMessages,  // %1 file name, %2 how many, %3 their numbers
    NoMessage,           // %1 file name
    MidiFileHeader,      // %1 file name
    MidiFileCut,         // %1 file name
    MidiFileDamaged,     // %1 file name, %2 track number, %3 byte offset in the file
    MidiEscapes,         // %1 file name, %2 how many
    RegistryRead,        // %1 value name
    RegistryWrite,       // %1 value name
    RegistryType,        // %1 value name
    AllDevices,          // an Identity Reply's device 7FH
    ReplyCutInItsId,     // an Identity Reply that ends inside its maker ID
    IsAFolder,           // %1 file name
    HexLine,             // %1 line number, %2 what is wrong there
    HexNoStart,          // a message that does not begin with F0
    HexNoEnd,            // a message without its F7
    HexHighByte,         // %1 the byte, inside a message
    HexNotHex,           // %1 the word
    HexNoMessage,        // text without a message
    NoRoomToUndo,        // %1 how many lines
    HexOffset,           // %1 offset in hex, %2 what is wrong there
    DiffByte,            // %1 both line numbers, %2 offset, %3 old byte, %4 new byte
    DiffAddress,         // %1 a Roland address
    DiffOnlyIn,          // %1 both line numbers, %2 file name, %3 the message
    DiffFilesDiffer,     // %1 and %2 file names
    Count
};

// The text in the current language, %1, %2, ... replaced by `args` in order.
std::string text(Text id, std::initializer_list<std::string_view> args = {});

// The first of `uiLanguages` (BCP 47 or POSIX locale names, most wanted first: "ja_JP.UTF-8",
// "de-DE") that has texts; "C" and "POSIX" mean English. English when none does.
std::string chooseLanguage(const std::vector<std::string>& uiLanguages);

// The user's UI languages as the system gives them: LANGUAGE's list, else the first set of
// LC_ALL, LC_MESSAGES and LANG, as Qt reads them for the window; on Windows, when none is set, the
// user's UI language.
std::vector<std::string> systemUiLanguages();

// Texts come in `language` (an ISO 639 code the table has, else English) from now on. Until
// this is called, in the language chosen from systemUiLanguages() at first use.
void setLanguage(const std::string& language);

}  // namespace pellum
