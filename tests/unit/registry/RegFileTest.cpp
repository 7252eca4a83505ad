#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/registry/RegFile.h"
#include "tests/support/TempFiles.h"
#include "tests/support/Thrown.h"

using namespace pellum;
using namespace pellum::test;

namespace {

const char kKey[] = "SOFTWARE\\VOSSEL\\Pellum";

Bytes bytesOf(const std::string& content) {
    return Bytes(content.begin(), content.end());
}

// UTF-16LE of UTF-8 text whose characters are all in the BMP.
Bytes utf16(const std::string& utf8) {
    Bytes out;
    for (std::size_t i = 0; i < utf8.size();) {
        const unsigned char b = utf8[i];
        char32_t c = b < 0x80 ? b : (b & 0x0F);
        const int extra = b < 0x80 ? 0 : 2;
        for (int k = 1; k <= extra; ++k) c = (c << 6) | (utf8[i + k] & 0x3F);
        i += 1 + extra;
        out.insert(out.end(),
                   {static_cast<std::uint8_t>(c & 0xFF), static_cast<std::uint8_t>(c >> 8)});
    }
    return out;
}

using Values = std::vector<std::pair<std::string, std::optional<RegistryValue>>>;

std::string show(const std::optional<RegistryValue>& value) {
    if (!value) return "(absent)";
    std::string text = "type " + std::to_string(value->type) + ":";
    for (std::uint8_t b : value->data) text += " " + std::to_string(b);
    return text;
}

// What a fresh key object reads for each name of `wanted`.
Values readAll(const std::string& file, const Values& wanted) {
    auto key = RegFileRegistry(file).openOrCreateKey(kKey);
    Values got;
    for (const auto& [name, expected] : wanted) {
        try {
            got.emplace_back(name, key->read(name));
        } catch (const std::exception& e) {
            got.emplace_back(name, RegistryValue{0xDEAD, bytesOf(e.what())});
        }
    }
    return got;
}

void writeAll(const std::string& file, const Values& values) {
    auto key = RegFileRegistry(file).openOrCreateKey(kKey);
    for (const auto& [name, value] : values)
        if (value) key->write(name, *value);
}

void expectValues(const Values& got, const Values& expected, const std::string& what) {
    ASSERT_EQ(got.size(), expected.size());
    for (std::size_t i = 0; i < got.size(); ++i)
        EXPECT_EQ(show(got[i].second), show(expected[i].second)) << what << ", " << got[i].first;
}

}  // namespace

TEST(RegFile, CreatesTheKeyAndRoundTripsTypedValues) {
    TempDir dir;
    RegFileRegistry registry(dir.path() / "VOSSEL" / "Pellum.reg");

    auto key = registry.openOrCreateKey(kKey);
    // Opening creates the folder, the file and the key, without values.
    EXPECT_EQ(
        readText(registry.file().string()),
        "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\SOFTWARE\\VOSSEL\\Pellum]\n");
    EXPECT_FALSE(key->read("MIDI_IN"));

    key->write("MIDI_IN", RegistryValue::binary({0x01}));
    key->write("MIDI_OUT", RegistryValue::binary({0x02}));
    key->write("CFG_FILE", RegistryValue::string("C:\\dumps\\\"synth\".cfg"));
    key->write("COUNT", RegistryValue::dword(0x1234));
    key->write("PATHS", RegistryValue{REG_EXPAND_SZ, {'%', 'H', '%', 0xE3, 0x81, 0x82, 0}});
    key->write("EMPTY", RegistryValue::binary({}));
    key->write("MIDI_IN", RegistryValue::binary({0x03}));  // replaces, keeps its place

    EXPECT_EQ(readText(registry.file().string()),
              "Windows Registry Editor Version 5.00\n\n"
              "[HKEY_CURRENT_USER\\SOFTWARE\\VOSSEL\\Pellum]\n"
              "\"MIDI_IN\"=hex:03\n"
              "\"MIDI_OUT\"=hex:02\n"
              "\"CFG_FILE\"=\"C:\\\\dumps\\\\\\\"synth\\\".cfg\"\n"
              "\"COUNT\"=dword:00001234\n"
              "\"PATHS\"=hex(2):25,00,48,00,25,00,42,30,00,00\n"
              "\"EMPTY\"=hex:\n");

    // A new key object reads what the file holds, as the registry hands it over.
    auto again = registry.openOrCreateKey(kKey);
    EXPECT_EQ(again->read("MIDI_IN")->data, Bytes{0x03});
    EXPECT_EQ(again->read("midi_out")->type, REG_BINARY);  // names ignore case
    const auto cfg = again->read("CFG_FILE");
    EXPECT_EQ(cfg->type, REG_SZ);
    EXPECT_EQ(std::string(cfg->data.begin(), cfg->data.end()),
              std::string("C:\\dumps\\\"synth\".cfg") + '\0');
    EXPECT_EQ(again->read("COUNT")->data, (Bytes{0x34, 0x12, 0, 0}));
    EXPECT_EQ(again->read("PATHS")->data, (Bytes{'%', 'H', '%', 0xE3, 0x81, 0x82, 0}));
    EXPECT_TRUE(again->read("EMPTY")->data.empty());
}

