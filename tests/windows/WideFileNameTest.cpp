// .syx files whose names are outside the machine's code page: the program keeps names as UTF-8,
// and on Windows they must open, save and be replaced through the wide API.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "core/files/FilePath.h"
#include "core/files/LoadedMessages.h"
#include "core/files/SyxFile.h"
#include "core/text/Errors.h"
#include "platform/midi/WideText.h"
#include "tests/support/Thrown.h"

namespace pellum {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

Bytes readWide(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), {});
}

TEST(WideFileNames, SyxFilesOpenSaveAndReplaceUnderNamesOfAnyScript) {
    const fs::path folder = fs::temp_directory_path() / L"pellum-\u97F3\u8272";
    fs::remove_all(folder);
    fs::create_directories(folder);
    const std::string folderUtf8 = utf8FromPath(folder);
    EXPECT_EQ(pathFromUtf8(folderUtf8), folder);
    EXPECT_EQ(midi::utf8FromWide(L"\u97F3\u8272 \U0001F3B9"),
              "音色 🎹");  // beyond UTF-16's one unit
    const wchar_t lone[] = {L'a', static_cast<wchar_t>(0xD800), L'b'};
    EXPECT_EQ(midi::utf8FromWide(std::wstring_view(lone, 3)),
              "a\xEF\xBF\xBD"
              "b");

    for (const std::string& name :
         {std::string("ダンプ.syx"), std::string("Ωmega ①.syx"), std::string("plain.syx")}) {
        const std::string path = folderUtf8 + "\\" + name;
        LoadedMessages store;
        const Bytes bytes = {0xF0, 0x41, 0x10, 0xF7, 0xF0, 0x43, 0x20, 0x00, 0xF7};
        loadSyx(bytes, store);
        saveSyxFile(path, store, {});
        EXPECT_EQ(readWide(pathFromUtf8(path)), bytes) << name;

        // Saving again replaces the file whole.
        loadSyx(Bytes{0xF0, 0x7E, 0xF7}, store);
        saveSyxFile(path, store, {});
        EXPECT_EQ(readWide(pathFromUtf8(path)), (Bytes{0xF0, 0x7E, 0xF7})) << name;

        LoadedMessages loaded;
        EXPECT_EQ(loadSyxFile(path, loaded).count, 1) << name;
        EXPECT_EQ(Bytes(loaded.message(0).begin(), loaded.message(0).end()),
                  (Bytes{0xF0, 0x7E, 0xF7}));
    }
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(utf8FromPath(entry.path().filename()));
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"plain.syx", "Ωmega ①.syx", "ダンプ.syx"}));

    LoadedMessages store;
    const std::string missing = folderUtf8 + "\\無い.syx";
    EXPECT_EQ(test::thrownText<FileOpenError>([&] { loadSyxFile(missing, store); }),
              "ファイル " + missing + " は開けません");
    fs::remove_all(folder);
}

TEST(WideFileNames, ExclusiveCreationNeverReusesAFile) {
    const fs::path file = fs::temp_directory_path() / L"pellum-\u4E00.tmp";
    fs::remove(file);
    std::FILE* first = openFile(file, "wbx");
    ASSERT_NE(first, nullptr);
    EXPECT_GE(std::fputs("abc", first), 0);
    std::fclose(first);
    EXPECT_EQ(openFile(file, "wbx"), nullptr);
    std::FILE* reread = openFile(file, "rb");
    ASSERT_NE(reread, nullptr);
    char text[8] = {};
    EXPECT_EQ(std::fread(text, 1, sizeof text, reread), 3u);
    std::fclose(reread);
    EXPECT_STREQ(text, "abc");
    fs::remove(file);
}

}  // namespace
}  // namespace pellum
