// Capturing what the instrument sends, and sending stored messages back, one by click or all of
// them paced by the timer.
#include <sys/stat.h>
#include <unistd.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QLabel>
#include <QListView>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QRadioButton>
#include <QSlider>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "app/ElidedLabel.h"
#include "app/MessageView.h"
#include "app/UpDown.h"
#include "core/list/MessageList.h"
#include "device/InputDevice.h"
#include "tests/app/WindowFixture.h"

using namespace pellum;
using namespace pellum::test;

namespace {

Bytes sysex(std::uint8_t vendor, std::uint8_t channelByte, std::size_t length,
            std::uint8_t fill = 0x11) {
    Bytes m(length, fill);
    m[0] = 0xF0;
    m[1] = vendor;
    m[2] = channelByte;
    m.back() = 0xF7;
    return m;
}

// A real modal window over `owner`, open until it has taken the activation from it, as a file
// dialog or a message box does.
void runModalWindow(QWidget* owner) {
    QDialog box(owner);
    QTimer::singleShot(0, &box, [&box] {
        EXPECT_TRUE(QTest::qWaitForWindowActive(&box));
        box.reject();
    });
    box.exec();
}

// A window whose input and output are open on an instrument of the loopback service.
class CaptureSend : public WindowTest {
protected:
    CaptureSend() {
        addSavedSynth();
        start();
        sentBefore = midi.sentMessages(out).size();  // the Identity Request
    }

    void receive(const Bytes& bytes) {
        midi.inject(in, bytes);
        deliver(in);
    }

    void clickLine(int row) { test::clickLine(ui(*form).messageList, row); }

    // Byte 3 of each message sent: the tests fill every message with its own number.
    std::vector<int> sentNumbers() {
        std::vector<int> numbers;
        for (const Bytes& m : sent()) numbers.push_back(m[3]);
        return numbers;
    }
};

}  // namespace

TEST_F(CaptureSend, CapturesAreLabelledCountedAndSyncTheChannel) {
    const Bytes roland = sysex(0x41, 0x13, 11);
    receive(roland);
    receive(sysex(0x44, 0x10, 9));
    receive(sysex(0x7F, 0x00, 8));
    EXPECT_EQ(lines(ui(*form).messageList),
              (QStringList{"0001 Roland(41H) 11Byte", "0002 Casio(44H) 9Byte",
                           "0003 Universal Real Time(7FH) 8Byte"}));
    EXPECT_EQ(form->list().count(), 3);
    EXPECT_EQ(stored(form->list(), 0), roland);
    EXPECT_TRUE(ui(*form).sendAllButton->isEnabled());
    EXPECT_TRUE(ui(*form).deleteButton->isEnabled());

    // The selector follows byte 2's channel, the label beside it too; the box is the user's,
    // so nothing captured goes out or into a file changed.
    for (const std::uint8_t channelByte : {0x13, 0x10, 0x00, 0x1F}) {
        receive(sysex(0x41, channelByte, 6));
        EXPECT_FALSE(ui(*form).overrideBox->isChecked()) << int(channelByte);
        EXPECT_EQ(ui(*form).channelStepper->position(), (channelByte & 0x0F) + 1)
            << int(channelByte);
        EXPECT_EQ(ui(*form).overrideChannel->text(), QString::number((channelByte & 0x0F) + 1));
        EXPECT_TRUE(ui(*form).overrideState->isHidden());
    }

    // A Universal Non-real-time message is not filed, yet moves the selector.
    const int count = form->list().count();
    receive({0xF0, 0x7E, 0x05, 0x06, 0x02, 0x41, 0x10, 0xF7});
    EXPECT_EQ(form->list().count(), count);
    EXPECT_EQ(ui(*form).messageList->count(), count);
    EXPECT_EQ(ui(*form).channelStepper->position(), 6);

    // Too short for a channel byte: filed, nothing read beyond it.
    receive({0xF0, 0xF7});
    EXPECT_EQ(ui(*form).messageList->lineText(ui(*form).messageList->count() - 1),
              QString("%1 2Byte").arg(count + 1, 4, 10, QChar('0')));
    EXPECT_EQ(ui(*form).channelStepper->position(), 6);
    EXPECT_EQ(form->cursor().shape(), Qt::ArrowCursor);

    // Once the user turns the override on, the SysEx tab says so, and the channel stays theirs.
    ui(*form).overrideBox->click();
    EXPECT_FALSE(ui(*form).overrideState->isHidden());
    EXPECT_EQ(ui(*form).overrideState->text(), "CH6 で送信");
    receive(sysex(0x41, 0x13, 6));
    EXPECT_EQ(ui(*form).channelStepper->position(), 6);
}

