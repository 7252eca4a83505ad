#include "core/messages/HexMessages.h"

#include <algorithm>
#include <optional>

#include "core/files/LoadedMessages.h"
#include "core/list/ListLabel.h"
#include "core/messages/StatusBytes.h"
#include "core/text/Errors.h"
#include "core/text/HexText.h"
#include "core/text/NumberText.h"
#include "core/text/Texts.h"

namespace pellum {
namespace {

std::optional<std::uint8_t> byteOfWord(std::string_view word) {
    if (word.size() > 2 && (word.starts_with("0x") || word.starts_with("0X")))
        word.remove_prefix(2);
    else if (word.size() > 1 && word.front() == '$')
        word.remove_prefix(1);
    else if (word.size() > 1 && (word.back() == 'H' || word.back() == 'h'))
        word.remove_suffix(1);
    if (word.empty() || word.size() > 2) return std::nullopt;
    const auto value = parseHexNumber(word);
    if (!value) return std::nullopt;
    return static_cast<std::uint8_t>(*value);
}

// Calls take(word, line) for each word of `hex`, apart by blanks or commas, lines from 1.
template <class Take>
void forEachWord(std::string_view hex, Take take) {
    constexpr std::string_view kApart = " \t\r\n,";
    int line = 1;
    std::size_t at = 0;
    while (at < hex.size()) {
        if (kApart.find(hex[at]) != std::string_view::npos) {
            if (hex[at++] == '\n') ++line;
            continue;
        }
        const std::size_t end = std::min(hex.find_first_of(kApart, at), hex.size());
        take(hex.substr(at, end - at), line);
        at = end;
    }
}

[[noreturn]] void refuseLine(int line, const std::string& what) {
    throw PellumError(text(Text::HexLine, {std::to_string(line), what}));
}

}  // namespace

std::string messagesAsHex(const std::vector<std::span<const std::uint8_t>>& messages) {
    std::string out;
    for (const auto& message : messages) out += hexBytes(message) + '\n';
    return out;
}

TypedMessage typedMessage(std::string_view hex) {
    TypedMessage typed;
    const auto refuse = [&](std::size_t at, const std::string& what) {
        typed.errorByte = at;
        typed.error = text(Text::HexOffset, {hexText(static_cast<std::uint32_t>(at)), what});
        return typed;
    };
    std::optional<std::string> notHex;
    forEachWord(hex, [&](std::string_view word, int) {
        if (notHex) return;
        if (const auto byte = byteOfWord(word))
            typed.bytes.push_back(*byte);
        else
            notHex = text(Text::HexNotHex, {word});
    });
    if (notHex) return refuse(typed.bytes.size(), *notHex);
    const std::size_t size = typed.bytes.size();
    if (size == 0) {
        typed.error = text(Text::HexNoMessage);
        return typed;
    }
    if (typed.bytes.front() != kSysExStart) return refuse(0, text(Text::HexNoStart));
    for (std::size_t i = 1; i + 1 < size; ++i)
        if (typed.bytes[i] >= 0x80)
            return refuse(i, text(Text::HexHighByte, {hexText(typed.bytes[i]) + "H"}));
    if (size < 2 || typed.bytes.back() != kSysExEnd) return refuse(size - 1, text(Text::HexNoEnd));
    if (size > LoadedMessages::kMaxMessageBytes) {
        return refuse(LoadedMessages::kMaxMessageBytes,
                      text(Text::MessageTooLong,
                           {"1", std::to_string(LoadedMessages::kMaxMessageBytes)}));
    }
    return typed;
}

std::vector<std::vector<std::uint8_t>> messagesFromHex(std::string_view hex) {
    std::vector<std::vector<std::uint8_t>> messages;
    std::vector<std::uint8_t> open;  // the message being read, while it lacks its F7
    int openedAt = 0;
    forEachWord(hex, [&](std::string_view word, int line) {
        const auto byte = byteOfWord(word);
        if (!byte) refuseLine(line, text(Text::HexNotHex, {word}));
        if (open.empty()) {
            if (*byte != kSysExStart) refuseLine(line, text(Text::HexNoStart));
            openedAt = line;
        } else if (*byte == kSysExStart) {
            refuseLine(openedAt, text(Text::HexNoEnd));
        } else if (*byte >= 0x80 && *byte != kSysExEnd) {
            refuseLine(line, text(Text::HexHighByte, {hexText(*byte) + "H"}));
        }
        open.push_back(*byte);
        if (open.size() > LoadedMessages::kMaxMessageBytes) {
            refuseLine(openedAt, text(Text::MessageTooLong,
                                      {std::to_string(messages.size() + 1),
                                       std::to_string(LoadedMessages::kMaxMessageBytes)}));
        }
        if (*byte == kSysExEnd) {
            messages.push_back(std::move(open));
            open.clear();
        }
    });
    if (!open.empty()) refuseLine(openedAt, text(Text::HexNoEnd));
    if (messages.empty()) throw PellumError(text(Text::HexNoMessage));
    return messages;
}

}  // namespace pellum
