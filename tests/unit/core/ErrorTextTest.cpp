// The error texts' full stop rule, file error texts and cut-short excerpts, in Japanese.
#include <gtest/gtest.h>

#include <string>

#include "core/text/ErrorText.h"
#include "core/text/Errors.h"

using namespace pellum;

TEST(ErrorText, FullStopRuleAndFileTexts) {
    EXPECT_EQ(withFullStop("Invalid device ID"), "Invalid device ID.");
    EXPECT_EQ(withFullStop("Done."), "Done.");
    EXPECT_EQ(withFullStop("Why?"), "Why?.");  // '?' sorts after '.'
    EXPECT_EQ(withFullStop("a-"), "a-");       // '-' sorts before '.'
    EXPECT_EQ(withFullStop("a b "), "a b ");
    EXPECT_EQ(withFullStop(""), "");
    EXPECT_EQ(FileOpenError("/tmp/a.syx").what(), std::string("ファイル /tmp/a.syx は開けません"));
    EXPECT_EQ(FileCreateError("b.syx").what(), std::string("ファイル b.syx を作成できません"));
    EXPECT_EQ(withFullStop(FileCreateError("b.syx").what()), "ファイル b.syx を作成できません.");
    // Long texts are cut between characters, never inside one.
    EXPECT_EQ(excerpt("abc", 3), "abc");
    EXPECT_EQ(excerpt("abcd", 3), "abc…");
    EXPECT_EQ(excerpt("日本語です", 3), "日本語…");
}