TEST_F(CaptureSend, WrongChecksumsAreMarkedCountedAndViewedWithoutSending) {
    const Bytes good{0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7};
    Bytes bad = good;
    bad[7] = 0x7E;
    receive(good);
    receive(bad);
    EXPECT_TRUE(lineTip(ui(*form).messageList, 0).isEmpty());
    EXPECT_EQ(lineTip(ui(*form).messageList, 1), "checksum wrong (41H, want 42H)");
    EXPECT_TRUE(ui(*form).checksumState->isVisibleTo(form.get()));

    // F3 shows the current line, which the keyboard or a click would have sent.
    ui(*form).messageList->setCurrentRow(1);
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    QTest::keyClick(ui(*form).messageList, Qt::Key_F3);
    ASSERT_NE(ui(*form).messageView, nullptr);
    EXPECT_TRUE(ui(*form).messageView->isVisible());
    const QString facts = ui(*form).messageView->facts->toPlainText();
    for (const char* part : {"0002 Roland(41H) 11Byte", "DT1 (12H)", "42H", "41H、正しくは 42H"})
        EXPECT_TRUE(facts.contains(part)) << part << "\n" << facts.toStdString();
    EXPECT_TRUE(ui(*form).messageView->bytes->toPlainText().startsWith(
        "00000  F0 41 10 42 12 40 00 7E 00 41 F7"));
    EXPECT_TRUE(sent().empty());

    openThroughToolBar(joined({bad, sysex(0x42, 0x30, 9), bad, good}));
    EXPECT_EQ(ui(*form).checksumState->text(), "サム誤り 2");
    EXPECT_EQ(ui(*form).messageList->lineText(0), "0001 Roland(41H) 11Byte");  // label whole
    clickLine(0);
    QTest::keyClick(ui(*form).messageList, Qt::Key_Delete);
    EXPECT_EQ(ui(*form).checksumState->text(), "サム誤り 1");
    QTest::mouseClick(ui(*form).clearListButton, Qt::LeftButton);
    EXPECT_FALSE(ui(*form).checksumState->isVisibleTo(form.get()));

    // An Identity Reply reads as the Receive tab reads one, a 3-byte maker ID included.
    openThroughToolBar({0xF0, 0x7E, 0x10, 0x06, 0x02, 0x00, 0x20, 0x33, 0x01, 0x00, 0x0A, 0x00,
                        0x01, 0x02, 0x03, 0x04, 0xF7});
    ui(*form).messageList->setCurrentRow(0);
    QTest::keyClick(ui(*form).messageList, Qt::Key_F3);
    EXPECT_TRUE(ui(*form).messageView->facts->toPlainText().endsWith(
        "Global Channel: 17\nVendor Name: Access Music Electronics\nVendor ID: 00 20 33H\n"
        "Machine Name: unknown\nMachine ID: 01H 0AH\nSystem Version: 257\n"
        "Software Version: 515"))
        << ui(*form).messageView->facts->toPlainText().toStdString();
}

TEST_F(CaptureSend, UnsavedCapturesAreAskedAboutBeforeACommandThrowsThemAway) {
    receive(sysex(0x41, 0x10, 6));
    // Cancel keeps the list, whichever command asked; Open never gets to its dialog.
    dialogs.unsavedAnswers.assign(5, Dialogs::Unsaved::cancel);
    ui(*form).newAction->trigger();
    for (QToolButton* b : {ui(*form).clearListButton, ui(*form).openButton, ui(*form).exitButton})
        QTest::mouseClick(b, Qt::LeftButton);
    EXPECT_FALSE(form->close());
    EXPECT_EQ(std::tuple(dialogs.questions.size(), dialogs.asked.size(), form->list().count()),
              std::tuple(5, 0, 1));
    // Save writes the list before New clears it; a list just saved is not asked about.
    dialogs.unsavedAnswers = {Dialogs::Unsaved::save};
    dialogs.answers = {QString::fromStdString(dir.file("kept.syx"))};
    for (int i = 0; i < 2; ++i) ui(*form).newAction->trigger();
    EXPECT_EQ(readBytes(dir.file("kept.syx")), sysex(0x41, 0x10, 6));
    EXPECT_EQ(std::tuple(dialogs.questions.size(), form->list().count()), std::tuple(6, 0));
}

TEST_F(CaptureSend, TheTitleNamesTheListsFileAndSaveAsksOnlyWhenNoFileHoldsTheListWhole) {
    openThroughToolBar(sysex(0x41, 0x10, 6));
    receive(sysex(0x42, 0x10, 7));
    EXPECT_EQ(form->windowTitle(), "in.syx* - Pellum");
    // Save As asks and confirms overwriting; a .mid holds more than its SysEx, so Save then asks
    // rather than cut it down.
    dialogs.answers = {QString::fromStdString(dir.file("as.mid")), {}};
    ui(*form).saveAsAction->trigger();
    EXPECT_EQ(
        std::tuple(dialogs.asked[1].title, dialogs.asked[1].confirmOverwrite, form->windowTitle()),
        std::tuple(QString("Syx File Save"), true, QString("as.mid - Pellum")));
    form->openSyxFile(QString::fromStdString(dir.file("as.mid")));
    ui(*form).saveAction->trigger();
    EXPECT_EQ(dialogs.asked.size(), 3u);
}

