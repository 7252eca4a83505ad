#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <thread>
#include <vector>

#include "core/files/LoadedMessages.h"
#include "core/files/SyxFile.h"
#include "core/list/ListLabel.h"
#include "core/list/MessageList.h"
#include "core/text/Errors.h"
#include "tests/support/TempFiles.h"
#include "tests/support/Thrown.h"

using namespace pellum;
using namespace pellum::test;
namespace fs = std::filesystem;

namespace {

std::vector<Bytes> stored(const LoadedMessages& store) {
    std::vector<Bytes> messages;
    for (int i = 0; i < store.count(); ++i)
        messages.emplace_back(store.message(i).begin(), store.message(i).end());
    return messages;
}

}  // namespace

TEST(SyxReader, ScanningRules) {
    struct Case {
        const char* what;
        Bytes file;
        std::vector<Bytes> messages;
        std::vector<int> cut;  // the messages closed with an added F7
    };
    Bytes longRun{0xF0};  // a status byte past the first eight data bytes, and real-time ones
    for (int i = 0; i < 20; ++i) longRun.push_back(i == 9 || i == 16 ? 0xFE : i);
    Bytes longCut = longRun;
    longCut.insert(longCut.end(), {0xC0, 0x01, 0xF0, 0xF7});
    longRun.push_back(0xF7);  // and the message that C0 cuts is the same

    const Case cases[] = {
        {"empty file", {}, {}, {}},
        {"no F0 at all", {0x41, 0xF7, 0x10}, {}, {}},
        {"bytes outside messages are skipped",
         {0x00, 0xF7, 0xF0, 0x41, 0x10, 0xF7, 0x7F},
         {{0xF0, 0x41, 0x10, 0xF7}},
         {}},
        {"a second F0 cuts the open message and starts the next",
         {0xF0, 0x41, 0xF0, 0x43, 0xF7},
         {{0xF0, 0x41, 0xF7}, {0xF0, 0x43, 0xF7}},
         {1}},
        {"unterminated last message is closed",
         {0xF0, 0x43, 0x10},
         {{0xF0, 0x43, 0x10, 0xF7}},
         {1}},
        {"lone F0 at the end", {0xF0, 0x41, 0xF7, 0xF0}, {{0xF0, 0x41, 0xF7}, {0xF0, 0xF7}}, {2}},
        {"any other status byte cuts it; what follows up to an F0 is no message",
         {0xF0, 0x90, 0x3C, 0xF8, 0xF7, 0xF0, 0x41, 0xF6, 0xF0, 0xF0, 0x10},
         {{0xF0, 0xF7}, {0xF0, 0x41, 0xF7}, {0xF0, 0xF7}, {0xF0, 0x10, 0xF7}},
         {1, 2, 3, 4}},
        {"real-time bytes stay where a cable carries them", longRun, {longRun}, {}},
        {"a cut after them", longCut, {longRun, {0xF0, 0xF7}}, {1}},
    };
    for (const Case& c : cases) {
        LoadedMessages store;
        loadSyx(Bytes{0xF0, 0x01, 0xF7}, store);  // a load replaces what was there
        const LoadResult result = loadSyx(c.file, store);
        EXPECT_EQ(stored(store), c.messages) << c.what;
        EXPECT_EQ(result.count, static_cast<int>(c.messages.size())) << c.what;
        EXPECT_EQ(result.unfinished, c.cut) << c.what;
        EXPECT_FALSE(result.truncated) << c.what;
        for (int i = 0; i < store.count(); ++i)
            EXPECT_EQ(store.length(i), static_cast<int>(c.messages[i].size())) << c.what;
    }
    // Every cut message is named, a long run of them shortly.
    EXPECT_EQ(loadWarning("a.syx", 4, {2}),
              "a.syx の 2 番目のメッセージは F7 で終わっていません。F7 を補って閉じました");
    std::vector<int> many{1, 2, 3, 5};
    for (int k = 7; k < 100; k += 2) many.push_back(k);
    EXPECT_EQ(loadWarning("a.syx", 99, many),
              "a.syx の 51 個のメッセージ (1-3, 5, 7, 9, 11, 13, 15, 17, 19, 21, ... 番目) は F7 "
              "で終わっていません。それぞれ F7 を補って閉じました");
}

