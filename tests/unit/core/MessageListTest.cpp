// The SysEx list: each step changes the lines, the counts that follow from them and the unsaved
// mark together, and tells its observers once before and once after.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "core/list/MessageList.h"
#include "core/text/Errors.h"
#include "tests/support/VendorMessage.h"

using namespace pellum;
using Bytes = std::vector<std::uint8_t>;

namespace {

const Bytes kRolandOk{0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7};
const Bytes kRolandWrong{0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x01, 0x41, 0xF7};
const Bytes kYamaha = test::vendorMessage(0x43, 9);

struct Recorder : ListObserver {
    explicit Recorder(const MessageList& list) : list(list) {}
    // "kind first count to: rows before -> rows after" per step.
    std::vector<std::string> steps;
    int countBefore = -1;
    void listChanging(const ListChange&) override { countBefore = list.count(); }
    void listChanged(const ListChange& c) override {
        steps.push_back(std::to_string(static_cast<int>(c.kind)) + " " + std::to_string(c.first) +
                        " " + std::to_string(c.count) + " " + std::to_string(c.to) + ": " +
                        std::to_string(countBefore) + "->" + std::to_string(list.count()));
    }
    const MessageList& list;
};

std::vector<std::string> labels(const MessageList& list) {
    std::vector<std::string> all;
    for (int i = 0; i < list.count(); ++i) all.push_back(list.line(i).label);
    return all;
}

// Roland ok, Roland with a wrong sum, YAMAHA: loaded as a file brings them, and saved.
void loadThree(MessageList& list) {
    std::vector<ListLine> lines;
    int n = 0;
    for (const Bytes& m : {kRolandOk, kRolandWrong, kYamaha})
        lines.push_back(MessageList::makeLine(m, ++n, Origin::file));
    list.replaceAll(std::move(lines));
    list.markSaved();
}

}  // namespace

TEST(MessageList, EachStepChangesTheLinesAndWhatFollowsFromThemAtOnce) {
    constexpr auto insert = 0, erase = 1, move = 2, replace = 3, reset = 4;
    const std::string ok = "0001 Roland(41H) 11Byte", wrong = "0002 Roland(41H) 11Byte",
                      yamaha = "0003 YAMAHA(43H) 9Byte",
                      typed = "0007 Universal Non-Real Time(7EH) 6Byte";
    const Bytes universal{0xF0, 0x7E, 0x7F, 0x06, 0x01, 0xF7};
    struct Case {
        const char* name;
        std::function<void(MessageList&)> step;
        std::vector<std::string> labels;
        std::string told;  // "" when nothing changed
        int wrong;
        std::uint64_t bytes;
    };
    const Case cases[] = {
        {"insert",
         [&](MessageList& l) { l.insert(1, {MessageList::makeLine(universal, 7, Origin::typed)}); },
         {ok, typed, wrong, yamaha},
         std::to_string(insert) + " 1 1 0: 3->4",
         1,
         37},
        {"erase one",
         [](MessageList& l) { l.erase(1, 1); },
         {ok, yamaha},
         std::to_string(erase) + " 1 1 0: 3->2",
         0,
         20},
        {"erase two",
         [](MessageList& l) { l.erase(0, 2); },
         {yamaha},
         std::to_string(erase) + " 0 2 0: 3->1",
         0,
         9},
        {"move down",
         [](MessageList& l) { l.move(0, 1, 2); },
         {wrong, yamaha, ok},
         std::to_string(move) + " 0 1 2: 3->3",
         1,
         31},
        {"move two up",
         [](MessageList& l) { l.move(1, 2, 0); },
         {wrong, yamaha, ok},
         std::to_string(move) + " 1 2 0: 3->3",
         1,
         31},
        {"replace",
         [](MessageList& l) { l.replace(0, MessageList::makeLine(kRolandWrong, 1, Origin::file)); },
         {ok, wrong, yamaha},
         std::to_string(replace) + " 0 1 0: 3->3",
         2,
         31},
        {"clear",
         [](MessageList& l) { l.clear(); },
         {},
         std::to_string(reset) + " 0 3 0: 3->0",
         0,
         0},
        {"override kept",
         [](MessageList& l) {
             l.keepOverride({true, 3});
         },
         {ok, wrong, yamaha},
         std::to_string(replace) + " 0 3 0: 3->3",
         1,
         31},
        {"override that changes no byte",
         [](MessageList& l) {
             l.keepOverride({true, 1});
         },
         {ok, wrong, yamaha},
         "",
         1,
         31},
        {"nothing moved", [](MessageList& l) { l.move(1, 1, 1); }, {ok, wrong, yamaha}, "", 1, 31},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        MessageList list;
        loadThree(list);
        Recorder recorder(list);
        list.addObserver(&recorder);
        c.step(list);
        EXPECT_EQ(labels(list), c.labels);
        EXPECT_EQ(recorder.steps,
                  c.told.empty() ? std::vector<std::string>{} : std::vector<std::string>{c.told});
        EXPECT_EQ(list.count(), static_cast<int>(c.labels.size()));
        EXPECT_EQ(list.wrongChecksums(), c.wrong);
        EXPECT_EQ(list.totalBytes(), c.bytes);
        EXPECT_EQ(list.unsaved(), !c.told.empty());
        list.removeObserver(&recorder);
    }
}

