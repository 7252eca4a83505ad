// pellum-cli's errors follow the user's UI language as the environment gives it: LANGUAGE's
// list first, then LC_ALL, LC_MESSAGES and LANG; English unless Japanese comes first.
#include <gtest/gtest.h>

#include <cstdlib>

#include "tests/support/CliRun.h"
#include "tests/support/Japanese.h"
#include "tests/support/TempFiles.h"

using namespace pellum::test;

TEST(CliLanguage, ErrorsAreEnglishUnlessTheUiLanguageIsJapanese) {
    const TempDir dir;
    writeBytes(dir.file("bad.cfg"), {'T', '\n', 'N', 'O', '\n', 'z', 'z', '\n'});
    Bytes tooLong(65537, 0x00);
    tooLong.front() = 0xF0;
    tooLong.back() = 0xF7;
    writeBytes(dir.file("long.syx"), tooLong);
    const struct {
        const char* language;
        const char* lcAll;
        const char* lcMessages;
        const char* lang;
        std::string args;
        const char* expected;
    } cases[] = {
        {"en", "", "", "ja_JP.UTF-8", "list " + dir.file("none.syx"), "Cannot open file"},
        {"", "", "", "en_GB.UTF-8", "request " + dir.file("bad.cfg"), "'zz' is not a number"},
        {"de:en:ja", "", "", "", "list " + dir.file("long.syx"),
         ": message 1 is longer than 65535 bytes"},
        {"", "C", "ja_JP.UTF-8", "ja_JP.UTF-8", "list " + dir.file("none.syx"), "Cannot open"},
        {"", "", "", "", "list " + dir.file("none.syx"), "Cannot open"},
        {"", "", "", "", "list", "no file given"},
        // Japanese when it is the language asked for first.
        {"", "", "ja_JP.UTF-8", "en_US.UTF-8", "list " + dir.file("none.syx"), "は開けません"},
        {"fr:ja:en", "", "", "", "request " + dir.file("bad.cfg"), "'zz' は数値ではありません"},
    };
    for (const auto& c : cases) {
        const std::pair<const char*, const char*> variables[] = {{"LANGUAGE", c.language},
                                                                 {"LC_ALL", c.lcAll},
                                                                 {"LC_MESSAGES", c.lcMessages},
                                                                 {"LANG", c.lang}};
        for (const auto& [name, value] : variables) setenv(name, value, 1);
        const CliRun run = runCliLine(c.args);
        EXPECT_NE(run.status, 0) << c.args;
        EXPECT_NE(run.err.find(c.expected), std::string::npos) << c.args << ": " << run.err;
        EXPECT_EQ(hasJapanese(run.err), hasJapanese(c.expected)) << c.args << ": " << run.err;
    }
    setenv("LANGUAGE", "ja", 1);
}