TEST(SyxReader, LabelsOfALoadedFile) {
    const Bytes file{0x00, 0xF7, 0xF0, 0x41, 0x10, 0xF7, 0x7F, 0xF0, 0x44, 0x01, 0xF7, 0xF0, 0xF7};
    LoadedMessages store;
    loadSyx(file, store);
    EXPECT_EQ(loadedLabels(store),
              (std::vector<std::string>{"0001 Roland(41H) 4Byte", "0002 Casio(44H) 4Byte",
                                        "0003 Unknown(F7H) 2Byte"}));
}

TEST(SyxReader, StopsAtCapacityAndSaysSo) {
    Bytes file;
    for (int i = 0; i < LoadedMessages::kCapacity + 2; ++i)
        file.insert(file.end(), {0xF0, 0x43, static_cast<std::uint8_t>(i & 0x7F),
                                 static_cast<std::uint8_t>((i >> 7) & 0x7F), 0xF7});
    LoadedMessages store;
    const LoadResult result = loadSyx(file, store);
    EXPECT_TRUE(result.truncated);
    EXPECT_EQ(result.count, 9999);
    EXPECT_EQ(store.count(), 9999);
    const Bytes last{0xF0, 0x43, 9998 & 0x7F, (9998 >> 7) & 0x7F, 0xF7};
    EXPECT_EQ(stored(store).at(9998), last);

    // Exactly 9999 followed only by junk is not a truncation.
    file.resize(9999 * 5);
    file.push_back(0x00);
    EXPECT_FALSE(loadSyx(file, store).truncated);
}

TEST(SyxFile, SaveAndLoadRoundTripWithOverride) {
    TempDir dir;
    LoadedMessages store;
    const Bytes a{0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7};  // 11 bytes
    const Bytes b{0xF0, 0x43, 0x10, 0x4C, 0x00, 0x00, 0x7E, 0x00, 0xF7};              // 9 bytes
    loadSyx(joined({a, b}), store);

    const std::string plain = dir.file("plain.syx");
    saveSyxFile(plain, store, {false, 3});
    EXPECT_EQ(readBytes(plain), joined({a, b}));
    EXPECT_EQ(readBytes(plain).size(), 20u);

    LoadedMessages reloaded;
    EXPECT_EQ(loadSyxFile(plain, reloaded).count, 2);
    EXPECT_EQ(stored(reloaded), stored(store));

    // With the override on, the file and the store both carry the new channel.
    const std::string forced = dir.file("forced.syx");
    saveSyxFile(forced, store, {true, 3});
    const Bytes written = readBytes(forced);
    EXPECT_EQ(written[2], 0x12);
    EXPECT_EQ(written[11 + 2], 0x12);
    EXPECT_EQ(store.message(0)[2], 0x12);
    EXPECT_EQ(store.message(1)[2], 0x12);

    // An empty store gives an empty file, replacing the old one.
    store.clear();
    saveSyxFile(plain, store, {true, 3});
    EXPECT_TRUE(fs::exists(plain));
    EXPECT_EQ(fs::file_size(plain), 0u);
}

TEST(SyxFile, OverrideOnSaveKeepsShortMessagesApart) {
    // F7 in byte 2, or no byte 2, is a message boundary, not a channel: the file must reload as
    // the same messages, with the channel changed only where there is one.
    const std::vector<Bytes> messages{{0xF0, 0x41, 0xF7}, {0xF0, 0xF7}, {0xF0, 0x43, 0x10, 0xF7}};
    LoadedMessages store;
    loadSyx(joined(messages), store);
    TempDir dir;
    saveSyxFile(dir.file("short.syx"), store, {true, 4});
    LoadedMessages reloaded;
    loadSyxFile(dir.file("short.syx"), reloaded);
    std::vector<Bytes> expected = messages;
    expected[2][2] = 0x13;
    EXPECT_EQ(stored(reloaded), expected);
    EXPECT_EQ(stored(store), expected);
}

