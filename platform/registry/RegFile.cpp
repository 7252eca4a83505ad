#include "platform/registry/RegFile.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <sstream>
#include <system_error>

#include "core/text/HexText.h"
#include "core/files/RegularFile.h"
#include "core/files/SyxFile.h"
#include "platform/registry/TextEncoding.h"

namespace pellum {
namespace {

const char kHeader[] = "Windows Registry Editor Version 5.00";
const char kOldHeader[] = "REGEDIT4";
// A settings file holds a few lines; anything this large was never written by a registry
// export, and reading it whole at every settings access would stall the window.
constexpr std::uintmax_t kMaxFileBytes = 1u << 20;
const char kRoot[] = "HKEY_CURRENT_USER\\";

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// One logical line of the file: its physical lines as they were (continuations included), and
// what it is.
struct Entry {
    enum Kind { other, section, value } kind = other;
    std::string raw;
    std::string name;  // section name, or value name
};

// Reads `"..."` with \\ and \" escapes at `at`; advances past the closing quote.
bool quoted(const std::string& text, std::size_t& at, std::string& out) {
    if (at >= text.size() || text[at] != '"') return false;
    out.clear();
    for (++at; at < text.size(); ++at) {
        const char c = text[at];
        if (c == '"') {
            ++at;
            return true;
        }
        out += (c == '\\' && at + 1 < text.size()) ? text[++at] : c;
    }
    return false;
}

std::string escaped(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '\\' || c == '"') out += '\\';
        out += c;
    }
    return out + "\"";
}

bool hexBytes(const std::string& text, std::vector<std::uint8_t>& out) {
    out.clear();
    std::string digits;
    for (char c : text) {
        if (std::isspace(static_cast<unsigned char>(c)) || c == '\\') continue;
        if (c == ',') {
            if (digits.empty()) return false;
            out.push_back(static_cast<std::uint8_t>(*parseHexNumber(digits)));
            digits.clear();
        } else if (hexDigitValue(c) >= 0 && digits.size() < 2) {
            digits += c;
        } else {
            return false;
        }
    }
    if (!digits.empty()) out.push_back(static_cast<std::uint8_t>(*parseHexNumber(digits)));
    return true;
}

// Types whose hex form holds UTF-16LE text, as the registry keeps it.
bool isTextType(std::uint32_t type) {
    return type == REG_SZ || type == REG_EXPAND_SZ || type == REG_MULTI_SZ;
}

// Whether a string can go in the "..." form: exactly one NUL, at the end, and no line break,
// which would split the line. Anything else takes the hex(1) form, as the registry's own export
// writes such values, so that it reads back byte for byte.
bool fitsQuotedForm(const std::vector<std::uint8_t>& data) {
    return !data.empty() && data.back() == 0 &&
           std::none_of(data.begin(), data.end() - 1,
                        [](std::uint8_t c) { return c == 0 || c == '\n' || c == '\r'; });
}

// Physical lines may end in any number of CRs (a CRLF file passed through another CRLF
// conversion): all of them are line ending, not content.
void dropLineEnd(std::string& line) {
    while (!line.empty() && line.back() == '\r') line.pop_back();
}

// The data part of a value line: `"text"`, `dword:0000000a`, `hex:01,02`, `hex(2):...`, `-`.
// Returns false when it cannot be read; `deleted` for `-`.
bool parseData(const std::string& data, RegistryValue& value, bool& deleted) {
    deleted = false;
    if (data == "-") {
        deleted = true;
        return true;
    }
    if (!data.empty() && data[0] == '"') {
        std::size_t at = 0;
        std::string text;
        if (!quoted(data, at, text) || at != data.size()) return false;
        value = RegistryValue::string(text);
        return true;
    }
    if (data.rfind("dword:", 0) == 0) {
        const auto number = parseHexNumber(std::string_view(data).substr(6));
        if (data.size() != 14 || !number) return false;
        value = RegistryValue::dword(*number);
        return true;
    }
    std::uint32_t type = REG_BINARY;
    std::string bytes;
    if (data.rfind("hex:", 0) == 0) {
        bytes = data.substr(4);
    } else if (data.rfind("hex(", 0) == 0) {
        const std::size_t close = data.find("):");
        if (close == std::string::npos || close == 4 || close > 12) return false;
        const auto number = parseHexNumber(std::string_view(data).substr(4, close - 4));
        if (!number) return false;
        type = *number;
        bytes = data.substr(close + 2);
    } else {
        return false;
    }
    value.type = type;
    if (!hexBytes(bytes, value.data)) return false;
    // The editor stores these as UTF-16; the program reads narrow text.
    if (isTextType(type)) value.data = utf16leToUtf8(value.data);
    return true;
}

