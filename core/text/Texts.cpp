#include "core/text/Texts.h"

#include <atomic>
#include <cctype>
#include <cstdlib>

#include "core/text/TextTable.h"

#if defined(_WIN32)
#include <windows.h>
#endif

namespace pellum {
namespace {

// The column texts come from; -1 until chosen. Atomic, as errors are worded on any thread.
std::atomic<int> chosenColumn{-1};

int columnOf(std::string_view language) {
    for (std::size_t c = 0; c < kTextColumns; ++c)
        if (language == kTextTable[c].language) return static_cast<int>(c);
    return -1;
}

// "ja_JP.UTF-8", "ja-JP", "ja@euro" -> "ja"; "C" and "POSIX" -> "en".
std::string languageCode(std::string_view tag) {
    std::string code;
    for (char c : tag) {
        if (c == '_' || c == '-' || c == '.' || c == '@') break;
        code += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return code == "c" || code == "posix" ? "en" : code;
}

int currentColumn() {
    int column = chosenColumn.load();
    if (column < 0) {
        column = columnOf(chooseLanguage(systemUiLanguages()));
        chosenColumn.store(column);
    }
    return column;
}

std::vector<std::string> split(const std::string& list, char separator) {
    std::vector<std::string> parts;
    std::size_t from = 0;
    for (std::size_t at; (at = list.find(separator, from)) != std::string::npos; from = at + 1)
        parts.push_back(list.substr(from, at - from));
    parts.push_back(list.substr(from));
    return parts;
}

std::string environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

}  // namespace

std::string text(Text id, std::initializer_list<std::string_view> args) {
    const auto row = static_cast<std::size_t>(id);
    const char* pattern = kTextTable[currentColumn()].texts[row];
    if (pattern == nullptr) pattern = kTextTable[0].texts[row];  // not translated yet
    std::string result;
    for (const char* p = pattern; *p != '\0'; ++p) {
        const std::size_t n = static_cast<std::size_t>(p[1] - '1');
        if (p[0] == '%' && p[1] >= '1' && p[1] <= '9' && n < args.size()) {
            result += *(args.begin() + n);
            ++p;
        } else {
            result += *p;
        }
    }
    return result;
}

std::string chooseLanguage(const std::vector<std::string>& uiLanguages) {
    for (const std::string& tag : uiLanguages)
        if (const std::string code = languageCode(tag); columnOf(code) >= 0) return code;
    return kTextTable[0].language;
}

std::vector<std::string> systemUiLanguages() {
    if (const std::string list = environment("LANGUAGE"); !list.empty()) return split(list, ':');
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"})
        if (std::string value = environment(name); !value.empty()) return {value};
#if defined(_WIN32)
    wchar_t name[LOCALE_NAME_MAX_LENGTH];
    const LCID locale = MAKELCID(GetUserDefaultUILanguage(), SORT_DEFAULT);
    if (LCIDToLocaleName(locale, name, LOCALE_NAME_MAX_LENGTH, 0) > 0) {
        std::string tag;
        for (const wchar_t* c = name; *c != 0; ++c) tag += static_cast<char>(*c & 0x7F);
        return {tag};
    }
#endif
    return {};
}

void setLanguage(const std::string& language) {
    const int column = columnOf(language);
    chosenColumn.store(column >= 0 ? column : 0);
}

}  // namespace pellum
