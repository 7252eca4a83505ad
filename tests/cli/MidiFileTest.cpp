// Standard MIDI Files through pellum-cli: files from an independent writer list as the .syx of
// their messages does, and converted files read back in an independent reader (mido).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "core/ListLabel.h"
#include "tests/support/CliRun.h"
#include "tests/support/PatternMessage.h"

using namespace pellum::test;

namespace {

std::string python(const std::vector<std::string>& args) {
    std::vector<std::string> argv{"/usr/bin/python3"};  // Debian's, with python3-mido
    argv.insert(argv.end(), args.begin(), args.end());
    const CliRun run = runToEnd(argv, std::chrono::seconds(120));
    EXPECT_EQ(run.status, 0) << run.err;
    return run.out;
}

}  // namespace

TEST(MidiFile, ListsAsTheSyxOfItsMessagesInPlayOrder) {
    TempDir dir;
    python({PELLUM_MIDI_CASES, "33", "400", dir.file("")});
    std::ifstream cases(dir.file("cases"));
    int count = 0;
    for (std::string name, escapes; cases >> name >> escapes; ++count) {
        const std::string mid = dir.file(name + ".mid");
        const CliRun got = runCli({"list", "--hex", mid});
        if (escapes == "bad") {  // cut short: refused, nothing listed
            EXPECT_EQ(got.status, 1) << name;
            EXPECT_TRUE(got.out.empty() && got.err.starts_with("pellum-cli: " + mid + " "))
                << got.err;
            continue;
        }
        CliRun want = runCli({"list", "--hex", dir.file(name + ".syx")});
        for (std::size_t at; (at = want.err.find(".syx")) != std::string::npos;)
            want.err.replace(at, 4, ".mid");
        if (escapes != "0")
            want.err +=
                "pellum-cli: " + mid + ": F7 エスケープイベント " + escapes +
                " 個 (リアルタイムまたは MTC のバイトで SysEx ではありません) は一覧に入りません\n";
        EXPECT_EQ(got.status, want.status) << name;
        EXPECT_EQ(got.out, want.out) << name;
        EXPECT_EQ(got.err, want.err) << name;
    }
    EXPECT_EQ(count, 502);
}

TEST(MidiFile, ConvertsBothWaysAndAnIndependentReaderAgrees) {
    TempDir dir;
    const std::vector<std::size_t> sizes{5, 300, 5000, 65535, 7};
    writeBytes(dir.file("in.syx"), patternStream(sizes));
    for (const std::string interval : {"0", "300"}) {
        ASSERT_EQ(
            runCli({"convert", dir.file("in.syx"), dir.file("out.mid"), "--interval", interval})
                .status,
            0);
        // Each message after the one before has had its time on the cable (320 us a byte, 16
        // ticks) and the wait Pellum leaves before it (50 ticks a millisecond).
        std::string want;
        for (std::size_t k = 0; k < sizes.size(); ++k) {
            const long wait = std::max<long>(sizes[k] / 256 + 1, std::stol(interval));
            want += std::to_string(k ? 16 * sizes[k - 1] + 50 * wait : 0) + " " +
                    pellum::hexBytes(patternMessage(k, sizes[k])) + "\n";
        }
        EXPECT_EQ(python({"-c",
                          "import mido, sys\n"
                          "for m in mido.MidiFile(sys.argv[1]).tracks[0]:\n"
                          "    if m.type == 'sysex': print(m.time, m.hex())",
                          dir.file("out.mid")}),
                  want);
        ASSERT_EQ(runCli({"convert", dir.file("out.mid"), dir.file("back.syx")}).status, 0);
        EXPECT_EQ(readBytes(dir.file("back.syx")), patternStream(sizes));
    }
    // Never over IN, by its name or a link to it; nothing written from a damaged file.
    std::filesystem::create_symlink(dir.file("in.syx"), dir.file("link.mid"));
    writeBytes(dir.file("cut.mid"), {'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, 2, 0, 96});
    for (const auto& [in, out, status] : {std::tuple{"in.syx", "in.syx", 2},
                                          {"in.syx", "link.mid", 2},
                                          {"cut.mid", "new.syx", 1}}) {
        const CliRun run = runCli({"convert", dir.file(in), dir.file(out)});
        EXPECT_EQ(run.status, status) << in << " " << out << ": " << run.err;
    }
    EXPECT_EQ(readBytes(dir.file("in.syx")), patternStream(sizes));
    EXPECT_FALSE(std::filesystem::exists(dir.file("new.syx")));
}