TEST_F(CaptureSend, WithSendingOnChoiceOffArrowsBrowseEnterSendsAndDeleteTakesTheKeyboardsLine) {
    openThroughToolBar(joined({sysex(0x41, 0x10, 6, 0), sysex(0x41, 0x10, 6, 1),
                               sysex(0x41, 0x10, 6, 2), sysex(0x41, 0x10, 6, 3)}));
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    ui(*form).sendOnSelectAction->trigger();
    EXPECT_EQ(setting("SEND_ON_SELECT")->data, Bytes{0});
    ui(*form).messageList->setFocus();
    for (const Qt::Key key :
         {Qt::Key_Down, Qt::Key_End, Qt::Key_Up, Qt::Key_Home, Qt::Key_PageDown})
        QTest::keyClick(ui(*form).messageList, key);
    EXPECT_TRUE(sent().empty());
    QTest::keyClick(ui(*form).messageList, Qt::Key_Return);
    QTest::mouseDClick(ui(*form).messageList->viewport(), Qt::LeftButton, {},
                       ui(*form).messageList->lineRect(0).center());
    EXPECT_EQ(sentNumbers(), (std::vector<int>{3, 0}));

    // Del takes the line the keyboard chose; a capture after it takes a number not listed.
    QTest::keyClick(ui(*form).messageList, Qt::Key_Down);
    QTest::keyClick(ui(*form).messageList, Qt::Key_Delete);
    QTest::keyClick(ui(*form).messageList, Qt::Key_F6);  // the sends paused capture
    receive(sysex(0x42, 0x10, 7));
    EXPECT_EQ(lines(ui(*form).messageList),
              (QStringList{"0001 Roland(41H) 6Byte", "0003 Roland(41H) 6Byte",
                           "0004 Roland(41H) 6Byte", "0005 KORG(42H) 7Byte"}));
    start();
    EXPECT_FALSE(ui(*form).sendOnSelectAction->isChecked());
}

TEST_F(CaptureSend, TheTimesChoiceAndSendingAsRecordedAreRemembered) {
    ui(*form).gapAction->trigger();
    ui(*form).asRecordedAction->trigger();
    EXPECT_EQ(setting("LIST_TIMES")->data, Bytes{2});
    EXPECT_FALSE(ui(*form).autoSpeed->isEnabled());
    receive(sysex(0x41, 0x10, 6, 0));
    pumpUntil([] { return false; }, std::chrono::milliseconds(30));
    receive(sysex(0x41, 0x10, 6, 1));
    const QStringList shown = lines(ui(*form).messageList);
    ASSERT_EQ(shown.size(), 2);
    EXPECT_EQ(shown[0], "0001 Roland(41H) 6Byte");  // nothing before it to be apart from
    EXPECT_TRUE(shown[1].startsWith("+0.0") && shown[1].endsWith("0002 Roland(41H) 6Byte"))
        << shown[1].toStdString();
    start();
    EXPECT_TRUE(ui(*form).gapAction->isChecked() && ui(*form).asRecordedAction->isChecked());
    EXPECT_FALSE(ui(*form).manualSpeed->isEnabled());
}

TEST_F(CaptureSend, TheStatusLineShowsTheListDevicesCaptureAndOverrideAndF6Resumes) {
    const auto status = [&] {
        pumpUntil([] { return false; }, std::chrono::milliseconds(20));
        return QStringList{ui(*form).listStatus->text(), ui(*form).deviceStatus->fullText(),
                           ui(*form).captureStatus->text(), ui(*form).overrideStatus->text()};
    };
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    receive(sysex(0x41, 0x10, 6));
    receive(sysex(0x41, 0x10, 10));
    EXPECT_EQ(status(), (QStringList{"2 件  16 バイト", "入力: Synth In  出力: Synth Out",
                                     "キャプチャ中", "CH 上書きなし"}));
    // A send pauses capture and says so; F6 resumes it and lists the dump sent meanwhile.
    clickLine(0);
    ui(*form).overrideBox->click();
    EXPECT_EQ(status().mid(2), (QStringList{"キャプチャ一時停止中", "CH1 で送信"}));
    EXPECT_TRUE(ui(*form).resumeButton->isVisibleTo(form.get()));
    receive(sysex(0x42, 0x10, 7));
    QTest::keyClick(ui(*form).messageList, Qt::Key_F6);
    ASSERT_TRUE(pumpUntil([&] { return ui(*form).messageList->count() == 3; }));
    EXPECT_EQ(std::pair(status()[2], ui(*form).resumeButton->isVisibleTo(form.get())),
              std::pair(QString("キャプチャ中"), false));
    EXPECT_EQ(dialogs.messages.size(), 1);
}