std::string formatData(const RegistryValue& value) {
    if (value.type == REG_SZ && fitsQuotedForm(value.data))
        return escaped(std::string(value.data.begin(), value.data.end() - 1));
    if (value.type == REG_DWORD && value.data.size() == 4) {
        char digits[16];
        std::snprintf(digits, sizeof digits, "dword:%08x",
                      value.data[0] | value.data[1] << 8 | value.data[2] << 16 |
                          static_cast<std::uint32_t>(value.data[3]) << 24);
        return digits;
    }
    const std::vector<std::uint8_t> bytes =
        isTextType(value.type) ? utf8ToUtf16le(value.data) : value.data;
    char prefix[24];
    if (value.type == REG_BINARY)
        std::snprintf(prefix, sizeof prefix, "hex:");
    else
        std::snprintf(prefix, sizeof prefix, "hex(%x):", value.type);
    std::string text = prefix;
    for (std::size_t i = 0; i < bytes.size(); ++i) {
        char byte[4];
        std::snprintf(byte, sizeof byte, "%02x", bytes[i]);
        if (i) text += ',';
        text += byte;
    }
    return text;
}

std::vector<Entry> parseFile(const std::string& content) {
    std::vector<Entry> entries;
    std::istringstream in(content);
    std::string physical;
    while (std::getline(in, physical)) {
        dropLineEnd(physical);
        Entry entry;
        entry.raw = physical;
        // Long hex data continues on the next line after a trailing backslash.
        while (!entry.raw.empty() && entry.raw.back() == '\\' &&
               entry.raw.find("=hex") != std::string::npos && std::getline(in, physical)) {
            dropLineEnd(physical);
            entry.raw += "\n" + physical;
        }
        if (entry.raw.size() > 2 && entry.raw.front() == '[' && entry.raw.back() == ']') {
            entry.kind = Entry::section;
            entry.name = entry.raw.substr(1, entry.raw.size() - 2);
        } else if (!entry.raw.empty() && entry.raw.front() == '"') {
            std::size_t at = 0;
            if (quoted(entry.raw, at, entry.name)) entry.kind = Entry::value;
        }
        entries.push_back(std::move(entry));
    }
    return entries;
}

class RegFileKey : public RegistryKey {
public:
    RegFileKey(std::filesystem::path file, std::string section, bool usable)
        : file_(std::move(file)), section_(std::move(section)), usable_(usable) {}

    // False when the file cannot be read, or is not a registry export: the key then leaves
    // it alone, since a save would write over whatever the user keeps there.
    bool load() {
        const FileBytes file = readRegularFile(file_, kMaxFileBytes);
        if (file.outcome != OpenOutcome::opened) return false;
        entries_ = parseFile(decodeFileText(std::string(file.bytes.begin(), file.bytes.end())));
        // Ours is a file that opens with the export's header, or (edited by hand) without it
        // with a key; an empty file has nothing to lose.
        const auto first = std::find_if(entries_.begin(), entries_.end(),
                                        [](const Entry& e) { return !e.raw.empty(); });
        return first == entries_.end() || first->raw == kHeader || first->raw == kOldHeader ||
               first->kind == Entry::section;
    }

    bool hasSection() const { return sectionStart() != entries_.end(); }

    void createSection() {
        createSectionEntries();
        save();
    }