TEST(RegFile, ReadsEditorFilesTolerantly) {
    TempDir dir;
    const std::string file = dir.file("Pellum.reg");
    // Another key before ours, a long value continued over lines, a deleted value, a comment and
    // two lines that cannot be parsed.
    writeText(file,
              "Windows Registry Editor Version 5.00\r\n\r\n"
              "[HKEY_CURRENT_USER\\SOFTWARE\\Other]\r\n\"MIDI_IN\"=hex:09\r\n\r\n"
              "[HKEY_CURRENT_USER\\Software\\VOSSEL\\Pellum]\r\n"
              "; written by hand\r\n"
              "\"MIDI_IN\"=dword:00000001\r\n"
              "\"MIDI_OUT\"=hex:01,\\\r\n  02\r\n"
              "\"CFG_FILE\"=-\r\n"
              "\"BROKEN\"=hex:1,zz\r\n"
              "\"TYPO\"=\"unterminated\r\n"
              "\"ODD\"=hex(a):00,ff\r\n");
    RegFileRegistry registry(file);
    auto key = registry.openOrCreateKey(kKey);
    EXPECT_EQ(key->read("MIDI_IN")->type, REG_DWORD);
    EXPECT_EQ(key->read("MIDI_OUT")->data, (Bytes{0x01, 0x02}));
    EXPECT_FALSE(key->read("CFG_FILE"));
    EXPECT_EQ(key->read("ODD")->type, 0x0Au);
    EXPECT_EQ(thrownText<RegistryReadError>([&] { key->read("BROKEN"); }),
              "'BROKEN' の取得に失敗しました");
    EXPECT_THROW(key->read("TYPO"), RegistryReadError);

    // Writing replaces our value and keeps everything else.
    key->write("MIDI_IN", RegistryValue::binary({0x02}));
    const std::string after = readText(file);
    EXPECT_NE(after.find("[HKEY_CURRENT_USER\\SOFTWARE\\Other]\n\"MIDI_IN\"=hex:09\n"),
              std::string::npos);
    EXPECT_NE(after.find("\"MIDI_IN\"=hex:02\n"), std::string::npos);
    EXPECT_NE(after.find("\"BROKEN\"=hex:1,zz\n"), std::string::npos);
    EXPECT_EQ(registry.openOrCreateKey(kKey)->read("MIDI_IN")->data, Bytes{0x02});

    // The editor's own UTF-16 export reads the same.
    writeBytes(file, joined({{0xFF, 0xFE},
                             utf16("Windows Registry Editor Version 5.00\r\n\r\n"
                                   "[HKEY_CURRENT_USER\\SOFTWARE\\VOSSEL\\Pellum]\r\n"
                                   "\"CFG_FILE\"=\"C:\\\\ユーザー.cfg\"\r\n")}));
    const auto cfg = RegFileRegistry(file).openOrCreateKey(kKey)->read("CFG_FILE");
    EXPECT_EQ(std::string(cfg->data.begin(), cfg->data.end()),
              std::string("C:\\ユーザー.cfg") + '\0');
}

TEST(RegFile, AKeyThatCannotBeCreatedReadsEmptyAndRefusesWrites) {
    TempDir dir;
    writeText(dir.file("blocker"), "a file where the folder should be");
    RegFileRegistry registry(dir.path() / "blocker" / "Pellum.reg");
    auto key = registry.openOrCreateKey(kKey);
    EXPECT_FALSE(key->read("MIDI_IN"));
    EXPECT_EQ(
        thrownText<RegistryWriteError>([&] { key->write("MIDI_IN", RegistryValue::binary({1})); }),
        "'MIDI_IN' の設定に失敗しました");
    EXPECT_EQ(std::string(RegistryTypeError("MIDI_IN").what()), "'MIDI_IN' のデータ型が不正です");
}