TEST_F(CaptureSend, ARefusedFileLeavesTheListAsItWasAndEveryLineSendsItsOwnMessage) {
    const Bytes loaded = sysex(0x41, 0x10, 11), captured = sysex(0x43, 0x10, 9);
    openThroughToolBar(loaded, "one.syx");
    receive(captured);
    form->show();  // a window takes drops once it is shown
    // Refused: a message over 65,535 bytes, a FIFO, a folder, a file that is not there, and
    // one without read permission where that keeps the tests' user out.
    Bytes tooLong(70000, 0x11);
    tooLong.front() = 0xF0;
    writeBytes(dir.file("long.syx"), tooLong);
    ASSERT_EQ(::mkfifo(dir.file("fifo.syx").c_str(), 0600), 0);
    std::filesystem::create_directory(dir.file("folder.syx"));
    writeBytes(dir.file("locked.syx"), loaded);
    ::chmod(dir.file("locked.syx").c_str(), 0);
    for (const char* name : {"long.syx", "fifo.syx", "folder.syx", "missing.syx", "locked.syx"}) {
        if (::geteuid() == 0 && name == std::string("locked.syx")) continue;
        const QString file = QString::fromStdString(dir.file(name));
        dialogs.answers.push_back(file);
        QTest::mouseClick(ui(*form).openButton, Qt::LeftButton);
        QMimeData mime;
        mime.setUrls({QUrl::fromLocalFile(file)});
        QDragEnterEvent enter({10, 10}, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QDropEvent drop({10, 10}, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(form.get(), &enter);
        QApplication::sendEvent(form.get(), &drop);
        EXPECT_EQ(dialogs.errors.filter(file).size(), 2) << name;
        EXPECT_EQ(lines(ui(*form).messageList),
                  (QStringList{"0001 Roland(41H) 11Byte", "0002 YAMAHA(43H) 9Byte"}));
        EXPECT_EQ(form->windowTitle(), "one.syx* - Pellum");
    }
    // What comes in after them is numbered after the list, and every line sends its own bytes.
    const Bytes later = sysex(0x42, 0x10, 7);
    receive(later);
    ASSERT_EQ(ui(*form).messageList->lineText(2), "0003 KORG(42H) 7Byte");
    for (int row : {2, 0, 1}) clickLine(row);
    EXPECT_EQ(sent(), (std::vector<Bytes>{later, loaded, captured}));
    dialogs.answers.push_back(QString::fromStdString(dir.file("out.syx")));
    ui(*form).saveAsAction->trigger();
    EXPECT_EQ(readBytes(dir.file("out.syx")), joined({loaded, captured, later}));
}

TEST_F(CaptureSend, AFullStoreLeavesEventsPendingAndSaysSo) {
    fillList(MessageList::kCapacity - 1);
    midi.inject(in, sysex(0x41, 0, 5));
    midi.inject(in, sysex(0x42, 0, 5));
    midi.inject(in, sysex(0x43, 0, 5));
    deliver(in);
    // The first announcement files one message; the two that follow find the store full.
    EXPECT_EQ(form->list().count(), 9999);
    EXPECT_EQ(ui(*form).messageList->count(), 9999);
    EXPECT_EQ(ui(*form).messageList->lineText(9998), "9999 Roland(41H) 5Byte");
    EXPECT_EQ(form->inputDevice->pendingCount(), 2);
    EXPECT_EQ(dialogs.messages, QStringList(2, "これ以上記録できません"));

    receive(sysex(0x44, 0, 5));  // every further input event says so again and takes nothing
    EXPECT_EQ(dialogs.messages.size(), 3);
    EXPECT_EQ(form->list().count(), 9999);
    EXPECT_EQ(form->inputDevice->pendingCount(), 3);
}

TEST_F(CaptureSend, AFullStoreShowsOneBoxPerBurst) {
    fillList(MessageList::kCapacity);
    // While the box is open its own loop goes on handling input events: a burst arrives.
    bool burst = true;
    dialogs.whileOpen = [&] {
        if (!std::exchange(burst, false)) return;
        for (std::uint8_t i = 0; i < 5; ++i) receive(sysex(0x41, 0, 5, i));
    };
    receive(sysex(0x42, 0, 5));
    EXPECT_EQ(dialogs.messages, QStringList{"これ以上記録できません"});
    EXPECT_EQ(form->inputDevice->pendingCount(), 6);
    EXPECT_EQ(form->list().count(), 9999);

    // Once it is closed, the next input event says so again.
    receive(sysex(0x42, 0, 5));
    EXPECT_EQ(dialogs.messages.size(), 2);
    EXPECT_EQ(form->cursor().shape(), Qt::ArrowCursor);
}

TEST_F(CaptureSend, WhatArrivesWhileCaptureIsPausedIsListedOnResumeAndReopeningDiscardsIt) {
    receive(sysex(0x41, 0x10, 6));
    clickLine(0);  // sending pauses capture
    EXPECT_FALSE(ui(*form).captureOn->isChecked());
    // Held apart, not left in the input, where 100 would keep every one of the driver's buffers.
    receive(sysex(0x42, 0x10, 7));
    for (int i = 0; i < 100; ++i) receive(sysex(0x43, 0x10, 8));
    EXPECT_EQ(ui(*form).messageList->count(), 1);
    EXPECT_EQ(form->inputDevice->pendingCount(), 0);

    // Switched on again (as choosing a dump request does): listed at once, and said.
    ui(*form).captureOn->setChecked(true);
    ASSERT_TRUE(pumpUntil([&] { return ui(*form).messageList->count() == 102; }));
    EXPECT_EQ(
        lines(ui(*form).messageList).mid(0, 3),
        (QStringList{"0001 Roland(41H) 6Byte", "0002 KORG(42H) 7Byte", "0003 YAMAHA(43H) 8Byte"}));
    EXPECT_EQ(dialogs.messages,
              QStringList{"キャプチャの一時停止中に届いた 101 個のメッセージをリストに加えました"});

    // What was held is gone once the ports are reopened.
    clickLine(0);
    receive(sysex(0x44, 0x10, 9));
    choose(ui(*form).inputList, 1);
    pumpUntil([] { return false; }, std::chrono::milliseconds(50));
    EXPECT_TRUE(ui(*form).captureOn->isChecked());
    EXPECT_EQ(ui(*form).messageList->count(), 102);
}

// Longer than the store keeps: left out whole and told, never filed in pieces; the largest
// message that fits and the one after the long one are kept.
TEST_F(CaptureSend, ASysExLongerThanTheStoreKeepsIsLeftOutWhole) {
    receive(sysex(0x41, 0x11, 65535));
    receive(sysex(0x43, 0x22, 200003, 0x22));
    receive(sysex(0x42, 0x20, 7));
    EXPECT_EQ(lines(ui(*form).messageList),
              (QStringList{"0001 Roland(41H) 65535Byte", "0002 KORG(42H) 7Byte"}));
    EXPECT_EQ(
        dialogs.messages,
        QStringList{QStringLiteral("65535 バイトを超えるメッセージを受信しました。記録しません")});
}

TEST_F(CaptureSend, ClickSendAppliesTheOverrideToTheCopyOnly) {
    receive(sysex(0x41, 0x10, 11));
    receive(sysex(0x42, 0x20, 7));
    ui(*form).overrideBox->setChecked(true);
    ui(*form).channelStepper->setPosition(3);
    ui(*form).captureOn->setChecked(true);
    clickLine(0);
    clickLine(0);  // the same line again sends again
    ASSERT_EQ(sent().size(), 2u);
    EXPECT_EQ(sent()[0], sysex(0x41, 0x12, 11));
    EXPECT_EQ(form->list().message(0)[2], 0x10);
    EXPECT_FALSE(ui(*form).captureOn->isChecked());

    // The keyboard selects and sends too.
    ui(*form).messageList->setFocus();
    QTest::keyClick(ui(*form).messageList, Qt::Key_Down);
    ASSERT_EQ(sent().size(), 3u);
    EXPECT_EQ(sent()[2], sysex(0x42, 0x22, 7));

    // Nothing leaves while the sending switch is off.
    ui(*form).sendOn->setChecked(false);
    clickLine(0);
    EXPECT_EQ(sent().size(), 3u);
}

TEST_F(CaptureSend, OnlyTheUsersChoiceOfALineSendsIt) {
    for (std::uint8_t i = 0; i < 3; ++i) receive(sysex(0x41, 0x10, 6, i));
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));

    // Tabbing into the list while no line is chosen sends nothing.
    ui(*form).tabs->tabBar()->setFocus(Qt::TabFocusReason);
    for (int i = 0; i < 20 && !ui(*form).messageList->hasFocus(); ++i)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    ASSERT_TRUE(ui(*form).messageList->hasFocus());

    // Nor does the window getting the activation back from a modal dialog, cancelled or with a
    // file loaded into the list.
    dialogs.whileOpen = [&] { runModalWindow(form.get()); };
    const std::string path = dir.file("three.syx");
    writeBytes(path,
               joined({sysex(0x41, 0x10, 6, 0), sysex(0x41, 0x10, 6, 1), sysex(0x41, 0x10, 6, 2)}));
    for (const QString& answer : {QString(), QString::fromStdString(path)}) {
        dialogs.answers.push_back(answer);
        QTest::keyClick(ui(*form).messageList, Qt::Key_O, Qt::ControlModifier);
        if (!form->isActiveWindow()) form->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
        QCoreApplication::processEvents();
        ASSERT_TRUE(ui(*form).messageList->hasFocus());
    }
    dialogs.whileOpen = nullptr;
    ASSERT_EQ(dialogs.asked.size(), 2u);
    EXPECT_EQ(ui(*form).messageList->count(), 3);

    // Nor a right click, which selects nothing either.
    QTest::mouseClick(ui(*form).messageList->viewport(), Qt::RightButton, {},
                      ui(*form).messageList->lineRect(2).center());
    EXPECT_TRUE(ui(*form).messageList->selectionModel()->selectedIndexes().isEmpty());
    EXPECT_TRUE(sent().empty());
    EXPECT_TRUE(ui(*form).captureOn->isChecked());

    // The first arrow key chooses line 0. A left click sends, on the line already selected
    // too; so does each keyboard move.
    QTest::keyClick(ui(*form).messageList, Qt::Key_Down);
    clickLine(1);
    clickLine(1);
    for (const Qt::Key key : {Qt::Key_Down, Qt::Key_Down, Qt::Key_Home, Qt::Key_End, Qt::Key_PageUp,
                              Qt::Key_PageDown, Qt::Key_Up})
        QTest::keyClick(ui(*form).messageList, key);
    EXPECT_EQ(sentNumbers(), (std::vector<int>{0, 1, 1, 2, 0, 2, 0, 2, 1}));
    EXPECT_FALSE(ui(*form).captureOn->isChecked());

    // Once a line is chosen, a cancelled Ctrl+O sends nothing either.
    dialogs.whileOpen = [&] { runModalWindow(form.get()); };
    QTest::keyClick(ui(*form).messageList, Qt::Key_O, Qt::ControlModifier);
    dialogs.whileOpen = nullptr;
    ASSERT_EQ(dialogs.asked.size(), 3u);
    if (!form->isActiveWindow()) form->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    QCoreApplication::processEvents();
    EXPECT_EQ(sent().size(), 9u);
}

