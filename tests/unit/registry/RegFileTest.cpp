#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/registry/RegFile.h"
#include "tests/support/TempFiles.h"

using namespace pellum;
using namespace pellum::test;

namespace {

const char kKey[] = "SOFTWARE\\VOSSEL\\Pellum";

std::string text(const std::string& path) {
    const Bytes bytes = readBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

void writeText(const std::string& path, const std::string& content) {
    writeBytes(path, Bytes(content.begin(), content.end()));
}

}  // namespace

TEST(RegFile, CreatesTheKeyAndRoundTripsTypedValues) {
    TempDir dir;
    RegFileRegistry registry(dir.path() / "VOSSEL" / "Pellum.reg");

    auto key = registry.openOrCreateKey(kKey);
    // Opening creates the folder, the file and the key, without values.
    EXPECT_EQ(
        text(registry.file().string()),
        "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\SOFTWARE\\VOSSEL\\Pellum]\n");
    EXPECT_FALSE(key->read("MIDI_IN"));

    key->write("MIDI_IN", RegistryValue::binary({0x01}));
    key->write("MIDI_OUT", RegistryValue::binary({0x02}));
    key->write("CFG_FILE", RegistryValue::string("C:\\dumps\\\"synth\".cfg"));
    key->write("COUNT", RegistryValue::dword(0x1234));
    key->write("PATHS", RegistryValue{REG_EXPAND_SZ, {'%', 'H', '%', 0xE3, 0x81, 0x82, 0}});
    key->write("EMPTY", RegistryValue::binary({}));
    key->write("MIDI_IN", RegistryValue::binary({0x03}));  // replaces, keeps its place

    EXPECT_EQ(text(registry.file().string()),
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
    try {
        key->read("BROKEN");
        ADD_FAILURE() << "an unparsable value was read";
    } catch (const RegistryReadError& e) {
        EXPECT_EQ(std::string(e.what()), "'BROKEN' の取得に失敗しました");
    }
    EXPECT_THROW(key->read("TYPO"), RegistryReadError);

    // Writing replaces our value and keeps everything else.
    key->write("MIDI_IN", RegistryValue::binary({0x02}));
    const std::string after = text(file);
    EXPECT_NE(after.find("[HKEY_CURRENT_USER\\SOFTWARE\\Other]\n\"MIDI_IN\"=hex:09\n"),
              std::string::npos);
    EXPECT_NE(after.find("\"MIDI_IN\"=hex:02\n"), std::string::npos);
    EXPECT_NE(after.find("\"BROKEN\"=hex:1,zz\n"), std::string::npos);
    EXPECT_EQ(registry.openOrCreateKey(kKey)->read("MIDI_IN")->data, Bytes{0x02});

    // The editor's own UTF-16 export reads the same.
    const std::string utf8 =
        "Windows Registry Editor Version "
        "5.00\r\n\r\n[HKEY_CURRENT_USER\\SOFTWARE\\VOSSEL\\Pellum]\r\n"
        "\"CFG_FILE\"=\"C:\\\\ユーザー.cfg\"\r\n";
    Bytes utf16{0xFF, 0xFE};
    for (std::size_t i = 0; i < utf8.size();) {  // the text is BMP-only
        const unsigned char b = utf8[i];
        char32_t c = b < 0x80 ? b : (b & 0x0F);
        const int extra = b < 0x80 ? 0 : 2;
        for (int k = 1; k <= extra; ++k) c = (c << 6) | (utf8[i + k] & 0x3F);
        i += 1 + extra;
        utf16.push_back(static_cast<std::uint8_t>(c & 0xFF));
        utf16.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    writeBytes(file, utf16);
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
    try {
        key->write("MIDI_IN", RegistryValue::binary({1}));
        ADD_FAILURE() << "a write to a missing key succeeded";
    } catch (const RegistryWriteError& e) {
        EXPECT_EQ(std::string(e.what()), "'MIDI_IN' の設定に失敗しました");
    }
    EXPECT_EQ(std::string(RegistryTypeError("MIDI_IN").what()), "'MIDI_IN' のデータ型が不正です");
}
