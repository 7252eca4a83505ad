// Standard MIDI Files through pellum-cli: files of an independent writer list as the .syx of
// their messages does, and converted files read back in an independent reader (mido).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "core/list/ListLabel.h"
#include "tests/support/CliRun.h"
#include "tests/support/PatternMessage.h"
#include "tests/support/Sanitized.h"

using namespace pellum::test;

const std::string kPython = "/usr/bin/python3";  // Debian's, which has python3-mido

TEST(MidiFile, ListsAsTheSyxOfItsMessagesInPlayOrder) {
    TempDir dir;
    // Under a sanitizer each run of the program costs many times more: a quarter of the files,
    // with the fuzz pass reading many more there.
    const int files = kSanitized ? 100 : 400;
    ASSERT_EQ(std::system((kPython + " " PELLUM_MIDI_CASES " 33 " + std::to_string(files) + " " +
                           dir.file(""))
                              .c_str()),
              0);
    std::ifstream cases(dir.file("cases"));
    int count = 0;
    for (std::string name, escapes; cases >> name >> escapes; ++count) {
        const std::string mid = dir.file(name + ".mid");
        const CliRun got = runCli({"list", "--hex", mid});
        CliRun want{1, "", "pellum-cli: " + mid + " "};  // a cut file: refused, said why
        if (escapes != "bad") want = runCli({"list", "--hex", dir.file(name + ".syx")});
        for (std::size_t at; (at = want.err.find(".syx")) != std::string::npos;)
            want.err.replace(at, 4, ".mid");
        if (escapes != "0" && escapes != "bad")
            want.err +=
                "pellum-cli: " + mid + ": F7 エスケープイベント " + escapes +
                " 個 (リアルタイムまたは MTC のバイトで SysEx ではありません) は一覧に入りません\n";
        EXPECT_EQ(std::tie(got.status, got.out), std::tie(want.status, want.out)) << name;
        EXPECT_EQ(got.err.substr(0, escapes == "bad" ? want.err.size() : -1), want.err);
    }
    EXPECT_EQ(count, kSanitized ? 127 : 502);
}

TEST(MidiFile, ConvertsBothWaysAndAnIndependentReaderAgrees) {
    TempDir dir;
    const std::vector<std::size_t> sizes{5, 300, 5000, 65535, 7};
    writeBytes(dir.file("in.syx"), patternStream(sizes));
    EXPECT_EQ(runCli({"convert", dir.file("in.syx"), dir.file("a.mid"), "--interval", "20"}).status,
              0);
    // After each message its time on the cable (320 us a byte: 16 ticks), then the wait before
    // the next, at least 20 ms (50 ticks a millisecond).
    std::string want;
    for (std::size_t k = 0; k < sizes.size(); ++k)
        want +=
            std::to_string(
                k ? 16 * sizes[k - 1] + 50 * std::max<std::size_t>(sizes[k] / 256 + 1, 20) : 0) +
            " " + pellum::hexBytes(patternMessage(k, sizes[k])) + "\n";
    const std::string mido =
        "import mido, sys\nfor m in mido.MidiFile(sys.argv[1]).tracks[0]:\n"
        "    if m.type == 'sysex': print(m.time, m.hex())";
    EXPECT_EQ(runToEnd({kPython, "-c", mido, dir.file("a.mid")}, std::chrono::seconds(60)).out,
              want);
    // Back, and never over IN, by its name or through a link to it.
    std::filesystem::create_symlink(dir.file("in.syx"), dir.file("link.mid"));
    for (const auto& [in, out, status] :
         {std::tuple{"a.mid", "back.syx", 0}, {"in.syx", "in.syx", 2}, {"in.syx", "link.mid", 2}})
        EXPECT_EQ(runCli({"convert", dir.file(in), dir.file(out)}).status, status) << in << out;
    EXPECT_EQ(readBytes(dir.file("back.syx")), patternStream(sizes));
    EXPECT_EQ(readBytes(dir.file("in.syx")), patternStream(sizes));
}
