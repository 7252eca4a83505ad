// Undo and Redo of the user's steps on the SysEx list, and the hex text that Copy writes and
// Paste reads: steps come back in place with captures left where they came, the unsaved mark
// follows the saved state, and a paste that is not whole SysEx names its line.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "core/list/ListHistory.h"
#include "core/messages/HexMessages.h"
#include "core/text/Errors.h"
#include "core/text/Texts.h"

using namespace pellum;

namespace {

ListLine numbered(int number) {
    const std::vector<std::uint8_t> bytes{0xF0, 0x7D, static_cast<std::uint8_t>(number % 128), 0xF7};
    return MessageList::makeLine(bytes, number, Origin::file);
}

std::vector<ListLine> numberedLines(int count) {
    std::vector<ListLine> all;
    for (int n = 1; n <= count; ++n) all.push_back(numbered(n));
    return all;
}

// The list's lines by number: "1,2,3".
std::string numbersOf(const MessageList& list) {
    std::string all;
    for (int row = 0; row < list.count(); ++row)
        all += (row ? "," : "") + std::to_string(list.line(row).number);
    return all;
}

TEST(ListHistory, StepsGoAndComeBackInPlaceWithCapturesLeftAtTheEnd) {
    MessageList list;
    ListHistory history(list);
    history.replaceAll(numberedLines(10), StepKind::open, {}, {"a.syx", "a.syx"});
    history.erase({5, 1, 4}, StepKind::remove);
    EXPECT_EQ(numbersOf(list), "1,3,4,7,8,9,10");
    list.append(std::vector<std::uint8_t>{0xF0, 0x01, 0xF7}, Origin::capture);
    const auto undone = history.undo();
    EXPECT_EQ(numbersOf(list), "1,2,3,4,5,6,7,8,9,10,11");
    EXPECT_EQ(undone.rows, (std::vector<int>{1, 4, 5}));
    EXPECT_TRUE(list.unsaved()) << "a capture came in since";
    history.redo();
    EXPECT_EQ(numbersOf(list), "1,3,4,7,8,9,10,11");

    // Undoing the load puts back the list before it and its file; the capture stays.
    history.undo();
    const auto before = history.undo();
    EXPECT_EQ(numbersOf(list), "11");
    ASSERT_TRUE(before.file);
    EXPECT_EQ(before.file->name, "");
    const auto after = history.redo();
    EXPECT_EQ(numbersOf(list), "1,2,3,4,5,6,7,8,9,10,11");
    EXPECT_EQ(after.file->saveTarget, "a.syx");
    EXPECT_EQ(history.undoKind(), StepKind::open);
    EXPECT_TRUE(history.canRedo());
}

TEST(ListHistory, MovesTakeEachRunOfSelectedLinesAndUndoExactly) {
    struct Case {
        std::vector<int> rows;
        int by;      // shift by this; 0: moveBefore `before`
        int before;
        std::string moved;
        std::vector<int> rowsAfter;
    } cases[] = {
        {{1, 2, 5}, -1, 0, "2,3,1,4,6,5,7,8", {0, 1, 4}},
        {{1, 2, 5}, 1, 0, "1,4,2,3,5,7,6,8", {2, 3, 6}},
        {{0, 3}, -1, 0, "1,2,3,4,5,6,7,8", {0, 3}},
        {{3, 7}, 1, 0, "1,2,3,4,5,6,7,8", {3, 7}},
        {{1, 5, 6}, 0, 3, "1,3,2,6,7,4,5,8", {2, 3, 4}},
        {{0, 1}, 0, 8, "3,4,5,6,7,8,1,2", {6, 7}},
        {{6, 7}, 0, 0, "7,8,1,2,3,4,5,6", {0, 1}},
    };
    for (const Case& c : cases) {
        MessageList list;
        list.replaceAll(numberedLines(8));
        list.markSaved();
        ListHistory history(list);
        const auto rows = c.by ? history.shift(c.rows, c.by) : history.moveBefore(c.rows, c.before);
        EXPECT_EQ(numbersOf(list), c.moved) << c.moved;
        EXPECT_EQ(rows, c.rowsAfter) << c.moved;
        if (!history.canUndo()) continue;
        EXPECT_EQ(history.undo().rows, c.rows);
        EXPECT_EQ(numbersOf(list), "1,2,3,4,5,6,7,8");
        EXPECT_FALSE(list.unsaved()) << "back at the saved state";
        history.redo();
        EXPECT_EQ(numbersOf(list), c.moved);
        EXPECT_TRUE(list.unsaved());
    }
}

// Many separate lines go in one pass, and come back as exactly.
TEST(ListHistory, ManyScatteredLinesMoveAndGoInOnePassAndComeBack) {
    MessageList list;
    ListHistory history(list);
    history.replaceAll(numberedLines(100), StepKind::open, {}, {});
    const std::string whole = numbersOf(list);
    std::vector<int> odd;
    std::string kept;
    for (int row = 1; row < 100; row += 2) odd.push_back(row);
    for (int n = 1; n <= 100; n += 2) kept += (n > 1 ? "," : "") + std::to_string(n);
    history.moveBefore(odd, 0);
    EXPECT_EQ(numbersOf(list).substr(0, 9), "2,4,6,8,1");
    history.undo();
    EXPECT_EQ(numbersOf(list), whole);
    EXPECT_EQ(history.shift(odd, -1).front(), 0);
    EXPECT_EQ(numbersOf(list).substr(0, 9), "2,1,4,3,6");
    history.undo();
    EXPECT_EQ(numbersOf(list), whole);
    history.erase(odd, StepKind::remove);
    EXPECT_EQ(numbersOf(list), kept);
    list.append(std::vector<std::uint8_t>{0xF0, 0x01, 0xF7}, Origin::capture);
    history.undo();
    EXPECT_EQ(numbersOf(list), whole + ",101");
    history.redo();
    EXPECT_EQ(numbersOf(list), kept + ",101");
}

TEST(ListHistory, TheUnsavedMarkFollowsTheSavedStateAndAFullListRefusesAnUndo) {
    MessageList list;
    list.replaceAll(numberedLines(MessageList::kCapacity));
    list.markSaved();
    ListHistory history(list);
    history.erase({0, 1}, StepKind::cut);
    history.insert(0, {numbered(1)}, StepKind::paste);
    list.markSaved();
    history.undo();
    EXPECT_TRUE(list.unsaved());
    history.redo();
    EXPECT_FALSE(list.unsaved());

    // A capture fills the row the cut left: putting two lines back cannot fit, and nothing moves.
    list.append(std::vector<std::uint8_t>{0xF0, 0x01, 0xF7}, Origin::capture);
    history.undo();
    EXPECT_THROW(history.undo(), PellumError);
    EXPECT_EQ(list.count(), MessageList::kCapacity - 1);
    EXPECT_EQ(list.line(0).number, 3);
    EXPECT_TRUE(history.canUndo());
}

TEST(HexMessages, CopiedTextPastesBackAndWhatIsNotWholeSysExNamesItsLine) {
    setLanguage("en");
    const std::vector<std::uint8_t> a{0xF0, 0x41, 0x10, 0x42, 0x12, 0xF7}, b{0xF0, 0x7E, 0xF7};
    EXPECT_EQ(messagesAsHex({a, b}), "F0 41 10 42 12 F7\nF0 7E F7\n");
    EXPECT_EQ(messagesFromHex(messagesAsHex({a, b})), (std::vector{a, b}));
    // From a manual: prefixes, commas, a message over two lines, two on one.
    EXPECT_EQ(messagesFromHex(" 0xF0, 41h $10\r\n42 12 f7 F0 7E F7"), (std::vector{a, b}));
    const std::pair<const char*, const char*> refused[] = {
        {"41 10 F7", "Line 1: no F0: a message must begin with F0"},
        {"F0 41 10 F7\nF0 41\n10 F0 F7", "Line 2: no F7: the message does not end"},
        {"F0 41", "Line 1: no F7: the message does not end"},
        {"F0 41\n90 F7", "Line 2: 90H inside a message: data bytes are below 80H"},
        {"F0 41 F8 F7", "Line 1: F8H inside a message: data bytes are below 80H"},
        {"F0 41 F7\n\nF0 4G F7", "Line 3: '4G' is not a hex byte"},
        {"F0 123 F7", "Line 1: '123' is not a hex byte"},
        {" \n", "no SysEx message"},
    };
    for (const auto& [text, error] : refused) {
        try {
            messagesFromHex(text);
            ADD_FAILURE() << text << " was taken";
        } catch (const PellumError& e) {
            EXPECT_EQ(std::string(e.what()), error);
        }
    }

    // One message typed or edited: refused at the byte the problem is at.
    const std::tuple<const char*, std::size_t, const char*> edits[] = {
        {"41 10 F7", 0, "Offset 00H: no F0: a message must begin with F0"},
        {"F0 41 10", 2, "Offset 02H: no F7: the message does not end"},
        {"F0 41 F7 10 F7", 2, "Offset 02H: F7H inside a message: data bytes are below 80H"},
        {"F0 41\n10 zz F7", 3, "Offset 03H: 'zz' is not a hex byte"},
        {"F0 7E 7F 06 01 F7", 0, ""},
    };
    for (const auto& [text, at, error] : edits) {
        const TypedMessage typed = typedMessage(text);
        EXPECT_EQ(typed.error, error) << text;
        EXPECT_EQ(typed.errorByte, at) << text;
    }
}

}  // namespace