TEST(SyxFile, FailuresNameTheFileAndLoseNothing) {
    TempDir dir;
    LoadedMessages store;
    loadSyx(Bytes{0xF0, 0x41, 0x10, 0xF7}, store);

    const std::string missing = dir.file("missing.syx");
    fs::create_directory(dir.file("sub.syx"));
    EXPECT_EQ(thrownText<FileOpenError>([&] { loadSyxFile(missing, store); }),
              "ファイル " + missing + " は開けません");
    EXPECT_EQ(thrownText<FileOpenError>([&] { loadSyxFile(dir.file("sub.syx"), store); }),
              dir.file("sub.syx") + " はフォルダーです");

    // Refused unread: a FIFO, a device, a file larger than the store; and a message too long.
    const std::string fifo = dir.file("fifo.syx");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string huge = dir.file("huge.syx");  // one message of 2 GiB + 3 bytes
    writeBytes(huge, {0xF0, 0x41});
    fs::resize_file(huge, (std::uintmax_t{1} << 31) + 2);
    std::ofstream(huge, std::ios::app | std::ios::binary).put(static_cast<char>(0xF7));
    for (const std::string& path : {fifo, std::string("/dev/zero"), huge})
        EXPECT_THROW(loadSyxFile(path, store), FileOpenError) << path;
    Bytes tooLong{0xF0, 0x41, 0xF7, 0xF0};
    tooLong.resize(3 + 65536, 0x10);
    writeBytes(huge, tooLong);
    EXPECT_EQ(thrownText<MessageTooLongError>([&] { loadSyxFile(huge, store); }),
              "ファイル " + huge + " の 2 番目のメッセージが 65535 バイトを超えています");
    EXPECT_EQ(stored(store), (std::vector<Bytes>{{0xF0, 0x41, 0x10, 0xF7}}));  // untouched
    // Closing an unterminated message counts too: 65534 bytes and F7 fit, 65535 and F7 do not.
    EXPECT_THROW(loadSyx(Bytes(tooLong.begin() + 3, tooLong.end() - 1), store),
                 MessageTooLongError);
    EXPECT_EQ(loadSyx(Bytes(tooLong.begin() + 3, tooLong.end() - 2), store).count, 1);

    // Saving into a folder that does not exist.
    const std::string nowhere = dir.file("no/such/dir/x.syx");
    EXPECT_EQ(thrownText<FileCreateError>([&] {
                  saveSyxFile(nowhere, store, {true, 9});
              }),
              "ファイル " + nowhere + " を作成できません");
    EXPECT_EQ(store.message(0)[2], 0x10);  // a failed save leaves the override unapplied

    // A save that fails half way (the file size limit stands in for a full disk) leaves the
    // previous file intact and no temporary behind.
    const std::string target = dir.file("keep.syx");
    writeBytes(target, {0xF0, 0x42, 0x30, 0xF7});
    Bytes hundred(100, 0x10);
    hundred.front() = 0xF0;
    hundred.back() = 0xF7;
    loadSyx(joined(std::vector<Bytes>(100, hundred)), store);
    {
        const FileSizeLimit limit(1000);
        ASSERT_TRUE(limit.applied());
        EXPECT_THROW(saveSyxFile(target, store, {}), FileCreateError);
    }
    EXPECT_EQ(readBytes(target), (Bytes{0xF0, 0x42, 0x30, 0xF7}));

    // Saving onto a folder's name fails the same way.
    EXPECT_EQ(thrownText<FileCreateError>([&] { saveSyxFile(dir.file("sub.syx"), store, {}); }),
              dir.file("sub.syx") + " はフォルダーです");
    for (const auto& entry : fs::directory_iterator(dir.file("")))
        EXPECT_EQ(entry.path().extension(), ".syx") << entry.path();
}