TEST(MessageList, TheOverrideKeptBySavingChangesByteTwoOfCopiesOnly) {
    MessageList list;
    loadThree(list);
    const std::vector<ListLine> before = list.erase(0, 3);
    list.insert(0, before);
    list.keepOverride({true, 3});
    for (int row = 0; row < 3; ++row) {
        EXPECT_EQ(list.message(row)[2], 0x12) << row;
        // A line a step holds keeps the bytes it had: an undo brings them back.
        EXPECT_EQ(before[static_cast<std::size_t>(row)].bytes[2], 0x10) << row;
    }
    EXPECT_EQ(list.line(0).checksum.verdict, Checksum::Verdict::ok);  // the sum skips byte 2
}

TEST(MessageList, NumbersCapacityAndRefusedStepsLeaveTheListAsItWas) {
    MessageList list;
    // Captured lines are numbered after every number given since the list was emptied.
    EXPECT_EQ(list.append(kYamaha, Origin::capture), 0);
    list.erase(0, 1);
    EXPECT_EQ(list.append(kYamaha, Origin::capture), 0);
    EXPECT_EQ(list.line(0).label, "0002 YAMAHA(43H) 9Byte");
    list.clear();
    list.append(test::vendorMessage(0x44, 5), Origin::capture);
    EXPECT_EQ(list.line(0).label, "0001 Casio(44H) 5Byte");
    loadThree(list);
    list.append(test::vendorMessage(0x44, 5), Origin::capture);
    EXPECT_EQ(list.line(3).label, "0004 Casio(44H) 5Byte");
    EXPECT_TRUE(list.unsaved());

    // What erase hands back goes in again as it was.
    const std::vector<ListLine> taken = list.erase(1, 2);
    list.insert(1, taken);
    EXPECT_EQ(labels(list),
              (std::vector<std::string>{"0001 Roland(41H) 11Byte", "0002 Roland(41H) 11Byte",
                                        "0003 YAMAHA(43H) 9Byte", "0004 Casio(44H) 5Byte"}));
    EXPECT_EQ(list.message(1).size(), kRolandWrong.size());

    // 9999 lines at most; the longest message is 65,535 bytes. A step beyond either throws and
    // changes nothing.
    const auto full = [] {
        std::vector<ListLine> lines;
        for (int i = 1; i <= MessageList::kCapacity; ++i)
            lines.push_back(MessageList::makeLine(kYamaha, i, Origin::file));
        return lines;
    };
    std::vector<ListLine> tooMany = full();
    tooMany.push_back(MessageList::makeLine(kYamaha, 1, Origin::file));
    EXPECT_THROW(list.replaceAll(std::move(tooMany)), std::out_of_range);
    EXPECT_EQ(list.count(), 4);
    EXPECT_THROW(list.append(test::vendorMessage(0x43, 65536), Origin::capture),
                 MessageTooLongError);
    EXPECT_THROW(list.insert(5, {}), std::out_of_range);
    EXPECT_THROW(list.move(3, 2, 0), std::out_of_range);
    EXPECT_EQ(list.count(), 4);
    EXPECT_EQ(list.totalBytes(), 36u);
    list.replaceAll(full());
    EXPECT_TRUE(list.full());
    EXPECT_EQ(list.append(kYamaha, Origin::capture), -1);
    EXPECT_THROW(list.insert(0, taken), std::out_of_range);
    EXPECT_EQ(list.append(Bytes{}, Origin::capture), -1);
    EXPECT_EQ(list.count(), MessageList::kCapacity);
    EXPECT_EQ(list.line(9998).label, "9999 YAMAHA(43H) 9Byte");
}
