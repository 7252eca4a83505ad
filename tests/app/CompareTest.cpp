// List, Compare With File: the lines that differ from the file are marked and counted, the
// message view shows a line beside its partner with the bytes that differ marked, the marks follow
// the list as it changes, and the list itself never changes.
#include <QAction>
#include <QPlainTextEdit>

#include "app/MessageView.h"
#include "core/messages/MessageFacts.h"
#include "tests/app/WindowFixture.h"

using namespace pellum;
using namespace pellum::test;

namespace {

// A Roland GS DT1 to 40 `mid` 00 with `data`, its checksum right.
Bytes dt1(std::uint8_t mid, const Bytes& data) {
    Bytes m = joined({{0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, mid, 0x00}, data, {0x00, 0xF7}});
    return checksumFixed(m).value_or(m);
}

// The numbers of the marked lines.
QStringList marked(const ListBox* list) {
    QStringList rows;
    for (int row = 0; row < list->count(); ++row)
        if (list->model()->index(row, 0).data(Qt::BackgroundRole).isValid())
            rows << QString::number(row + 1);
    return rows;
}

// What each mark of a dump covers: a run of hex, then its characters.
QStringList markedBytes(const QPlainTextEdit* dump) {
    QStringList texts;
    for (const auto& mark : dump->extraSelections()) texts << mark.cursor.selectedText();
    return texts;
}

class Compare : public WindowTest {
protected:
    Compare() { start(); }
};

}  // namespace

TEST_F(Compare, WithFileMarksTheChangedLinesAndTheViewTheChangedBytes) {
    const Bytes a = dt1(0x00, {0x01, 0x02}), b = dt1(0x10, {0x03, 0x04, 0x05}),
                c = dt1(0x20, {0x06});
    writeBytes(dir.file("backup.syx"), joined({a, b, c, dt1(0x30, {0x07})}));
    // Reordered, one data byte of b changed (and so its checksum), one message the file lacks.
    openThroughToolBar(joined({c, dt1(0x10, {0x03, 0x44, 0x05}), a, dt1(0x40, {0x08})}));
    const auto revision = form->list().revision();
    const ListBox* list = ui(*form).messageList;

    dialogs.answers.push_back(QString::fromStdString(dir.file("backup.syx")));
    ui(*form).compareAction->trigger();
    EXPECT_EQ(dialogs.asked.back().title, "Compare With File");
    EXPECT_EQ(marked(list), QStringList({"2", "4"}));
    EXPECT_EQ(lineTip(list, 1), "backup.syx の 2 行目と 2 バイト異なります");
    EXPECT_EQ(lineTip(list, 3), "backup.syx にありません");
    EXPECT_EQ(list->lineText(1), "0002 Roland(41H) 13Byte");  // the label whole
    EXPECT_EQ(ui(*form).compareState->text(), "差異 2、欠落 1");
    EXPECT_EQ(form->list().revision(), revision);
    EXPECT_FALSE(form->list().unsaved());

    // Side by side: the changed byte (44H, "D") and the checksum (64H, "d") in both.
    ui(*form).messageList->setCurrentRow(1);
    ui(*form).viewAction->trigger();
    const MessageView* view = ui(*form).messageView;
    EXPECT_TRUE(view->other->isVisibleTo(view));
    EXPECT_EQ(view->otherCaption->text(), "backup.syx の 2 行目");
    EXPECT_EQ(markedBytes(view->bytes), QStringList({"44", "D", "64", "d"}));
    EXPECT_EQ(markedBytes(view->other), QStringList({"04", ".", "24", "$"}));

    // The marks follow the list; ending the comparison takes them away.
    ui(*form).messageList->setCurrentRow(3);
    ui(*form).deleteAction->trigger();
    for (int i = 0; i < 3; ++i) QCoreApplication::processEvents();
    EXPECT_EQ(marked(list), QStringList({"2"}));
    EXPECT_EQ(ui(*form).compareState->text(), "差異 1、欠落 1");
    ui(*form).endCompareAction->trigger();
    EXPECT_TRUE(marked(list).isEmpty());
    EXPECT_FALSE(ui(*form).compareState->isVisibleTo(form.get()));
    EXPECT_FALSE(view->other->isVisibleTo(view));
}
