// The atomic save that the window's "Save", pellum-cli receive and the settings file use.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include "core/files/AtomicFile.h"
#include "core/text/Errors.h"
#include "tests/support/TempFiles.h"
#include "tests/support/Thrown.h"

using namespace pellum;
using namespace pellum::test;
namespace fs = std::filesystem;

namespace {

const Bytes kOld{0xF0, 0x42, 0x30, 0xF7};
const Bytes kNew{0xF0, 0x41, 0x10, 0x42, 0xF7};

unsigned mode(const std::string& path) {
    struct stat st {};
    ::stat(path.c_str(), &st);
    return st.st_mode & 07777;
}

// Every name in the folder, so a temporary left behind shows up.
std::vector<std::string> names(const fs::path& folder) {
    std::vector<std::string> all;
    for (const auto& entry : fs::directory_iterator(folder))
        all.push_back(entry.path().filename().string());
    std::sort(all.begin(), all.end());
    return all;
}

}  // namespace

TEST(AtomicFile, WritesThroughLinksAndKeepsPermissions) {
    TempDir dir;
    fs::create_directory(dir.path() / "elsewhere");
    const std::string real = dir.file("elsewhere/real.syx");
    writeBytes(real, kOld);
    ::chmod(real.c_str(), 0640);
    // A relative link, and a link to that link from the top folder.
    fs::create_symlink("elsewhere/real.syx", dir.path() / "link.syx");
    fs::create_symlink(dir.path() / "link.syx", dir.path() / "link2.syx");

    writeFileAtomically(dir.file("link2.syx"), kNew);
    EXPECT_TRUE(fs::is_symlink(dir.path() / "link.syx"));
    EXPECT_TRUE(fs::is_symlink(dir.path() / "link2.syx"));
    EXPECT_EQ(readBytes(real), kNew);
    EXPECT_EQ(mode(real), 0640u);
    EXPECT_EQ(names(dir.path() / "elsewhere"), std::vector<std::string>{"real.syx"});
    EXPECT_EQ(names(dir.path()), (std::vector<std::string>{"elsewhere", "link.syx", "link2.syx"}));

    // A link to a file not there yet creates that file and stays a link.
    fs::create_symlink("elsewhere/new.syx", dir.path() / "dangling.syx");
    writeFileAtomically(dir.file("dangling.syx"), kNew);
    EXPECT_TRUE(fs::is_symlink(dir.path() / "dangling.syx"));
    EXPECT_EQ(readBytes(dir.file("elsewhere/new.syx")), kNew);

    // Modes that the default for new files would not give.
    for (unsigned m : {0600u, 0666u, 0751u}) {
        const std::string plain = dir.file("plain.syx");
        writeBytes(plain, kOld);
        ::chmod(plain.c_str(), m);
        writeFileAtomically(plain, kNew);
        EXPECT_EQ(readBytes(plain), kNew) << std::oct << m;
        EXPECT_EQ(mode(plain), m) << std::oct << m;
    }
}

TEST(AtomicFile, EveryFailureKeepsTheFileAndSaysItCannotBeCreated) {
    TempDir dir;
    const std::string readOnly = dir.file("read-only.syx");
    writeBytes(readOnly, kOld);
    ::chmod(readOnly.c_str(), 0444);
    fs::create_symlink("loop-b", dir.path() / "loop-a");
    fs::create_symlink("loop-a", dir.path() / "loop-b");
    fs::create_symlink("read-only.syx", dir.path() / "to-read-only");

    const std::string cases[] = {
        readOnly,                          // no write permission bit: the file stays
        dir.file("to-read-only"),          // the same, through a link
        dir.file("loop-a"),                // links in a circle
        dir.file(std::string(300, 'n')),   // a name longer than any folder allows
        dir.file("no/such/folder/x.syx"),  // a folder that is not there
    };
    for (const std::string& path : cases) {
        EXPECT_EQ(thrownText<FileCreateError>([&] { writeFileAtomically(path, kNew); }),
                  "ファイル " + path + " を作成できません");
    }
    EXPECT_EQ(thrownText<FileCreateError>([&] { writeFileAtomically(dir.file(""), kNew); }),
              dir.file("") + " はフォルダーです");
    EXPECT_EQ(readBytes(readOnly), kOld);
    EXPECT_EQ(mode(readOnly), 0444u);
    EXPECT_EQ(names(dir.path()),
              (std::vector<std::string>{"loop-a", "loop-b", "read-only.syx", "to-read-only"}));
}