TEST(SyxFile, StreamedLoadMatchesTheWholeFileScan) {
    // Messages up to the longest the store keeps, more than a read chunk of them, with junk
    // between them, so messages start, end and span across the file's read boundaries.
    std::mt19937 random(7);
    Bytes file;
    std::vector<std::size_t> sizes(20, 65535);
    sizes.insert(sizes.end(), {3, 2, 5});
    for (std::size_t size : sizes) {
        for (int junk = random() % 4; junk > 0; --junk) file.push_back(random() & 0x7F);
        file.push_back(0xF0);
        for (std::size_t i = 2; i < size; ++i) file.push_back(random() & 0x7F);
        file.push_back(0xF7);
    }
    file.insert(file.end(), {0xF0, 0x41, 0x10});  // unterminated at the very end

    TempDir dir;
    writeBytes(dir.file("big.syx"), file);
    LoadedMessages streamed, scanned;
    EXPECT_EQ(loadSyxFile(dir.file("big.syx"), streamed).count, 24);
    loadSyx(file, scanned);
    EXPECT_EQ(stored(streamed), stored(scanned));
    EXPECT_EQ(streamed.length(1), 65535u);
    EXPECT_EQ(stored(streamed).back(), (Bytes{0xF0, 0x41, 0x10, 0xF7}));

    // Loading again reuses the store and gives the same messages.
    EXPECT_EQ(loadSyxFile(dir.file("big.syx"), streamed).count, 24);
    EXPECT_EQ(stored(streamed), stored(scanned));

    // The list read piece by piece (128 KiB) shows what the load shows: messages across pieces,
    // one whose F0 ends a piece, one whose F0 ends the file, more than the store holds.
    Bytes edge(std::size_t{1} << 20, 0x00);
    edge.back() = 0xF0;
    edge.insert(edge.end(), {0x43, 0x10, 0xF7, 0xF0});
    Bytes many;
    for (int i = 0; i < LoadedMessages::kCapacity + 1; ++i)
        many.insert(many.end(), {0xF0, 0x41, 0xF7});
    Bytes cutAtPiece((std::size_t{1} << 17) - 2, 0x00);  // a status byte starts the second piece
    cutAtPiece.insert(cutAtPiece.end(), {0xF0, 0x41, 0x90, 0x3C, 0xF0, 0x43, 0xF7});
    for (const Bytes& content : {file, edge, many, cutAtPiece}) {
        writeBytes(dir.file("list.syx"), content);
        const SyxListing listing = listSyxFile(dir.file("list.syx"));
        const LoadResult loaded = loadSyxFile(dir.file("list.syx"), streamed);
        std::string lines;
        for (const std::string& label : loadedLabels(streamed)) lines += label + '\n';
        EXPECT_EQ(listing.lines, lines);
        EXPECT_EQ(listing.truncated, loaded.truncated);
        EXPECT_EQ(listing.unfinished, loaded.unfinished);
    }
}

TEST(SyxFile, AReadErrorAfterOpeningLeavesTheStoreAsItWas) {
    LoadedMessages store;
    loadSyx(Bytes{0xF0, 0x41, 0x10, 0xF7, 0xF0, 0x43, 0x10, 0xF7}, store);
    // Opens fine, then every read fails.
    EXPECT_THROW(loadSyxFile("/proc/self/mem", store), FileOpenError);
    EXPECT_EQ(stored(store),
              (std::vector<Bytes>{{0xF0, 0x41, 0x10, 0xF7}, {0xF0, 0x43, 0x10, 0xF7}}));
}