TEST_F(CaptureSend, AClickAfterADragAcrossLinesSendsOnce) {
    for (std::uint8_t i = 0; i < 3; ++i) receive(sysex(0x41, 0x10, 6, i));
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    QWidget* view = ui(*form).messageList->viewport();
    const auto at = [&](int row) { return ui(*form).messageList->lineRect(row).center(); };
    QTest::mousePress(view, Qt::LeftButton, {}, at(0));
    QTest::mouseMove(view, at(1));
    QTest::mouseMove(view, at(2));
    QTest::mouseRelease(view, Qt::LeftButton, {}, at(2));
    // A drag takes lines to move, and chooses none.
    EXPECT_EQ(sentNumbers(), std::vector<int>{});

    clickLine(2);
    clickLine(0);
    EXPECT_EQ(sentNumbers(), (std::vector<int>{2, 0}));
}

TEST_F(CaptureSend, ListDeleteLeavesNoLineSelected) {
    for (std::uint8_t i = 0; i < 4; ++i) receive(sysex(0x41, 0x10, 6, i));
    // A busy machine may hand the input over later than the deliveries wait.
    ASSERT_TRUE(pumpUntil([&] { return ui(*form).messageList->count() == 4; }));
    clickLine(1);
    sentBefore = midi.sentMessages(out).size();
    QTest::mouseClick(ui(*form).deleteButton, Qt::LeftButton);
    EXPECT_EQ(lines(ui(*form).messageList),
              (QStringList{"0001 Roland(41H) 6Byte", "0003 Roland(41H) 6Byte",
                           "0004 Roland(41H) 6Byte"}));
    EXPECT_TRUE(ui(*form).messageList->selectionModel()->selectedIndexes().isEmpty());

    // A second press finds nothing to delete, and a run starts with line 0.
    QTest::mouseClick(ui(*form).deleteButton, Qt::LeftButton);
    EXPECT_EQ(ui(*form).messageList->count(), 3);
    ui(*form).autoSpeed->click();
    QTest::mouseClick(ui(*form).sendAllButton, Qt::LeftButton);
    ASSERT_TRUE(pumpUntil([&] { return !ui(*form).sendTimer->isActive(); }));
    EXPECT_EQ(sentNumbers(), (std::vector<int>{0, 2, 3}));  // each line sends its own message

    // The last line gone, Delete and Send All are off.
    for (int i = 0; i < 3; ++i) {
        clickLine(0);
        QTest::mouseClick(ui(*form).deleteButton, Qt::LeftButton);
    }
    EXPECT_EQ(std::pair(ui(*form).deleteButton->isEnabled(), ui(*form).sendAllButton->isEnabled()),
              std::pair(false, false));
}