TEST(AtomicFile, ANameAtTheLengthLimitStillSaves) {
    TempDir dir;
    // Valid names that leave no room for a temporary suffix: ASCII, and three-byte characters.
    std::string japanese;
    while (japanese.size() + 3 <= 251) japanese += "あ";
    japanese += ".syx";
    const std::string ascii = std::string(251, 'x').append(".syx");
    for (const std::string& name : {std::cref(ascii), std::cref(japanese)}) {
        ASSERT_LE(name.size(), 255u);
        const std::string path = dir.file(name);
        writeFileAtomically(path, kOld);
        writeFileAtomically(path, kNew);  // replacing, too
        EXPECT_EQ(readBytes(path), kNew) << name.size();
        EXPECT_EQ(names(dir.path()), std::vector<std::string>{name});
        fs::remove(path);
    }
}

TEST(AtomicFile, AFolderWithoutWritePermissionRefusesAnOrdinaryUser) {
    // The tests run as root, for whom the kernel grants every write: the save runs in a child
    // that has become an ordinary user (nobody), as a user of the program would be.
    TempDir dir;
    const fs::path folder = dir.path() / "locked";
    fs::create_directories(folder);
    const std::string existing = (folder / "old.syx").string();
    writeBytes(existing, kOld);
    ::chmod(existing.c_str(), 0666);  // the file itself may be written by anyone
    ::chmod(folder.c_str(), 0555);
    ::chmod(dir.path().c_str(), 0755);
    if (::geteuid() != 0) GTEST_SKIP() << "needs root to become another user";
    EXPECT_EXIT(
        {
            if (::setgid(65534) != 0 || ::setuid(65534) != 0) std::_Exit(2);
            int failures = 0;
            for (const std::string& path : {existing, (folder / "new.syx").string()}) {
                failures += thrownText<FileCreateError>([&] { writeFileAtomically(path, kNew); }) !=
                            "ファイル " + path + " を作成できません";
            }
            std::_Exit(failures);
        },
        ::testing::ExitedWithCode(0), "");
    EXPECT_EQ(readBytes(existing), kOld);
    EXPECT_EQ(names(folder), std::vector<std::string>{"old.syx"});
}

TEST(AtomicFile, AFileOpenElsewhereIsReplacedWhileItsReadersKeepWhatTheyOpened) {
    TempDir dir;
    const std::string path = dir.file("open.syx");
    Bytes old(200000);
    for (std::size_t i = 0; i < old.size(); ++i) old[i] = static_cast<std::uint8_t>(i % 127);
    writeBytes(path, old);
    std::ifstream reader(path, std::ios::binary);
    std::FILE* writer = std::fopen(path.c_str(), "r+b");  // another program with it open to write
    ASSERT_NE(writer, nullptr);
    char first[100];
    reader.read(first, sizeof first);

    writeFileAtomically(path, kNew);
    EXPECT_EQ(readBytes(path), kNew);
    // The reader goes on reading the file it opened, whole; a late write by the other program
    // lands in that file, not in the saved one.
    const Bytes rest(std::istreambuf_iterator<char>(reader), {});
    EXPECT_EQ(rest.size() + sizeof first, old.size());
    EXPECT_TRUE(std::fputs("late", writer) >= 0 && std::fflush(writer) == 0);
    std::fclose(writer);
    EXPECT_EQ(readBytes(path), kNew);
}