TEST(SyxFile, AFileThatShrinksWhileLoadsReadItGivesWholeMessagesAndAtMostOneCutShort) {
    // Another program cuts the file down, step by step, while it is loaded again and again. When
    // a cut lands inside a read is up to the scheduler (a cut in progress can read as zeros);
    // each load either is refused, leaving the store as it was, or gives the file's messages in
    // order, every one whole but possibly the last, which is closed with F7.
    constexpr std::size_t kMessage = 1000;
    Bytes message(kMessage, 0x11);
    message.front() = 0xF0;
    message.back() = 0xF7;
    Bytes file;
    for (int i = 0; i < 3000; ++i) file.insert(file.end(), message.begin(), message.end());
    TempDir dir;
    const std::string path = dir.file("shrinking.syx");
    writeBytes(path, file);

    std::atomic<bool> done{false};
    std::jthread cutter([&] {  // joined however the test ends
        for (std::size_t size = file.size(); size > 0; size -= std::min<std::size_t>(size, 7777))
            fs::resize_file(path, size);
        fs::resize_file(path, 0);
        done = true;
    });
    LoadedMessages store;
    int loads = 0;
    int refused = 0;
    while (!done || loads == 0) {
        const std::vector<Bytes> earlier = stored(store);
        ++loads;
        LoadResult result;
        try {
            result = loadSyxFile(path, store);
        } catch (const FileOpenError&) {
            // A cut seen during the read: the load is refused and the store keeps what it had.
            ASSERT_EQ(stored(store), earlier);
            ++refused;
            continue;
        }
        const std::vector<Bytes> messages = stored(store);
        ASSERT_EQ(result.count, static_cast<int>(messages.size()));
        for (std::size_t i = 0; i < messages.size(); ++i) {
            if (i + 1 < messages.size() || messages[i].size() == kMessage) {
                ASSERT_EQ(messages[i], message) << "load " << loads << ", message " << i;
            } else {  // cut short: the bytes read, then the added F7
                ASSERT_LT(messages[i].size(), kMessage);
                ASSERT_EQ(messages[i].front(), 0xF0);
                ASSERT_EQ(messages[i].back(), 0xF7);
                ASSERT_TRUE(std::all_of(messages[i].begin() + 1, messages[i].end() - 1,
                                        [](std::uint8_t b) { return b == 0x11; }));
            }
        }
    }
    cutter.join();
    EXPECT_EQ(loadSyxFile(path, store).count, 0);  // all gone at the end
    RecordProperty("refusedLoads", refused);
}

TEST(SyxFile, LoadedMessagesAreDeletedAddedToAndSavedLikeFiledOnes) {
    // A loaded file's messages share one block, filed ones have their own buffers: lines
    // deleted and added in between keep every message with its line, and a save with the
    // override changes the channel in both kinds.
    TempDir dir;
    const std::string path = dir.file("mixed.syx");
    writeBytes(path, {0xF0, 0x41, 0x10, 0xF7, 0x00, 0xF0, 0x42, 0x11, 0x22, 0xF7, 0xF0, 0x43, 0x12,
                      0xF7, 0xF0, 0x44, 0x13});
    auto loaded = std::make_shared<LoadedMessages>();
    ASSERT_EQ(loadSyxFile(path, *loaded).count, 4);
    MessageList list;
    list.replaceAll(MessageList::fileLines(loaded));
    loaded.reset();  // the list keeps the file's block
    list.erase(1, 1);
    list.append(Bytes{0xF0, 0x45, 0x14, 0xF7}, Origin::capture);
    list.erase(0, 1);
    list.append(Bytes{0xF0, 0x46, 0x15, 0x01, 0xF7}, Origin::capture);
    list.erase(2, 1);
    const auto listed = [&] {
        std::vector<Bytes> all;
        for (const auto m : list.spans()) all.emplace_back(m.begin(), m.end());
        return all;
    };
    const std::vector<Bytes> kept{
        {0xF0, 0x43, 0x12, 0xF7}, {0xF0, 0x44, 0x13, 0xF7}, {0xF0, 0x46, 0x15, 0x01, 0xF7}};
    EXPECT_EQ(listed(), kept);

    writeSyxFile(path, list.spans(), {true, 8});
    EXPECT_EQ(listed(), kept);  // the file's bytes only
    list.keepOverride({true, 8});
    LoadedMessages reloaded;
    ASSERT_EQ(loadSyxFile(path, reloaded).count, 3);
    std::vector<Bytes> expected = kept;
    for (Bytes& m : expected) m[2] = static_cast<std::uint8_t>((m[2] & 0xF0) | 7);
    EXPECT_EQ(stored(reloaded), expected);
    EXPECT_EQ(listed(), expected);
}