TEST_F(CaptureSend, AutoSendRunsThroughTheListInOrder) {
    // Channel 1 in every message, so capture leaves the override off.
    const Bytes a = sysex(0x41, 0x10, 11, 0x01), b = sysex(0x41, 0x10, 300, 0x02),
                c = sysex(0x41, 0x10, 600, 0x03);
    for (const Bytes& m : {a, b, c}) receive(m);
    ui(*form).autoSpeed->click();
    EXPECT_FALSE(ui(*form).sendSpeed->isEnabled());
    ui(*form).tabs->setCurrentIndex(3);

    std::vector<int> meter;
    QStringList shown;  // while the bar says anything
    QObject::connect(ui(*form).listFill, &QProgressBar::valueChanged, [&](int v) {
        meter.push_back(v);
        if (ui(*form).listFill->isTextVisible()) shown << ui(*form).listFill->text();
    });
    QTest::mouseClick(ui(*form).sendAllButton, Qt::LeftButton);
    EXPECT_EQ(ui(*form).tabs->currentIndex(), 0);
    EXPECT_TRUE(ui(*form).stopButton->isEnabled());
    EXPECT_FALSE(ui(*form).sendAllButton->isEnabled());
    EXPECT_EQ(ui(*form).listFill->maximum(), 3);
    EXPECT_EQ(ui(*form).sendTimer->interval(), 11 / 256 + 1);
    EXPECT_TRUE(sent().empty());  // the first goes at the first tick

    ASSERT_TRUE(pumpUntil([&] { return !ui(*form).sendTimer->isActive(); }));
    EXPECT_EQ(sent(), (std::vector<Bytes>{a, b, c}));
    EXPECT_EQ(meter, (std::vector<int>{1, 2, 3, 0}));  // empty once over
    EXPECT_EQ(shown, (QStringList{"1 / 3", "2 / 3", "3 / 3"}));
    EXPECT_TRUE(ui(*form).sendAllButton->isEnabled());
    EXPECT_FALSE(ui(*form).stopButton->isEnabled());
    EXPECT_TRUE(ui(*form).deleteButton->isEnabled());
    EXPECT_EQ(ui(*form).messageList->currentRow(),
              2);  // selections made by the run sent nothing extra

    // From the last line the run starts again at line 0; from the second it sends 1 and 2.
    sentBefore = midi.sentMessages(out).size();
    QTest::mouseClick(ui(*form).sendAllButton, Qt::LeftButton);
    ASSERT_TRUE(pumpUntil([&] { return !ui(*form).sendTimer->isActive(); }));
    EXPECT_EQ(sent(), (std::vector<Bytes>{a, b, c}));

    clickLine(1);
    sentBefore = midi.sentMessages(out).size();
    meter.clear();
    QTest::mouseClick(ui(*form).sendAllButton, Qt::LeftButton);
    ASSERT_TRUE(pumpUntil([&] { return !ui(*form).sendTimer->isActive(); }));
    EXPECT_EQ(sent(), (std::vector<Bytes>{b, c}));
    EXPECT_EQ(meter, (std::vector<int>{2, 3, 0}));
}

