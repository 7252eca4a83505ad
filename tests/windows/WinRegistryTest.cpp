// The registry backend against a real registry (Wine's): typed values read back as written, text
// is kept as UTF-16 so other programs read it, and a key that cannot be had fails as the settings
// code expects.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/registry/WinRegistry.h"
#include "tests/support/Thrown.h"

// After the registry's own names: <windows.h> defines the same ones as macros.
#include <windows.h>

namespace pellum {
namespace {

// A key of this test's own under HKEY_CURRENT_USER, removed afterwards.
class WinRegistryTest : public ::testing::Test {
protected:
    void SetUp() override {
        path = "SOFTWARE\\PellumTest\\" + std::to_string(GetCurrentProcessId());
        RegDeleteTreeA(HKEY_CURRENT_USER, path.c_str());
    }
    void TearDown() override { RegDeleteTreeA(HKEY_CURRENT_USER, "SOFTWARE\\PellumTest"); }

    std::string path;
};

RegistryValue value(std::uint32_t type, const std::string& bytes) {
    return {type, std::vector<std::uint8_t>(bytes.begin(), bytes.end())};
}

TEST_F(WinRegistryTest, ValuesReadBackWithTheirTypesAndBytes) {
    WinRegistry registry;
    const std::string japanesePath = "C:\\ダンプ\\音色 ①.cfg";
    const struct {
        const char* name;
        RegistryValue value;
    } cases[] = {
        {"MIDI_IN", RegistryValue::binary({0x01})},
        {"MIDI_OUT", RegistryValue::binary({})},
        {"CFG_FILE", RegistryValue::string(japanesePath)},
        {"EMPTY", RegistryValue::string("")},
        {"COUNT", RegistryValue::dword(0x12345678)},
        {"EXPAND", value(REG_EXPAND_SZ, std::string("%APPDATA%\\ä") + '\0')},
        {"MULTI", value(REG_MULTI_SZ, std::string("eins\0zwei\0\0", 11))},
        {"LONG", RegistryValue::binary(std::vector<std::uint8_t>(5000, 0xAB))},
        {"名前", RegistryValue::binary({0x02})},
    };
    {
        auto key = registry.openOrCreateKey(path);
        for (const auto& c : cases) key->write(c.name, c.value);
    }
    auto key = registry.openOrCreateKey(path);
    for (const auto& c : cases) {
        const std::optional<RegistryValue> read = key->read(c.name);
        ASSERT_TRUE(read.has_value()) << c.name;
        EXPECT_EQ(read->type, c.value.type) << c.name;
        EXPECT_EQ(read->data, c.value.data) << c.name;
    }
    EXPECT_FALSE(key->read("MISSING").has_value());

    // Stored as UTF-16, the way the registry editor and every other program read it.
    HKEY raw = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &raw), ERROR_SUCCESS);
    wchar_t text[64] = {};
    DWORD size = sizeof text;
    DWORD type = 0;
    EXPECT_EQ(
        RegQueryValueExW(raw, L"CFG_FILE", nullptr, &type, reinterpret_cast<BYTE*>(text), &size),
        ERROR_SUCCESS);
    EXPECT_EQ(type, DWORD{REG_SZ});
    EXPECT_EQ(std::wstring(text), L"C:\\\u30C0\u30F3\u30D7\\\u97F3\u8272 \u2460.cfg");
    EXPECT_EQ(size, (std::wstring(text).size() + 1) * sizeof(wchar_t));
    RegCloseKey(raw);
}

TEST_F(WinRegistryTest, TheKeyIsCreatedByOpeningAndAnUnusableKeyReadsEmptyAndRefusesWrites) {
    WinRegistry registry;
    registry.openOrCreateKey(path + "\\Pellum");
    HKEY raw = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, (path + "\\Pellum").c_str(), 0, KEY_READ, &raw),
              ERROR_SUCCESS);
    DWORD values = 99;
    RegQueryInfoKeyA(raw, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr,
                     nullptr, nullptr, nullptr);
    EXPECT_EQ(values, 0u);
    RegCloseKey(raw);

    // A value written by another program through the "A" functions reads the same.
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_SET_VALUE, &raw),
              ERROR_SUCCESS);
    RegSetValueExA(raw, "CFG_FILE", 0, REG_SZ, reinterpret_cast<const BYTE*>("C:\\a.cfg"), 9);
    RegCloseKey(raw);
    const auto read = registry.openOrCreateKey(path)->read("CFG_FILE");
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(read->data, RegistryValue::string("C:\\a.cfg").data);

    // A name the registry refuses as a key.
    auto unusable = registry.openOrCreateKey(std::string(300, 'k'));
    EXPECT_FALSE(unusable->read("MIDI_IN").has_value());
    EXPECT_EQ(test::thrownText<RegistryWriteError>(
                  [&] { unusable->write("MIDI_IN", RegistryValue::binary({1})); }),
              "'MIDI_IN' の設定に失敗しました");
}

TEST_F(WinRegistryTest, TheSettingsStoreOfThisPlatformIsTheRegistry) {
    auto key = createUserRegistry()->openOrCreateKey(path);
    key->write("MIDI_IN", RegistryValue::binary({3}));
    HKEY raw = nullptr;
    ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &raw), ERROR_SUCCESS);
    BYTE data[4] = {};
    DWORD size = sizeof data;
    DWORD type = 0;
    EXPECT_EQ(RegQueryValueExA(raw, "MIDI_IN", nullptr, &type, data, &size), ERROR_SUCCESS);
    RegCloseKey(raw);
    EXPECT_EQ(type, DWORD{REG_BINARY});
    EXPECT_EQ(size, 1u);
    EXPECT_EQ(data[0], 3);
}

}  // namespace
}  // namespace pellum
