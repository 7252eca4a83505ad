// The SysEx list: the one ordered list of messages that the window shows, sends and saves. A line
// holds its message's bytes, its list number and label, where it came from, when it arrived where
// that is known, and its checksum's verdict. Every change is one step, told to the observers
// before and after; a step that takes lines out hands them back, so that it can be undone.
#pragma once

#include <algorithm>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/files/LoadedMessages.h"
#include "core/messages/ChannelOverride.h"
#include "core/messages/MessageFacts.h"

namespace pellum {

enum class Origin : std::uint8_t { file, capture, typed };

struct ListLine {
    std::span<const std::uint8_t> bytes;
    std::shared_ptr<const void> owner;  // keeps the bytes where they are
    int number = 0;                     // the list number shown, 1..9999
    Origin origin = Origin::file;
    // When it came, where known: on the system clock for a capture, from the song's start for
    // a line of a Standard MIDI File.
    std::optional<std::int64_t> arrivalNs;
    Checksum checksum;
    std::string label;
};

// One step, as observers are told of it. Rows are those before the step; a move's `to` is the
// row its first line has after it.
struct ListChange {
    enum class Kind { insert, erase, move, replace, reset };
    Kind kind = Kind::reset;
    int first = 0;
    int count = 0;
    int to = 0;
};

class ListObserver {
public:
    virtual void listChanging(const ListChange& change) = 0;
    virtual void listChanged(const ListChange& change) = 0;

protected:
    ~ListObserver() = default;
};

class MessageList {
public:
    static constexpr int kCapacity = LoadedMessages::kCapacity;
    static constexpr std::size_t kMaxMessageBytes = LoadedMessages::kMaxMessageBytes;

    int count() const { return static_cast<int>(lines_.size()); }
    bool full() const { return count() >= kCapacity; }
    int room() const { return kCapacity - count(); }
    const ListLine& line(int row) const { return lines_.at(static_cast<std::size_t>(row)); }
    // Line `row`'s bytes; empty for a row that is not in the list.
    std::span<const std::uint8_t> message(int row) const;
    std::size_t length(int row) const { return message(row).size(); }
    std::uint64_t totalBytes() const { return totalBytes_; }
    int wrongChecksums() const { return wrongChecksums_; }
    // The list differs from the file it was loaded from or last saved to.
    bool unsaved() const { return revision_ != savedRevision_; }
    void markSaved() { savedRevision_ = revision_; }
    // Every state of the list has a revision of its own, never given to another; undoing a step
    // takes the list back to its revision from before, and so to the saved state if it was.
    std::uint64_t revision() const { return revision_; }
    void restoreRevision(std::uint64_t revision) { revision_ = revision; }
    std::uint64_t savedRevision() const { return savedRevision_; }
    void restoreSavedRevision(std::uint64_t revision) { savedRevision_ = revision; }
    // The number the next captured or typed message gets.
    int nextNumber() const { return std::max(nextNumber_, count() + 1); }
    // Every line's bytes in order, as the file writers take them.
    std::vector<std::span<const std::uint8_t>> spans() const;

    void addObserver(ListObserver* observer);
    void removeObserver(ListObserver* observer);

    // A line made of a copy of `bytes`, labelled as `origin` labels it. Throws
    // MessageTooLongError (naming `number`) for a message over kMaxMessageBytes.
    static ListLine makeLine(std::span<const std::uint8_t> bytes, int number, Origin origin,
                             std::optional<std::int64_t> arrivalNs = {});
    // `line` with `bytes` instead (edited, a checksum fixed): its number, origin and time stay,
    // its label follows the new bytes.
    static ListLine withBytes(const ListLine& line, std::span<const std::uint8_t> bytes) {
        return makeLine(bytes, line.number, line.origin, line.arrivalNs);
    }
    // The lines of a loaded file, whose bytes stay in `loaded`.
    static std::vector<ListLine> fileLines(std::shared_ptr<const LoadedMessages> loaded);

    // Files a captured or typed message at the end, numbered after every number the list has
    // given since it was last emptied; returns its row, or -1 when the list is full.
    int append(std::span<const std::uint8_t> bytes, Origin origin,
               std::optional<std::int64_t> arrivalNs = {});
    // Throws std::out_of_range, the list untouched, for a row outside it or lines beyond
    // kCapacity.
    void insert(int row, std::vector<ListLine> lines);
    std::vector<ListLine> erase(int first, int count);
    // Many lines at once, in one pass, told as a reset: `rows` ascending. eraseRows hands the
    // lines back in that order; insertRows puts each line at its row of the list after it.
    std::vector<ListLine> eraseRows(const std::vector<int>& rows);
    void insertRows(const std::vector<int>& rows, std::vector<ListLine> lines);
    // Line `order[i]` becomes line i, for the first order.size() lines; told as a reset.
    void reorder(const std::vector<int>& order);
    // Moves `count` lines from `first` so that the first of them ends at row `to`.
    void move(int first, int count, int to);
    ListLine replace(int row, ListLine line);
    // Replaces every line at once (a load), numbering captures after the last line.
    std::vector<ListLine> replaceAll(std::vector<ListLine> lines);
    // Empties the list; captures are numbered from 1 again.
    std::vector<ListLine> clear();
    // What a save with the override on leaves in the list: byte 2 of every message as the
    // override set it in the file. One step; lines it does not change keep their bytes.
    void keepOverride(ChannelOverride override);

private:
    void changing(const ListChange& change);
    void changed(const ListChange& change);
    void tally(const ListLine& line, int sign);
    void revise() { revision_ = ++lastRevision_; }

    std::vector<ListLine> lines_;
    std::vector<ListObserver*> observers_;
    int nextNumber_ = 1;
    std::uint64_t totalBytes_ = 0;
    int wrongChecksums_ = 0;
    std::uint64_t revision_ = 0;
    std::uint64_t lastRevision_ = 0;
    std::uint64_t savedRevision_ = 0;
};

}  // namespace pellum