TEST_F(CaptureSend, StopAndStartResumeWithTheLineSentLast) {
    for (std::uint8_t i = 0; i < 10; ++i) receive(sysex(0x41, 0x00, 6, i));
    ui(*form).manualSpeed->click();
    ui(*form).sendSpeed->setValue(9);
    QTest::mouseClick(ui(*form).sendAllButton, Qt::LeftButton);
    ASSERT_TRUE(pumpUntil([&] { return sent().size() == 5; }));
    QTest::mouseClick(ui(*form).stopButton, Qt::LeftButton);
    EXPECT_FALSE(ui(*form).sendTimer->isActive());
    EXPECT_TRUE(ui(*form).sendAllButton->isEnabled());
    EXPECT_FALSE(ui(*form).stopButton->isEnabled());
    EXPECT_EQ(ui(*form).messageList->currentRow(), 4);

    QTest::mouseClick(ui(*form).sendAllButton, Qt::LeftButton);
    ASSERT_TRUE(pumpUntil([&] { return !ui(*form).sendTimer->isActive(); }));
    const auto all = sent();
    ASSERT_EQ(all.size(), 11u);
    for (std::size_t i = 0; i < 5; ++i) EXPECT_EQ(all[i][3], i);
    for (std::size_t i = 5; i < 11; ++i) EXPECT_EQ(all[i][3], i - 1);  // line 4 again, then on
}

TEST_F(CaptureSend, LaterWaitsFollowTheNextMessageAndManualNeverGoesFaster) {
    // Loaded, not captured: the box is unchecked and the selector enabled, as at start.
    openThroughToolBar(joined({sysex(0x41, 0x10, 11, 0), sysex(0x41, 0x10, 300, 1),
                               sysex(0x41, 0x10, 600, 2), sysex(0x41, 0x10, 1000, 3)}));
    ASSERT_EQ(ui(*form).messageList->count(), 4);
    ASSERT_TRUE(ui(*form).channelStepper->isEnabled());

    // The wait armed by each tick that sent a line (an early tick sends nothing).
    std::vector<int> waits;
    int meter = -1;
    QObject::connect(ui(*form).sendTimer, &QTimer::timeout, form.get(), [&] {
        if (ui(*form).listFill->value() == meter || !ui(*form).listFill->isTextVisible()) return;
        meter = ui(*form).listFill->value();
        waits.push_back(ui(*form).sendTimer->interval());
    });
    ui(*form).sendSpeed->setValue(8);  // 200 ms, longer than any of these messages needs
    const struct {
        QRadioButton* mode;
        std::vector<int> waits;
    } cases[] = {{ui(*form).manualSpeed, {200, 200, 200}},
                 {ui(*form).autoSpeed, {300 / 256 + 1, 600 / 256 + 1, 1000 / 256 + 1}}};
    for (const auto& [mode, expected] : cases) {
        SCOPED_TRACE(mode->text().toStdString());
        mode->click();
        waits.clear();
        sentBefore = midi.sentMessages(out).size();
        QTest::mouseClick(ui(*form).sendAllButton, Qt::LeftButton);
        ASSERT_TRUE(pumpUntil([&] { return !ui(*form).sendTimer->isActive(); }));
        EXPECT_EQ(sentNumbers(), (std::vector<int>{0, 1, 2, 3}));
        ASSERT_EQ(waits.size(), 4u);
        EXPECT_EQ(std::vector<int>(waits.begin(), waits.begin() + 3), expected);
        // A tick finds the override off and brings the selector in line.
        EXPECT_FALSE(ui(*form).channelStepper->isEnabled());
    }
}

