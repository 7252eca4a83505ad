// pellum-cli as a user runs it: the real binary, real files, its output and exit status.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "tests/support/CliRun.h"
#include "tests/support/TempFiles.h"

using namespace pellum::test;

TEST(CliOutput, LostStandardOutputIsAFailure) {
    TempDir dir;
    writeBytes(dir.file("a.syx"), {0xF0, 0x41, 0x10, 0xF7});
    Bytes big;
    for (int i = 0; i < 5000; ++i) big.insert(big.end(), {0xF0, 0x42, 0x30, 0xF7});
    writeBytes(dir.file("big.syx"), big);  // more than one buffer of lines
    for (const std::string& args :
         {"list " + dir.file("a.syx"), "list --hex " + dir.file("big.syx"), std::string("--help"),
          std::string("list --help"), std::string("send --help")}) {
        const CliRun r = runCliLine(args + " >/dev/full");  // a device that is always full
        EXPECT_EQ(r.status, 1) << args;
        EXPECT_NE(r.err.find("pellum-cli: cannot write to standard output"), std::string::npos)
            << args << ": " << r.err;
    }
    // A usage error keeps its own status.
    EXPECT_EQ(runCliLine("list --bogus x >/dev/full").status, 2);
}

TEST(CliList, PrintsTheLabelsTheWindowShows) {
    TempDir dir;
    writeBytes(dir.file("a.syx"), {0x00, 0xF7, 0xF0, 0x41, 0x10, 0xF7, 0x7F, 0xF0, 0x44, 0x01});
    CliRun r = runCliLine(dir.file("a.syx"));  // no command
    EXPECT_EQ(r.status, 2);

    // The file ends inside message 2: listed closed, as the window loads it, and said; a text
    // file has no message. Both exit 0, unless --strict.
    writeBytes(dir.file("t.txt"), {'h', 'i', '\n'});
    for (const std::string options : {"", "--hex ", "--strict ", "--strict --hex "}) {
        const int status = options.find("strict") != std::string::npos ? 1 : 0;
        r = runCliLine("list " + options + dir.file("a.syx"));
        EXPECT_EQ(r.status, status) << options;
        EXPECT_EQ(r.out,
                  options.find("hex") == std::string::npos
                      ? "0001 Roland(41H) 4Byte\n0002 Casio(44H) 4Byte\n"
                      : "0001 Roland(41H) 4Byte F0 41 10 F7\n0002 Casio(44H) 4Byte F0 44 01 F7\n");
        EXPECT_TRUE(r.err.ends_with(
            "a.syx の 2 番目のメッセージは F7 で終わっていません。F7 を補って閉じました\n"));
        r = runCliLine("list " + options + dir.file("t.txt"));
        EXPECT_EQ(r.status, status) << options;
        EXPECT_TRUE(r.err.ends_with("t.txt に SysEx メッセージがありません\n")) << r.err;
    }

    // A file that cannot be read: its error, status 1, and the other files still listed.
    writeBytes(dir.file("b.syx"), {0xF0, 0x43, 0xF7});
    r = runCliLine("list " + dir.file("missing.syx") + " " + dir.file("b.syx"));
    EXPECT_EQ(r.status, 1);
    EXPECT_NE(r.err.find("ファイル " + dir.file("missing.syx") + " は開けません"),
              std::string::npos);
    EXPECT_EQ(r.out, "==> " + dir.file("b.syx") + " <==\n0001 YAMAHA(43H) 3Byte\n");

    // Only regular files are read, .syx or .cfg: a FIFO, a device or a folder fails at once, a
    // folder saying so, also as a capture's file.
    ASSERT_EQ(::mkfifo(dir.file("fifo").c_str(), 0600), 0);
    for (const std::string& path : {dir.file("fifo"), std::string("/dev/zero"), dir.file("")}) {
        for (const std::string& command : {"list " + path, "request " + path}) {
            r = runCliLine(command);
            EXPECT_EQ(r.status, 1) << command;
            EXPECT_EQ(r.err, "pellum-cli: " +
                                 (path == dir.file("") ? path + " はフォルダーです"
                                                       : "ファイル " + path + " は開けません") +
                                 "\n");
        }
    }
    r = runCliLine("receive " + dir.file("") + " --in nothing");
    EXPECT_EQ(std::tie(r.status, r.err),
              std::make_tuple(1, "pellum-cli: " + dir.file("") + " はフォルダーです\n"));

    r = runCliLine("list --bogus " + dir.file("a.syx"));
    EXPECT_EQ(r.status, 2);
    // Wherever it stands.
    EXPECT_EQ(runCliLine("list " + dir.file("a.syx") + " --bogus").status, 2);
    r = runCliLine("list --help");
    EXPECT_EQ(r.status, 0);
    EXPECT_NE(r.out.find("Usage: pellum-cli list"), std::string::npos);
}

TEST(CliList, WarnsWhenAFileHoldsMoreThanTheListCanShow) {
    TempDir dir;
    Bytes file;
    for (int i = 0; i < 10001; ++i) file.insert(file.end(), {0xF0, 0x42, 0x30, 0xF7});
    writeBytes(dir.file("big.syx"), file);
    const CliRun r = runCliLine("list " + dir.file("big.syx"));
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(std::count(r.out.begin(), r.out.end(), '\n'), 9999);
    EXPECT_NE(r.out.find("9999 KORG(42H) 4Byte\n"), std::string::npos);
    EXPECT_NE(r.err.find("more than 9999"), std::string::npos);
}