    std::optional<RegistryValue> read(const std::string& name) override {
        if (!usable_) return std::nullopt;
        const auto entry = find(name);
        if (entry == entries_.end()) return std::nullopt;
        const std::string& raw = entry->raw;
        std::size_t at = 0;
        std::string parsedName;
        quoted(raw, at, parsedName);
        RegistryValue value;
        bool deleted = false;
        if (at >= raw.size() || raw[at] != '=' || !parseData(raw.substr(at + 1), value, deleted))
            throw RegistryReadError(name);
        if (deleted) return std::nullopt;
        return value;
    }

    void write(const std::string& name, const RegistryValue& value) override {
        if (!usable_) throw RegistryWriteError(name);
        const std::string line = escaped(name) + "=" + formatData(value);
        const auto entry = find(name);
        if (entry != entries_.end()) {
            entry->raw = line;
        } else {
            if (sectionStart() == entries_.end()) createSectionEntries();
            auto end = sectionEnd();
            // Keep a blank line that separates this key from the next one after the new value.
            while (end != sectionStart() + 1 && std::prev(end)->raw.empty()) --end;
            entries_.insert(end, {Entry::value, line, name});
        }
        try {
            save();
        } catch (const std::exception&) {
            throw RegistryWriteError(name);
        }
    }

private:
    using Iterator = std::vector<Entry>::iterator;
    using ConstIterator = std::vector<Entry>::const_iterator;

    ConstIterator sectionStart() const {
        return std::find_if(entries_.begin(), entries_.end(), [this](const Entry& e) {
            return e.kind == Entry::section && lower(e.name) == lower(section_);
        });
    }
    Iterator sectionStart() {
        return entries_.begin() +
               (static_cast<const RegFileKey*>(this)->sectionStart() - entries_.cbegin());
    }
    ConstIterator sectionEnd() const {
        auto start = sectionStart();
        if (start == entries_.end()) return entries_.end();
        return std::find_if(start + 1, entries_.end(),
                            [](const Entry& e) { return e.kind == Entry::section; });
    }
    Iterator sectionEnd() {
        return entries_.begin() +
               (static_cast<const RegFileKey*>(this)->sectionEnd() - entries_.cbegin());
    }

    Iterator find(const std::string& name) {
        auto start = sectionStart();
        if (start == entries_.end()) return entries_.end();
        const auto end = sectionEnd();
        // Value names are case-insensitive; the last line for a name wins, as on import.
        auto found = entries_.end();
        for (auto it = start + 1; it != end; ++it)
            if (it->kind == Entry::value && lower(it->name) == lower(name)) found = it;
        return found;
    }

    void createSectionEntries() {
        if (entries_.empty()) entries_.push_back({Entry::other, kHeader, {}});
        if (!entries_.back().raw.empty()) entries_.push_back({Entry::other, "", {}});
        entries_.push_back({Entry::section, "[" + section_ + "]", section_});
    }

    void save() {
        std::string text;
        for (const Entry& e : entries_) text += e.raw + "\n";
        writeFileAtomically(file_.string(),
                            {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()});
    }

    std::filesystem::path file_;
    std::string section_;
    bool usable_;
    std::vector<Entry> entries_;
};

}  // namespace

RegFileRegistry::RegFileRegistry(std::filesystem::path file) : file_(std::move(file)) {}

std::filesystem::path RegFileRegistry::defaultFile() {
    std::filesystem::path base;
    if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg) {
        base = xdg;
    } else if (const char* home = std::getenv("HOME"); home && *home) {
        base = std::filesystem::path(home) / ".config";
    } else {
        base = std::filesystem::temp_directory_path();
    }
    return base / "VOSSEL" / "Pellum.reg";
}

std::unique_ptr<RegistryKey> RegFileRegistry::openOrCreateKey(const std::string& path) {
    const std::string section = kRoot + path;
    std::error_code error;
    std::filesystem::create_directories(file_.parent_path(), error);
    const bool exists = std::filesystem::exists(file_, error);
    auto key = std::make_unique<RegFileKey>(file_, section, true);
    if (exists && !key->load()) return std::make_unique<RegFileKey>(file_, section, false);
    if (!key->hasSection()) {
        try {
            key->createSection();
        } catch (const std::exception&) {
            return std::make_unique<RegFileKey>(file_, section, false);
        }
    }
    return key;
}

}  // namespace pellum
