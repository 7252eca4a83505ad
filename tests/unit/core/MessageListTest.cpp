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

// Each step the observers were told of: "kind first count to: rows before -> rows after".
struct Recorder : ListObserver {
    explicit Recorder(const MessageList& list) : list(list) {}
    void listChanging(const ListChange&) override { before = list.count(); }
    void listChanged(const ListChange& c) override {
        told += std::to_string(static_cast<int>(c.kind)) + " " + std::to_string(c.first) + " " +
                std::to_string(c.count) + " " + std::to_string(c.to) + ": " +
                std::to_string(before) + "->" + std::to_string(list.count()) + ";";
    }
    const MessageList& list;
    std::string told;
    int before = -1;
};

// The lines by the last digit of their numbers: "0001 Roland(41H) 11Byte" is "1".
std::string numbers(const MessageList& list) {
    std::string all;
    for (int i = 0; i < list.count(); ++i) all += list.line(i).label[3];
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
    const Bytes universal{0xF0, 0x7E, 0x7F, 0x06, 0x01, 0xF7};
    struct Case {
        std::function<void(MessageList&)> step;
        const char* lines;
        const char* told;  // kinds: 0 insert, 1 erase, 2 move, 3 replace, 4 reset
        int wrong;
        std::uint64_t bytes;
    };
    const Case cases[] = {
        {[&](MessageList& l) { l.insert(1, {MessageList::makeLine(universal, 7, Origin::typed)}); },
         "1723", "0 1 1 0: 3->4;", 1, 37},
        {[](MessageList& l) { l.erase(1, 1); }, "13", "1 1 1 0: 3->2;", 0, 20},
        {[](MessageList& l) { l.erase(0, 2); }, "3", "1 0 2 0: 3->1;", 0, 9},
        {[](MessageList& l) { l.move(0, 1, 2); }, "231", "2 0 1 2: 3->3;", 1, 31},
        {[](MessageList& l) { l.move(1, 2, 0); }, "231", "2 1 2 0: 3->3;", 1, 31},
        {[](MessageList& l) { l.replace(0, MessageList::makeLine(kRolandWrong, 1, Origin::file)); },
         "123", "3 0 1 0: 3->3;", 2, 31},
        {[](MessageList& l) { l.clear(); }, "", "4 0 3 0: 3->0;", 0, 0},
        {[](MessageList& l) {
             l.keepOverride({true, 3});
         },
         "123", "3 0 3 0: 3->3;", 1, 31},
        // Steps that change nothing are not steps.
        {[](MessageList& l) {
             l.keepOverride({true, 1});
         },
         "123", "", 1, 31},
        {[](MessageList& l) { l.move(1, 1, 1); }, "123", "", 1, 31},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.told);
        MessageList list;
        loadThree(list);
        Recorder recorder(list);
        list.addObserver(&recorder);
        c.step(list);
        list.removeObserver(&recorder);
        EXPECT_EQ(numbers(list), c.lines);
        EXPECT_EQ(recorder.told, c.told);
        EXPECT_EQ(list.wrongChecksums(), c.wrong);
        EXPECT_EQ(list.totalBytes(), c.bytes);
        EXPECT_EQ(list.unsaved(), *c.told != 0);
    }
}

TEST(MessageList, TheOverrideASaveKeepsChangesCopiesAndWhatAStepHandedBackStays) {
    MessageList list;
    loadThree(list);
    const std::vector<ListLine> taken = list.erase(0, 3);
    list.insert(0, taken);
    list.keepOverride({true, 3});
    for (int row = 0; row < 3; ++row) {
        EXPECT_EQ(list.message(row)[2], 0x12) << row;
        EXPECT_EQ(taken[static_cast<std::size_t>(row)].bytes[2], 0x10) << row;
    }
    EXPECT_EQ(list.line(0).checksum.verdict, Checksum::Verdict::ok);  // the sum skips byte 2
}

TEST(MessageList, NumbersCapacityAndRefusedStepsLeaveTheListAsItWas) {
    MessageList list;
    // Captures are numbered after every number given since the list was emptied.
    list.append(kYamaha, Origin::capture);
    list.erase(0, 1);
    list.append(kYamaha, Origin::capture);
    EXPECT_EQ(list.line(0).label, "0002 YAMAHA(43H) 9Byte");
    list.clear();
    list.append(test::vendorMessage(0x44, 5), Origin::capture);
    EXPECT_EQ(list.line(0).label, "0001 Casio(44H) 5Byte");
    loadThree(list);
    list.append(test::vendorMessage(0x44, 5), Origin::capture);
    EXPECT_EQ(list.line(3).label, "0004 Casio(44H) 5Byte");

    // 9999 lines of at most 65,535 bytes: a step beyond throws and changes nothing.
    std::vector<ListLine> full;
    for (int i = 1; i <= MessageList::kCapacity + 1; ++i)
        full.push_back(MessageList::makeLine(kYamaha, i, Origin::file));
    EXPECT_THROW(list.replaceAll(full), std::out_of_range);
    EXPECT_THROW(list.append(test::vendorMessage(0x43, 65536), Origin::capture),
                 MessageTooLongError);
    EXPECT_THROW(list.insert(5, {}), std::out_of_range);
    EXPECT_THROW(list.move(3, 2, 0), std::out_of_range);
    EXPECT_EQ(numbers(list), "1234");
    EXPECT_EQ(list.totalBytes(), 36u);
    full.pop_back();
    list.replaceAll(full);
    EXPECT_EQ(list.append(kYamaha, Origin::capture), -1);
    EXPECT_THROW(list.insert(0, {full.front()}), std::out_of_range);
    EXPECT_EQ(list.count(), MessageList::kCapacity);
}
