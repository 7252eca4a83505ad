// Dialogs that answer from a script and record what the window asked, so window tests never
// block on a modal box.
#pragma once

#include <QString>
#include <QStringList>
#include <deque>
#include <functional>
#include <optional>
#include <vector>

#include "app/Dialogs.h"

namespace pellum::test {

class RecordingDialogs : public Dialogs {
public:
    // Answers for the next file dialogs, in order; an empty text is a cancel.
    std::deque<QString> answers;
    std::vector<FileDialogSpec> asked;
    QStringList messages;
    QStringList errors;
    QStringList runtimeErrors;
    std::deque<Unsaved> unsavedAnswers;  // then Discard, as before there was a question
    QStringList questions;
    // Runs while a dialog or notice is open, as what happens during a modal window's own loop.
    std::function<void()> whileOpen;

    std::optional<QString> openFile(const FileDialogSpec& spec) override { return answer(spec); }
    std::optional<QString> saveFile(const FileDialogSpec& spec) override { return answer(spec); }
    void message(const QString& text) override {
        messages << text;
        if (whileOpen) whileOpen();
    }
    Unsaved askUnsaved(const QString& text) override {
        questions << text;
        const Unsaved next = unsavedAnswers.empty() ? Unsaved::discard : unsavedAnswers.front();
        if (!unsavedAnswers.empty()) unsavedAnswers.pop_front();
        return next;
    }
    void error(const QString& text) override { errors << text; }
    void runtimeError(const QString& text) override { runtimeErrors << text; }

private:
    std::optional<QString> answer(const FileDialogSpec& spec) {
        asked.push_back(spec);
        if (whileOpen) whileOpen();
        if (answers.empty()) return std::nullopt;
        const QString next = answers.front();
        answers.pop_front();
        if (next.isEmpty()) return std::nullopt;
        return next;
    }
};

}  // namespace pellum::test
