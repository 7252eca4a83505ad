#include "core/list/MessageDiff.h"

#include <algorithm>
#include <deque>
#include <optional>
#include <string_view>
#include <unordered_map>

#include "core/messages/MessageFacts.h"

namespace pellum {
namespace {

std::string_view viewOf(std::span<const std::uint8_t> bytes) {
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

// Each message as a number, equal for equal messages across both lists: the alignment then
// compares numbers, and each message's bytes are read once.
std::vector<int> numbered(const MessageSpans& messages,
                          std::unordered_map<std::string_view, int>& numbers) {
    std::vector<int> out;
    out.reserve(messages.size());
    for (const auto& m : messages)
        out.push_back(
            numbers.try_emplace(viewOf(m), static_cast<int>(numbers.size())).first->second);
    return out;
}

class Aligner {
public:
    Aligner(const std::vector<int>& a, const std::vector<int>& b, std::vector<MessagePair>& out)
        : a_(a), b_(b), out_(out) {}

    // Ranges are worked off a stack, not by recursion: a list of 9999 messages may nest deep.
    void run() {
        todo_.push_back({0, static_cast<int>(a_.size()), 0, static_cast<int>(b_.size()), false});
        while (!todo_.empty()) {
            const Task task = todo_.back();
            todo_.pop_back();
            if (task.match)
                pair(task.alo, task.blo);
            else
                align(task);
        }
    }

private:
    struct Task {
        int alo, ahi, blo, bhi;
        bool match;  // alo and blo pair, equal
    };

    void pair(int i, int j) { out_.push_back({i, j, a_[i] == b_[j]}); }

    void align(Task t) {
        while (t.alo < t.ahi && t.blo < t.bhi && a_[t.alo] == b_[t.blo]) pair(t.alo++, t.blo++);
        // The equal last ones come after everything between, so they go on the stack first.
        while (t.alo < t.ahi && t.blo < t.bhi && a_[t.ahi - 1] == b_[t.bhi - 1])
            todo_.push_back({--t.ahi, 0, --t.bhi, 0, true});
        const std::vector<std::pair<int, int>> anchors = anchorsOf(t);
        if (anchors.empty()) {
            const int both = std::min(t.ahi - t.alo, t.bhi - t.blo);
            for (int k = 0; k < both; ++k) pair(t.alo + k, t.blo + k);
            for (int i = t.alo + both; i < t.ahi; ++i) out_.push_back({i, -1, false});
            for (int j = t.blo + both; j < t.bhi; ++j) out_.push_back({-1, j, false});
            return;
        }
        // Last first: the stack hands them back in order.
        int ahi = t.ahi, bhi = t.bhi;
        for (auto it = anchors.rbegin(); it != anchors.rend(); ++it) {
            todo_.push_back({it->first + 1, ahi, it->second + 1, bhi, false});
            todo_.push_back({it->first, 0, it->second, 0, true});
            ahi = it->first;
            bhi = it->second;
        }
        todo_.push_back({t.alo, ahi, t.blo, bhi, false});
    }

    // The messages each range holds once, as (row in A, row in B), the longest run in which both
    // rows rise. Patience sorting: each goes on the leftmost pile whose top lies further in B, and
    // remembers the top of the pile before; the run is read back from the last pile.
    std::vector<std::pair<int, int>> anchorsOf(const Task& t) const {
        struct Count {
            int inA = 0, inB = 0, rowB = -1;
        };
        std::unordered_map<int, Count> counts;
        for (int i = t.alo; i < t.ahi; ++i) ++counts[a_[i]].inA;
        for (int j = t.blo; j < t.bhi; ++j) {
            Count& c = counts[b_[j]];
            ++c.inB;
            c.rowB = j;
        }
        std::vector<std::pair<int, int>> unique;
        for (int i = t.alo; i < t.ahi; ++i) {
            const Count& c = counts[a_[i]];
            if (c.inA == 1 && c.inB == 1) unique.emplace_back(i, c.rowB);
        }
        std::vector<int> tops, topIndex, before(unique.size(), -1);
        for (std::size_t k = 0; k < unique.size(); ++k) {
            const int j = unique[k].second;
            const auto pile = static_cast<std::size_t>(
                std::lower_bound(tops.begin(), tops.end(), j) - tops.begin());
            if (pile > 0) before[k] = topIndex[pile - 1];
            if (pile == tops.size()) {
                tops.push_back(j);
                topIndex.push_back(static_cast<int>(k));
            } else {
                tops[pile] = j;
                topIndex[pile] = static_cast<int>(k);
            }
        }
        std::vector<std::pair<int, int>> run;
        for (int k = topIndex.empty() ? -1 : topIndex.back(); k >= 0; k = before[k])
            run.push_back(unique[static_cast<std::size_t>(k)]);
        std::reverse(run.begin(), run.end());
        return run;
    }

    const std::vector<int>& a_;
    const std::vector<int>& b_;
    std::vector<MessagePair>& out_;
    std::vector<Task> todo_;
};

// Model, command and address: the bytes from the model ID to the data.
std::optional<std::string_view> addressKey(std::span<const std::uint8_t> message) {
    const auto set = rolandDataSet(message);
    if (!set) return std::nullopt;
    return viewOf(message.subspan(3, set->data - 3));
}

bool pairedByAddress(const MessageSpans& a, const MessageSpans& b, std::vector<MessagePair>& out) {
    if (a.empty() || b.empty()) return false;
    std::vector<std::string_view> keysA;
    for (const auto& m : a) {
        const auto key = addressKey(m);
        if (!key) return false;
        keysA.push_back(*key);
    }
    std::unordered_map<std::string_view, std::deque<int>> rowsB;
    for (std::size_t j = 0; j < b.size(); ++j) {
        const auto key = addressKey(b[j]);
        if (!key) return false;
        rowsB[*key].push_back(static_cast<int>(j));
    }
    std::vector<bool> pairedB(b.size());
    for (std::size_t i = 0; i < a.size(); ++i) {
        std::deque<int>& rows = rowsB[keysA[i]];
        if (rows.empty()) {
            out.push_back({static_cast<int>(i), -1, false});
            continue;
        }
        const int j = rows.front();
        rows.pop_front();
        pairedB[static_cast<std::size_t>(j)] = true;
        out.push_back(
            {static_cast<int>(i), j, std::ranges::equal(a[i], b[static_cast<std::size_t>(j)])});
    }
    for (std::size_t j = 0; j < b.size(); ++j)
        if (!pairedB[j]) out.push_back({-1, static_cast<int>(j), false});
    return true;
}

}  // namespace

bool MessageComparison::same() const {
    return std::ranges::all_of(pairs, [](const MessagePair& p) { return p.same; });
}

MessageComparison compareMessages(const MessageSpans& a, const MessageSpans& b) {
    MessageComparison comparison;
    comparison.byAddress = pairedByAddress(a, b, comparison.pairs);
    if (comparison.byAddress) return comparison;
    comparison.pairs.clear();
    std::unordered_map<std::string_view, int> numbers;
    const std::vector<int> na = numbered(a, numbers);
    const std::vector<int> nb = numbered(b, numbers);
    Aligner(na, nb, comparison.pairs).run();
    return comparison;
}

std::vector<ByteChange> byteChanges(std::span<const std::uint8_t> a,
                                    std::span<const std::uint8_t> b) {
    const auto setA = rolandDataSet(a);
    const auto setB = rolandDataSet(b);
    // One model and address: the data lies at one offset in both.
    const bool addressed =
        setA && setB &&
        std::ranges::equal(a.subspan(3, setA->data - 3), b.subspan(3, setB->data - 3));
    const std::size_t dataEnd =
        addressed ? setA->data + std::max(setA->dataLength, setB->dataLength) : 0;
    std::vector<ByteChange> changes;
    for (std::size_t at = 0; at < std::max(a.size(), b.size()); ++at) {
        const int before = at < a.size() ? a[at] : -1;
        const int after = at < b.size() ? b[at] : -1;
        if (before == after) continue;
        ByteChange change{at, before, after, {}};
        if (addressed && at >= setA->data && at < dataEnd)
            change.address = rolandAddressPlus(setA->address, at - setA->data);
        changes.push_back(std::move(change));
    }
    return changes;
}

}  // namespace pellum
