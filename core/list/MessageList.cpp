#include "core/list/MessageList.h"

#include <algorithm>
#include <stdexcept>

#include "core/list/ListLabel.h"
#include "core/text/Errors.h"

namespace pellum {
namespace {

std::string labelFor(Origin origin, int number, std::span<const std::uint8_t> bytes) {
    return origin == Origin::capture ? capturedLabel(number, bytes) : loadedLabel(number, bytes);
}

}  // namespace

std::span<const std::uint8_t> MessageList::message(int row) const {
    if (row < 0 || row >= count()) return {};
    return lines_[static_cast<std::size_t>(row)].bytes;
}

std::vector<std::span<const std::uint8_t>> MessageList::spans() const {
    std::vector<std::span<const std::uint8_t>> all;
    all.reserve(lines_.size());
    for (const ListLine& line : lines_) all.push_back(line.bytes);
    return all;
}

void MessageList::addObserver(ListObserver* observer) {
    observers_.push_back(observer);
}

void MessageList::removeObserver(ListObserver* observer) {
    std::erase(observers_, observer);
}

ListLine MessageList::makeLine(std::span<const std::uint8_t> bytes, int number, Origin origin,
                               std::optional<std::int64_t> arrivalNs) {
    if (bytes.size() > kMaxMessageBytes) throw MessageTooLongError(number);
    auto copy = std::make_shared<std::uint8_t[]>(bytes.size());
    std::copy(bytes.begin(), bytes.end(), copy.get());
    ListLine line;
    line.bytes = {copy.get(), bytes.size()};
    line.owner = std::move(copy);
    line.number = number;
    line.origin = origin;
    line.arrivalNs = arrivalNs;
    line.checksum = checkChecksum(line.bytes);
    line.label = labelFor(origin, number, line.bytes);
    return line;
}

std::vector<ListLine> MessageList::fileLines(std::shared_ptr<const LoadedMessages> loaded) {
    std::vector<ListLine> lines(static_cast<std::size_t>(loaded->count()));
    for (int i = 0; i < loaded->count(); ++i) {
        ListLine& line = lines[static_cast<std::size_t>(i)];
        line.bytes = loaded->message(i);
        line.owner = loaded;
        line.number = i + 1;
        line.arrivalNs = loaded->timeNs(i);
        line.checksum = checkChecksum(line.bytes);
        line.label = loadedLabel(line.number, line.bytes);
    }
    return lines;
}

int MessageList::append(std::span<const std::uint8_t> bytes, Origin origin,
                        std::optional<std::int64_t> arrivalNs) {
    if (full()) return -1;
    // Never below the count: a number shown is never given again until the list is emptied.
    ListLine line = makeLine(bytes, nextNumber(), origin, arrivalNs);
    const int row = count();
    std::vector<ListLine> one;
    one.push_back(std::move(line));
    insert(row, std::move(one));
    return row;
}

void MessageList::insert(int row, std::vector<ListLine> lines) {
    if (row < 0 || row > count()) throw std::out_of_range("list row");
    if (lines.size() > static_cast<std::size_t>(room())) throw std::out_of_range("list capacity");
    if (lines.empty()) return;
    const ListChange change{ListChange::Kind::insert, row, static_cast<int>(lines.size())};
    changing(change);
    for (const ListLine& line : lines) {
        tally(line, 1);
        nextNumber_ = std::max(nextNumber_, line.number + 1);
    }
    lines_.insert(lines_.begin() + row, std::make_move_iterator(lines.begin()),
                  std::make_move_iterator(lines.end()));
    changed(change);
}

std::vector<ListLine> MessageList::erase(int first, int count) {
    if (first < 0 || count < 0 || first + count > this->count())
        throw std::out_of_range("list rows");
    if (count == 0) return {};
    const ListChange change{ListChange::Kind::erase, first, count};
    changing(change);
    const auto begin = lines_.begin() + first;
    std::vector<ListLine> taken(std::make_move_iterator(begin),
                                std::make_move_iterator(begin + count));
    lines_.erase(begin, begin + count);
    for (const ListLine& line : taken) tally(line, -1);
    changed(change);
    return taken;
}

std::vector<ListLine> MessageList::eraseRows(const std::vector<int>& rows) {
    if (!rows.empty() && (rows.front() < 0 || rows.back() >= count()))
        throw std::out_of_range("list rows");
    const ListChange change{ListChange::Kind::reset, 0, count()};
    changing(change);
    std::vector<ListLine> taken;
    taken.reserve(rows.size());
    std::vector<ListLine> kept;
    kept.reserve(lines_.size() - rows.size());
    std::size_t next = 0;
    for (std::size_t row = 0; row < lines_.size(); ++row) {
        if (next < rows.size() && static_cast<std::size_t>(rows[next]) == row) {
            tally(lines_[row], -1);
            taken.push_back(std::move(lines_[row]));
            ++next;
        } else {
            kept.push_back(std::move(lines_[row]));
        }
    }
    lines_ = std::move(kept);
    changed(change);
    return taken;
}

void MessageList::insertRows(const std::vector<int>& rows, std::vector<ListLine> lines) {
    const std::size_t total = lines_.size() + lines.size();
    if (rows.size() != lines.size() || (!rows.empty() && static_cast<std::size_t>(rows.back()) >= total))
        throw std::out_of_range("list rows");
    if (lines.size() > static_cast<std::size_t>(room())) throw std::out_of_range("list capacity");
    const ListChange change{ListChange::Kind::reset, 0, count()};
    changing(change);
    std::vector<ListLine> all;
    all.reserve(total);
    std::size_t next = 0;
    std::size_t old = 0;
    for (std::size_t row = 0; row < total; ++row) {
        if (next < rows.size() && static_cast<std::size_t>(rows[next]) == row) {
            tally(lines[next], 1);
            nextNumber_ = std::max(nextNumber_, lines[next].number + 1);
            all.push_back(std::move(lines[next++]));
        } else {
            all.push_back(std::move(lines_[old++]));
        }
    }
    lines_ = std::move(all);
    changed(change);
}

void MessageList::reorder(const std::vector<int>& order) {
    if (order.size() > lines_.size()) throw std::out_of_range("list rows");
    const ListChange change{ListChange::Kind::reset, 0, count()};
    changing(change);
    std::vector<ListLine> moved;
    moved.reserve(order.size());
    for (const int row : order) moved.push_back(lines_.at(static_cast<std::size_t>(row)));
    std::move(moved.begin(), moved.end(), lines_.begin());
    revise();
    changed(change);
}

void MessageList::move(int first, int count, int to) {
    if (first < 0 || count < 0 || first + count > this->count() || to < 0 ||
        to + count > this->count())
        throw std::out_of_range("list rows");
    if (count == 0 || to == first) return;
    const ListChange change{ListChange::Kind::move, first, count, to};
    changing(change);
    const auto begin = lines_.begin();
    if (to < first)
        std::rotate(begin + to, begin + first, begin + first + count);
    else
        std::rotate(begin + first, begin + first + count, begin + to + count);
    revise();
    changed(change);
}

ListLine MessageList::replace(int row, ListLine line) {
    if (row < 0 || row >= count()) throw std::out_of_range("list row");
    const ListChange change{ListChange::Kind::replace, row, 1};
    changing(change);
    ListLine& at = lines_[static_cast<std::size_t>(row)];
    tally(at, -1);
    tally(line, 1);
    std::swap(at, line);
    changed(change);
    return line;
}

std::vector<ListLine> MessageList::replaceAll(std::vector<ListLine> lines) {
    if (lines.size() > static_cast<std::size_t>(kCapacity))
        throw std::out_of_range("list capacity");
    const ListChange change{ListChange::Kind::reset, 0, count()};
    changing(change);
    std::swap(lines_, lines);
    revise();
    totalBytes_ = 0;
    wrongChecksums_ = 0;
    nextNumber_ = 1;
    for (const ListLine& line : lines_) {
        tally(line, 1);
        nextNumber_ = std::max(nextNumber_, line.number + 1);
    }
    changed(change);
    return lines;
}

std::vector<ListLine> MessageList::clear() {
    return replaceAll({});
}

void MessageList::keepOverride(ChannelOverride override) {
    int first = -1;
    int last = -1;
    for (int row = 0; row < count(); ++row) {
        const auto bytes = message(row);
        std::uint8_t head[3] = {};
        if (bytes.size() < 3) continue;
        std::copy_n(bytes.begin(), 3, head);
        applyChannelOverride(head, override);
        if (head[2] == bytes[2]) continue;
        if (first < 0) first = row;
        last = row;
    }
    if (first < 0) return;
    const ListChange change{ListChange::Kind::replace, first, last - first + 1};
    changing(change);
    for (int row = first; row <= last; ++row) {
        ListLine& line = lines_[static_cast<std::size_t>(row)];
        // A copy of its own: the old bytes may be shared with a step that can be undone.
        ListLine changedLine = withBytes(line, line.bytes);
        changedLine.label = line.label;
        auto* bytes = const_cast<std::uint8_t*>(changedLine.bytes.data());
        applyChannelOverride(std::span(bytes, changedLine.bytes.size()), override);
        changedLine.checksum = checkChecksum(changedLine.bytes);
        tally(line, -1);
        tally(changedLine, 1);
        line = std::move(changedLine);
    }
    changed(change);
}

void MessageList::changing(const ListChange& change) {
    for (ListObserver* observer : observers_) observer->listChanging(change);
}

void MessageList::changed(const ListChange& change) {
    for (ListObserver* observer : observers_) observer->listChanged(change);
}

void MessageList::tally(const ListLine& line, int sign) {
    totalBytes_ += sign > 0 ? line.bytes.size() : -line.bytes.size();
    if (line.checksum.verdict == Checksum::Verdict::wrong) wrongChecksums_ += sign;
    revise();
}

}  // namespace pellum
