#include "core/list/ListHistory.h"

#include <algorithm>
#include <numeric>

#include "core/text/Errors.h"
#include "core/text/Texts.h"

namespace pellum {
namespace {

std::vector<int> sortedRows(std::vector<int> rows) {
    std::sort(rows.begin(), rows.end());
    return rows;
}

// The runs of neighbours in ascending `rows`, as (first, count).
std::vector<std::pair<int, int>> runsOf(const std::vector<int>& rows) {
    std::vector<std::pair<int, int>> runs;
    for (const int row : rows) {
        if (!runs.empty() && runs.back().first + runs.back().second == row)
            ++runs.back().second;
        else
            runs.emplace_back(row, 1);
    }
    return runs;
}

std::vector<int> rowsFrom(int first, int count) {
    std::vector<int> rows(static_cast<std::size_t>(count));
    std::iota(rows.begin(), rows.end(), first);
    return rows;
}

}  // namespace

void ListHistory::erase(std::vector<int> rows, StepKind kind) {
    if (rows.empty()) return;
    Step step(kind);
    step.rowsBefore = sortedRows(std::move(rows));
    const auto runs = runsOf(step.rowsBefore);
    if (runs.size() > kManyRuns) {
        Op op{Op::Type::eraseRows, 0, static_cast<int>(step.rowsBefore.size())};
        op.rows = step.rowsBefore;
        step.ops.push_back(std::move(op));
    } else {
        // From the bottom up, so that each run's rows still hold when it goes.
        for (auto run = runs.rbegin(); run != runs.rend(); ++run)
            step.ops.push_back({Op::Type::erase, run->first, run->second});
    }
    run(std::move(step));
}

std::vector<int> ListHistory::insert(int row, std::vector<ListLine> lines, StepKind kind) {
    if (lines.empty()) return {};
    Step step(kind);
    const int count = static_cast<int>(lines.size());
    step.rowsAfter = rowsFrom(row, count);
    step.ops.push_back({Op::Type::insert, row, count, 0, std::move(lines)});
    std::vector<int> rows = step.rowsAfter;
    run(std::move(step));
    return rows;
}

std::vector<int> ListHistory::shift(std::vector<int> rows, int by) {
    rows = sortedRows(std::move(rows));
    if (rows.empty() || (by < 0 && rows.front() == 0) ||
        (by > 0 && rows.back() == list_.count() - 1))
        return rows;
    Step step(StepKind::move);
    auto runs = runsOf(rows);
    // Runs stand apart, so each moves into a line no other run takes; the lowest goes first down.
    if (by > 0) std::reverse(runs.begin(), runs.end());
    for (const auto& [first, count] : runs)
        step.ops.push_back({Op::Type::move, first, count, first + by});
    step.rowsBefore = rows;
    for (int& row : rows) row += by;
    step.rowsAfter = rows;
    collapseMoves(step);
    run(std::move(step));
    return rows;
}

std::vector<int> ListHistory::moveBefore(std::vector<int> rows, int before) {
    rows = sortedRows(std::move(rows));
    // Where the lines end: after every other line above `before`.
    const int target =
        before - static_cast<int>(std::lower_bound(rows.begin(), rows.end(), before) - rows.begin());
    Step step(StepKind::move);
    std::vector<int> order(static_cast<std::size_t>(list_.count()));
    std::iota(order.begin(), order.end(), 0);
    const auto moveTo = [&](int line, int to) {
        const int from = static_cast<int>(std::find(order.begin(), order.end(), line) - order.begin());
        if (from == to) return;
        step.ops.push_back({Op::Type::move, from, 1, to});
        const auto at = order.begin();
        if (to < from)
            std::rotate(at + to, at + from, at + from + 1);
        else
            std::rotate(at + from, at + from + 1, at + to + 1);
    };
    // Lines going down are placed from the lowest, lines going up from the highest: neither
    // moves a line placed before it.
    const int count = static_cast<int>(rows.size());
    for (int i = count - 1; i >= 0; --i)
        if (rows[static_cast<std::size_t>(i)] < target + i) moveTo(rows[static_cast<std::size_t>(i)], target + i);
    for (int i = 0; i < count; ++i)
        if (rows[static_cast<std::size_t>(i)] > target + i) moveTo(rows[static_cast<std::size_t>(i)], target + i);
    step.rowsBefore = rows;
    step.rowsAfter = rowsFrom(target, static_cast<int>(rows.size()));
    collapseMoves(step);
    if (!step.ops.empty()) run(step);
    return step.rowsAfter;
}

void ListHistory::collapseMoves(Step& step) const {
    if (step.ops.size() <= kManyRuns) return;
    // One reorder instead: the order the moves make.
    std::vector<int> order(static_cast<std::size_t>(list_.count()));
    std::iota(order.begin(), order.end(), 0);
    for (const Op& move : step.ops) {
        const auto at = order.begin();
        if (move.to < move.row)
            std::rotate(at + move.to, at + move.row, at + move.row + move.count);
        else
            std::rotate(at + move.row, at + move.row + move.count, at + move.to + move.count);
    }
    Op op{Op::Type::reorder, 0, static_cast<int>(order.size())};
    op.rows = std::move(order);
    step.ops.clear();
    step.ops.push_back(std::move(op));
}

void ListHistory::replace(int row, ListLine line, StepKind kind) {
    std::vector<std::pair<int, ListLine>> one;
    one.emplace_back(row, std::move(line));
    replace(std::move(one), kind);
}

void ListHistory::replace(std::vector<std::pair<int, ListLine>> lines, StepKind kind) {
    if (lines.empty()) return;
    Step step(kind);
    for (auto& [row, line] : lines) {
        step.rowsBefore.push_back(row);
        Op op{Op::Type::replace, row, 1};
        op.lines.push_back(std::move(line));
        step.ops.push_back(std::move(op));
    }
    std::sort(step.rowsBefore.begin(), step.rowsBefore.end());
    step.rowsAfter = step.rowsBefore;
    run(std::move(step));
}

void ListHistory::replaceAll(std::vector<ListLine> lines, StepKind kind, ListFile before,
                             ListFile after) {
    Step step(kind);
    const int count = static_cast<int>(lines.size());
    step.ops.push_back({Op::Type::reset, list_.count(), 0, count, std::move(lines)});
    before.savedRevision = list_.savedRevision();
    step.fileBefore = std::move(before);
    run(std::move(step));
    list_.markSaved();
    after.savedRevision = list_.savedRevision();
    done_.back().fileAfter = std::move(after);
}

void ListHistory::clear() {
    done_.clear();
    undone_.clear();
}

void ListHistory::run(Step step) {
    step.revisionBefore = list_.revision();
    for (Op& op : step.ops) forward(op);
    step.revisionAfter = list_.revision();
    for (const Op& op : step.ops)
        for (const auto* lines : {&op.lines, &op.other})
            for (const ListLine& line : *lines) step.bytes += line.bytes.size();
    done_.push_back(std::move(step));
    undone_.clear();
    std::uint64_t held = 0;
    for (const Step& kept : done_) held += kept.bytes;
    while (done_.size() > 1 && (done_.size() > kMaxSteps || held > kMaxBytes)) {
        held -= done_.front().bytes;
        done_.erase(done_.begin());
    }
}

void ListHistory::forward(Op& op) {
    switch (op.type) {
        case Op::Type::insert:
            list_.insert(op.row, std::move(op.lines));
            op.lines.clear();
            break;
        case Op::Type::erase:
            op.lines = list_.erase(op.row, op.count);
            break;
        case Op::Type::move:
            list_.move(op.row, op.count, op.to);
            break;
        case Op::Type::replace:
            op.other = {list_.replace(op.row, std::move(op.lines.front()))};
            op.lines.clear();
            break;
        case Op::Type::eraseRows:
            op.lines = list_.eraseRows(op.rows);
            break;
        case Op::Type::reorder:
            list_.reorder(op.rows);
            break;
        case Op::Type::reset: {
            // `row` lines are replaced by `to`; captures that came after them stay after them.
            std::vector<ListLine> lines = std::move(op.lines);
            for (int r = op.row; r < list_.count(); ++r) lines.push_back(list_.line(r));
            op.other = list_.replaceAll(std::move(lines));
            op.other.resize(static_cast<std::size_t>(op.row));
            op.lines.clear();
            break;
        }
    }
}

void ListHistory::backward(Op& op) {
    switch (op.type) {
        case Op::Type::insert:
            op.lines = list_.erase(op.row, op.count);
            break;
        case Op::Type::erase:
            list_.insert(op.row, std::move(op.lines));
            op.lines.clear();
            break;
        case Op::Type::move:
            list_.move(op.to, op.count, op.row);
            break;
        case Op::Type::replace:
            op.lines = {list_.replace(op.row, std::move(op.other.front()))};
            op.other.clear();
            break;
        case Op::Type::eraseRows:
            list_.insertRows(op.rows, std::move(op.lines));
            op.lines.clear();
            break;
        case Op::Type::reorder: {
            std::vector<int> back(op.rows.size());
            for (std::size_t i = 0; i < op.rows.size(); ++i)
                back[static_cast<std::size_t>(op.rows[i])] = static_cast<int>(i);
            list_.reorder(back);
            break;
        }
        case Op::Type::reset: {
            std::vector<ListLine> lines = std::move(op.other);
            for (int r = op.to; r < list_.count(); ++r) lines.push_back(list_.line(r));
            op.lines = list_.replaceAll(std::move(lines));
            op.lines.resize(static_cast<std::size_t>(op.to));
            op.other.clear();
            break;
        }
    }
}

int ListHistory::peakGrowth(const Step& step, bool forwardWay) {
    int growth = 0;
    int peak = 0;
    const auto add = [&](const Op& op) {
        int by = 0;
        switch (op.type) {
            case Op::Type::insert:
                by = op.count;
                break;
            case Op::Type::erase:
            case Op::Type::eraseRows:
                by = -op.count;
                break;
            case Op::Type::reset:
                by = op.to - op.row;
                break;
            default:
                break;
        }
        growth += forwardWay ? by : -by;
        peak = std::max(peak, growth);
    };
    if (forwardWay)
        std::for_each(step.ops.begin(), step.ops.end(), add);
    else
        std::for_each(step.ops.rbegin(), step.ops.rend(), add);
    return peak;
}

ListHistory::Outcome ListHistory::travel(std::vector<Step>& from, std::vector<Step>& to,
                                         bool forwardWay) {
    Outcome outcome;
    if (from.empty()) return outcome;
    Step& step = from.back();
    // Captures may have filled the list since: what does not fit is refused before anything
    // changes.
    if (const int peak = peakGrowth(step, forwardWay); peak > list_.room())
        throw PellumError(text(Text::NoRoomToUndo, {std::to_string(peak)}));
    const std::uint64_t expected = forwardWay ? step.revisionBefore : step.revisionAfter;
    const bool untouched = list_.revision() == expected;
    if (forwardWay)
        for (Op& op : step.ops) forward(op);
    else
        for (auto op = step.ops.rbegin(); op != step.ops.rend(); ++op) backward(*op);
    outcome.rows = forwardWay ? step.rowsAfter : step.rowsBefore;
    // Back where the list stood, unless a capture came in since: then it differs from both.
    if (untouched) list_.restoreRevision(forwardWay ? step.revisionAfter : step.revisionBefore);
    outcome.file = forwardWay ? step.fileAfter : step.fileBefore;
    if (outcome.file) list_.restoreSavedRevision(outcome.file->savedRevision);
    to.push_back(std::move(step));
    from.pop_back();
    return outcome;
}

ListHistory::Outcome ListHistory::undo() {
    return travel(done_, undone_, false);
}

ListHistory::Outcome ListHistory::redo() {
    return travel(undone_, done_, true);
}

}  // namespace pellum
