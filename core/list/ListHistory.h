// The user's changes to the SysEx list as steps that can be undone and redone. Captured messages
// are no steps: they come in at the end of the list, and undoing a step leaves them there, so
// that undo never takes away what an instrument sent unless the step the user took held it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "core/list/MessageList.h"

namespace pellum {

enum class StepKind { remove, cut, paste, move, clear, open, typed, edit, fixChecksum };

// The file a list stands for, which a step that replaces the whole list changes: the file it
// was opened from or last saved to, where Save writes without asking, and its saved state.
struct ListFile {
    std::string name;
    std::string saveTarget;
    std::uint64_t savedRevision = 0;
};

class ListHistory {
public:
    // `list` must outlive the history.
    explicit ListHistory(MessageList& list) : list_(list) {}

    // Each of these is one step. Rows need not be in order; none may repeat.
    void erase(std::vector<int> rows, StepKind kind);
    // Inserts `lines` so that the first of them ends at `row`; returns their rows.
    std::vector<int> insert(int row, std::vector<ListLine> lines, StepKind kind);
    // Moves the lines at `rows` one place up (`by` -1) or down (+1), each run of neighbours as a
    // block; nothing moves when one of them is at that end. Returns their rows after it.
    std::vector<int> shift(std::vector<int> rows, int by);
    // Moves the lines at `rows`, in order, so that they stand together before the line that is at
    // `before` now (the list's count: at the end). Returns their rows after it.
    std::vector<int> moveBefore(std::vector<int> rows, int before);
    void replace(int row, ListLine line, StepKind kind);
    // Each line for the one at its row, all in one step.
    void replace(std::vector<std::pair<int, ListLine>> lines, StepKind kind);
    // Replaces the whole list (a load, New, Clear List), which then stands saved as the file
    // `after` (their saved revisions are the history's to fill in).
    void replaceAll(std::vector<ListLine> lines, StepKind kind, ListFile before, ListFile after);

    bool canUndo() const { return !done_.empty(); }
    bool canRedo() const { return !undone_.empty(); }
    StepKind undoKind() const { return done_.back().kind; }
    StepKind redoKind() const { return undone_.back().kind; }

    struct Outcome {
        std::vector<int> rows;        // the lines the step concerns, to select
        std::optional<ListFile> file; // the list's file from now on, for a step that changed it
    };
    // Throw PellumError, the list untouched, when the lines put back would not fit.
    Outcome undo();
    Outcome redo();
    // Forgets every step (the list a new window starts with).
    void clear();

    static constexpr std::size_t kMaxSteps = 200;
    // The bytes the steps may hold (a load holds the whole list it replaced): the oldest steps
    // go beyond it, the newest always stays.
    static constexpr std::uint64_t kMaxBytes = 256u << 20;
    // Beyond this many separate runs of lines, a step takes them in one pass.
    static constexpr std::size_t kManyRuns = 32;

private:
    struct Op {
        // eraseRows takes out the lines at `rows` in one pass, reorder puts line rows[i] at i:
        // for many lines at once, where a step of many small ops would redraw the list each time.
        enum class Type { insert, erase, move, replace, reset, eraseRows, reorder };
        Op(Type type, int row, int count, int to = 0, std::vector<ListLine> lines = {})
            : type(type), row(row), count(count), to(to), lines(std::move(lines)) {}
        Type type;
        int row = 0;
        int count = 0;
        int to = 0;
        std::vector<ListLine> lines;  // what the op puts in when done
        std::vector<ListLine> other;  // what it took out, for reset and replace
        std::vector<int> rows;        // for eraseRows and reorder
    };
    struct Step {
        explicit Step(StepKind kind) : kind(kind) {}
        StepKind kind;
        std::vector<Op> ops;
        std::vector<int> rowsBefore;  // the lines it concerns, to select after an undo
        std::vector<int> rowsAfter;   // and after a redo
        std::uint64_t revisionBefore = 0;
        std::uint64_t revisionAfter = 0;
        std::optional<ListFile> fileBefore;
        std::optional<ListFile> fileAfter;
        std::uint64_t bytes = 0;  // held in its lines
    };

    void run(Step step);
    // A step of more than kManyRuns moves becomes one reorder.
    void collapseMoves(Step& step) const;
    void forward(Op& op);
    void backward(Op& op);
    // The most lines a step's ops add at any point, run one way or the other.
    static int peakGrowth(const Step& step, bool forwardWay);
    Outcome travel(std::vector<Step>& from, std::vector<Step>& to, bool forwardWay);

    MessageList& list_;
    std::vector<Step> done_;
    std::vector<Step> undone_;
};

}  // namespace pellum