TEST_F(CaptureSend, TheFirstWaitFollowsThePacingChoice) {
    receive(sysex(0x41, 0x10, 700));
    struct Case {
        bool automatic;
        int speed;
        int interval;
    };
    for (const Case& c : {Case{false, 1, 900}, Case{false, 5, 500}, Case{false, 9, 100},
                          Case{true, 1, 700 / 256 + 1}}) {
        (c.automatic ? ui(*form).autoSpeed : ui(*form).manualSpeed)->click();
        ui(*form).sendSpeed->setValue(c.speed);
        QTest::mouseClick(ui(*form).sendAllButton, Qt::LeftButton);
        EXPECT_EQ(ui(*form).sendTimer->interval(), c.interval);
        QTest::mouseClick(ui(*form).stopButton, Qt::LeftButton);
    }
    EXPECT_TRUE(sent().empty());

    // Over an empty list there is no run to start, from the button or the menu.
    ui(*form).newAction->trigger();
    QTest::mouseClick(ui(*form).sendAllButton, Qt::LeftButton);
    ui(*form).sendAllAction->trigger();
    EXPECT_FALSE(ui(*form).sendTimer->isActive());
    EXPECT_TRUE(sent().empty());
    EXPECT_FALSE(ui(*form).sendAllButton->isEnabled());
}

TEST_F(CaptureSend, ConfigControlsSteerEachOther) {
    ui(*form).channelStepper->click(UpDown::Button::Up);
    ui(*form).channelStepper->click(UpDown::Button::Up);
    EXPECT_EQ(ui(*form).overrideChannel->text(), "3");
    // The selector starts enabled under an unchecked box; each click of the box sets it.
    for (const bool on : {true, false, true}) {
        ui(*form).overrideBox->click();
        EXPECT_EQ(ui(*form).channelStepper->isEnabled(), on);
    }
    // The pacing controls follow the choice, show Manual's wait and are remembered.
    for (const bool automatic : {true, false}) {
        (automatic ? ui(*form).autoSpeed : ui(*form).manualSpeed)->click();
        for (QWidget* w :
             std::initializer_list<QWidget*>{ui(*form).lowCaption, ui(*form).highCaption,
                                             ui(*form).sendSpeed, ui(*form).manualWait})
            EXPECT_EQ(w->isEnabled(), !automatic);
        EXPECT_EQ(setting("SEND_AUTO")->data, Bytes{automatic});
    }
    ui(*form).sendSpeed->setValue(2);
    EXPECT_EQ(ui(*form).manualWait->text(), "800 ms");
    EXPECT_EQ(setting("SEND_SPEED")->data, Bytes{2});
}

TEST_F(CaptureSend, AMidiFileOpensListsInPlayOrderSendsAndSaves) {
    // Two tracks: a message in two packets at 0 ticks, another at 5, and an escape.
    const std::string song(
        "MThd\0\0\0\6\0\1\0\2\0\x60MTrk\0\0\0\x0F\0\xF0\3\x43\x10\x4C\n\xF7\2\0\xF7"
        "\0\xFF\x2F\0MTrk\0\0\0\n\5\xF0\3\x41\x10\xF7\0\xF7\1\xF8",
        55);
    writeBytes(dir.file("song.MID"), Bytes(song.begin(), song.end()));
    const QStringList listed{"0001 YAMAHA(43H) 6Byte", "0002 Roland(41H) 4Byte"};
    for (const char* file : {"song.MID", "saved.mid"}) {  // saved with the override on channel 3
        dialogs.answers.push_back(QString::fromStdString(dir.file(file)));
        QTest::mouseClick(ui(*form).openButton, Qt::LeftButton);
        EXPECT_EQ(lines(ui(*form).messageList), listed);
        ui(*form).overrideBox->setChecked(false);
        ui(*form).autoSpeed->click();
        QTest::mouseClick(ui(*form).sendAllButton, Qt::LeftButton);
        ASSERT_TRUE(pumpUntil([&] { return !ui(*form).sendTimer->isActive(); }));
        ui(*form).overrideBox->setChecked(true);
        ui(*form).channelStepper->setPosition(3);
        dialogs.answers.push_back(QString::fromStdString(dir.file("saved.mid")));
        ui(*form).saveAction->trigger();
    }
    EXPECT_EQ(dialogs.messages, QStringList{QString::fromStdString(dir.file("song.MID")) +
                                            ": F7 エスケープイベント 1 個 (リアルタイムまたは MTC "
                                            "のバイトで SysEx ではありません) は一覧に入りません"});
    EXPECT_EQ(sent(), (std::vector<Bytes>{{0xF0, 0x43, 0x10, 0x4C, 0x00, 0xF7},
                                          {0xF0, 0x41, 0x10, 0xF7},
                                          {0xF0, 0x43, 0x12, 0x4C, 0x00, 0xF7},
                                          {0xF0, 0x41, 0x12, 0xF7}}));
}