TEST(RegFile, ValuesSurviveReadWriteAndReadAgain) {
    const std::string header =
        "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\SOFTWARE\\VOSSEL\\Pellum]\n";
    // A UTF-8 mark put before the UTF-16 one.
    const Bytes utf16File =
        joined({{0xEF, 0xBB, 0xBF, 0xFF, 0xFE},
                utf16("Windows Registry Editor Version 5.00\r\n\r\n"
                      "[HKEY_CURRENT_USER\\SOFTWARE\\VOSSEL\\Pellum]\r\n\"MIDI_IN\"=hex:01\r\n"
                      "\"CFG_FILE\"=\"a.cfg\"\r\n")});
    struct Case {
        const char* what;
        Bytes file;       // what the file holds first (none when empty)
        Values writes;    // then written through a key
        Values expected;  // the writes when empty
    };
    const RegistryValue nulInside{REG_SZ, {'a', 0, 'b', 0}};
    const RegistryValue lineFeed = RegistryValue::string("/home/u/new\nline.cfg");
    const RegistryValue carriageReturn = RegistryValue::string("a\rb");
    const RegistryValue unterminated{REG_SZ, {'A', 'B'}};
    // Bytes that are not UTF-8 (a Latin-1 name, an overlong form, an encoded surrogate) in a
    // string that must take the UTF-16 form.
    const RegistryValue notUtf8{REG_SZ, {0, 0xB7, 'a', 0xC0, 0x80, 0xED, 0xA0, 0x80, 0xFF, 0}};
    const RegistryValue notUtf8Expand{REG_EXPAND_SZ, {'%', 0xE9, '%', 0xF4, 0x90, 0x80, 0x80}};
    const Case cases[] = {
        {"a NUL inside a string", {}, {{"CFG_FILE", nulInside}}, {}},
        {"line breaks in a string",
         {},
         {{"CFG_FILE", lineFeed},
          {"OTHER", carriageReturn},
          {"MIDI_IN", RegistryValue::binary({1})}},
         {}},
        {"bytes that are not UTF-8 in the UTF-16 form",
         {},
         {{"CFG_FILE", notUtf8}, {"PATHS", notUtf8Expand}},
         {}},
        {"a string without its NUL", {}, {{"CFG_FILE", unterminated}}, {}},
        {"hex(1) text gets no NUL added",
         bytesOf(header + "\"A\"=hex(1):41,00,42,00\n\"B\"=hex(1):41,00,00,00\n\"C\"=hex(1):\n"),
         {},
         {{"A", unterminated},
          {"B", RegistryValue::string("A")},
          {"C", RegistryValue{REG_SZ, {}}}}},
        {"half a UTF-16 unit",
         bytesOf(header + "\"A\"=hex(1):41\n\"B\"=hex(2):41,00,42\n"),
         {},
         {{"A", RegistryValue{REG_SZ, {0xEF, 0xBF, 0xBD}}},
          {"B", RegistryValue{REG_EXPAND_SZ, {'A', 0xEF, 0xBF, 0xBD}}}}},
        {"lines ending CR CR",
         bytesOf("Windows Registry Editor Version 5.00\r\r\n\r\r\n"
                 "[HKEY_CURRENT_USER\\SOFTWARE\\VOSSEL\\Pellum]\r\r\n"
                 "\"MIDI_IN\"=hex:01,\\\r\r\n  02\r\r\n\"CFG_FILE\"=\"a.cfg\"\r\r\n"),
         {},
         {{"MIDI_IN", RegistryValue::binary({1, 2})},
          {"CFG_FILE", RegistryValue::string("a.cfg")}}},
        {"a UTF-8 mark before a UTF-16 file",
         utf16File,
         {},
         {{"MIDI_IN", RegistryValue::binary({1})}, {"CFG_FILE", RegistryValue::string("a.cfg")}}},
    };
    for (const Case& c : cases) {
        TempDir dir;
        const std::string file = dir.file("Pellum.reg");
        const Values& expected = c.expected.empty() ? c.writes : c.expected;
        if (!c.file.empty()) writeBytes(file, c.file);
        // Opening a key saves the file; the first read must see the file as it was given.
        if (!c.writes.empty()) writeAll(file, c.writes);
        const Values first = readAll(file, expected);
        expectValues(first, expected, c.what);
        writeAll(file, first);
        const Bytes once = readBytes(file);
        const Values second = readAll(file, expected);
        expectValues(second, expected, std::string(c.what) + " after writing back");
        writeAll(file, second);
        EXPECT_EQ(readBytes(file), once) << c.what;
    }
    // Plain strings keep the plain form that every reader knows.
    TempDir dir;
    writeAll(dir.file("Pellum.reg"), {{"CFG_FILE", RegistryValue::string("C:\\a.cfg")}});
    EXPECT_NE(readText(dir.file("Pellum.reg")).find("\"CFG_FILE\"=\"C:\\\\a.cfg\"\n"),
              std::string::npos);
}

#if !defined(_WIN32)  // the file size limit is POSIX
TEST(RegFile, ASaveThatFailsHalfWayKeepsThePreviousFileAndSaysSo) {
    // The file size limit stands in for a full disk.
    TempDir dir;
    const std::string file = dir.file("Pellum.reg");
    RegFileRegistry registry(file);
    registry.openOrCreateKey(kKey)->write("MIDI_IN", RegistryValue::binary({1}));
    const Bytes before = readBytes(file);
    auto key = registry.openOrCreateKey(kKey);

    {
        const FileSizeLimit limit(1000);
        ASSERT_TRUE(limit.applied());
        const std::string longName = "/home/u/" + std::string(2000, 'a') + ".cfg";
        EXPECT_EQ(thrownText<RegistryWriteError>(
                      [&] { key->write("CFG_FILE", RegistryValue::string(longName)); }),
                  "'CFG_FILE' の設定に失敗しました");
    }
    EXPECT_EQ(readBytes(file), before);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
    EXPECT_EQ(RegFileRegistry(file).openOrCreateKey(kKey)->read("MIDI_IN")->data, Bytes{1});
}
#endif
