// The main window over the real MIDI service and a JACK server, with the peer instrument at the
// other end: choosing it, asking it who it is, asking it for a dump from the USER tab, capturing
// its dump and sending the list back.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTextCursor>
#include <QTimer>
#include <QToolButton>
#include <memory>
#include <thread>

#include "app/ListBox.h"
#include "app/MainWindow.h"
#include "app/MessageView.h"
#include "app/UpDown.h"
#include "core/files/MidiFile.h"
#include "core/list/MessageList.h"
#include "device/InputDevice.h"
#include "platform/registry/RegFile.h"
#include "tests/app/EventLoop.h"
#include "tests/app/RecordingDialogs.h"
#include "tests/app/WindowFixture.h"
#include "tests/integration/JackFixture.h"
#include "tests/support/TempFiles.h"

namespace pellum {
namespace {

using namespace std::chrono_literals;
using test::Bytes;

const Bytes kIdentityRequest = {0xF0, 0x7E, 0x7F, 0x06, 0x01, 0xF7};

int entryOf(const QComboBox* combo, const std::string& name) {
    return combo->findText(QString::fromStdString(name));
}

// A left click in the middle of `widget`, as the mouse delivers it.
void click(QWidget* widget) {
    const QPointF centre = QRectF(widget->rect()).center();
    const QPointF global = widget->mapToGlobal(centre);
    QMouseEvent press(QEvent::MouseButtonPress, centre, global, Qt::LeftButton, Qt::LeftButton, {});
    QMouseEvent release(QEvent::MouseButtonRelease, centre, global, Qt::LeftButton, {}, {});
    QApplication::sendEvent(widget, &press);
    QApplication::sendEvent(widget, &release);
}

using test::choose;
using test::pumpUntil;

class WindowOverJack : public ::testing::Test,
                       protected test::WithTempDir,
                       protected test::WindowHarness {
protected:
    WindowOverJack() : WindowHarness(dir.path()) {}
    void TearDown() override {
        if (service) test::receiverHeldUp(service->inputGaps() + service->possibleInputGaps());
    }

    // Picks the peer in both lists, as the user would.
    void choosePeer() {
        const int in = entryOf(ui(*form).inputList, peer.outPort());
        const int out = entryOf(ui(*form).outputList, peer.inPort());
        ASSERT_GT(in, 0) << "the peer's output is not in the input list";
        ASSERT_GT(out, 0) << "the peer's input is not in the output list";
        choose(ui(*form).outputList, out);
        choose(ui(*form).inputList, in);
    }

    // The window started with the peer chosen, the identity requests the choice sent taken (once
    // the peer's reply is shown, with `afterReply`).
    void startWithPeer(bool afterReply = false) {
        startOnSystem();
        choosePeer();
        if (afterReply) {
            ASSERT_TRUE(pumpUntil([&] { return ui(*form).vendorId->text() == "7DH"; }, 10s))
                << "no reply shown";
        }
        while (peer.nextReceived(1s)) {
        }
    }

    // One full-rate capture of `sizes` in events cut by `cut`, checked whole.
    void fullRateCapture(const std::string& cut, const std::vector<std::size_t>& sizes);

    test::ServerWatch watch;
    test::JackPeer peer;
};

TEST_F(WindowOverJack, ChoosingThePeerAsksWhoItIsAndSurvivesARestart) {
    startOnSystem();
    choosePeer();
    // Each choice reopens the input and asks again; the last request is the input's.
    std::optional<Bytes> received;
    while ((received = peer.nextReceived(2s))) EXPECT_EQ(*received, kIdentityRequest);
    EXPECT_TRUE(dialogs.errors.isEmpty());

    const auto key = registry.openOrCreateKey(MainWindow::kRegistryKey);
    const auto in = key->read("MIDI_IN");
    const auto out = key->read("MIDI_OUT");
    ASSERT_TRUE(in && out);
    EXPECT_EQ(in->type, REG_BINARY);
    EXPECT_EQ(in->data, Bytes{static_cast<std::uint8_t>(ui(*form).inputList->currentIndex())});
    EXPECT_EQ(out->data, Bytes{static_cast<std::uint8_t>(ui(*form).outputList->currentIndex())});
    EXPECT_EQ(key->read("CFG_FILE")->type, REG_SZ);

    // A restart opens the same ports and asks again.
    startOnSystem();
    EXPECT_EQ(ui(*form).inputList->currentText().toStdString(), peer.outPort());
    EXPECT_EQ(ui(*form).outputList->currentText().toStdString(), peer.inPort());
    EXPECT_EQ(peer.nextReceived(10s), kIdentityRequest);
    EXPECT_TRUE(dialogs.errors.isEmpty());
}

TEST_F(WindowOverJack, ThePeerSaysWhoItIsAndAnswersADumpRequestFromTheUserTab) {
    startWithPeer(true);
    EXPECT_EQ(identityShown(), (QStringList{"全機器", "Non-Commercial", "7DH", "unknown",
                                            "1A12H D6H", "386", "644"}));
    EXPECT_EQ(ui(*form).messageList->count(), 0);

    // The peer answers the next request with three messages; its EMITTED line says it has the
    // command before the request can reach it.
    peer.process().writeLine("answer 3 300");
    peer.process().writeLine("emit 0 0");
    std::optional<std::string> line;
    while ((line = peer.process().readLine(10s)) && *line != "EMITTED 0") {
    }
    ASSERT_TRUE(line) << "the peer did not take the commands";

    const std::string cfg = dir.file("peer.cfg");
    const std::string text = "peer requests\r\nNO\r\n$7D\r\n$10\r\n$20\r\n?All\r\n1\r\n2\r\n";
    test::writeText(cfg, text);
    form->show();
    dialogs.answers.push_back(QString::fromStdString(cfg));
    ui(*form).tabs->setCurrentWidget(ui(*form).requestTab);
    click(ui(*form).openRequestButton);
    // The reply's device ID 7F moved only the selector: the request goes out as the file has it.
    ASSERT_EQ(ui(*form).requestBytes->text(), "  F0 7D 10 20 01 02 F7");
    click(ui(*form).sendRequestButton);
    EXPECT_EQ(peer.nextReceived(10s), Bytes({0xF0, 0x7D, 0x10, 0x20, 0x01, 0x02, 0xF7}));

    ASSERT_TRUE(pumpUntil([&] { return ui(*form).messageList->count() == 3; }, 20s))
        << ui(*form).messageList->count() << " of 3 captured";
    for (int k = 0; k < 3; ++k)
        EXPECT_TRUE(test::stored(form->list(), k) == test::patternMessage(k, 300)) << k;
    EXPECT_TRUE(dialogs.errors.isEmpty());
}

TEST_F(WindowOverJack, ADumpIsCapturedWholeAndSentBackInOrder) {
    constexpr std::size_t kCount = 150;
    constexpr std::size_t kSize = 1024;
    startWithPeer();

    peer.process().writeLine("emit " + std::to_string(kCount) + " " + std::to_string(kSize));
    ASSERT_TRUE(
        pumpUntil([&] { return ui(*form).messageList->count() >= static_cast<int>(kCount); }, 30s))
        << ui(*form).messageList->count() << " of " << kCount << " captured";
    ASSERT_EQ(form->list().count(), static_cast<int>(kCount));
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));

    // Saved by Ctrl+S, the file holds exactly what the peer sent, though its device numbers
    // are 0 and 1; opened again by Ctrl+O and saved elsewhere (Ctrl+Shift+S), it stays the same.
    const Bytes expected = test::patternStream(kCount, kSize);
    const auto withFile = [&](const std::string& name, Qt::Key key,
                              Qt::KeyboardModifiers keys = Qt::ControlModifier) {
        dialogs.answers.push_back(QString::fromStdString(dir.file(name)));
        QTest::keyClick(form.get(), key, keys);
        return test::readBytes(dir.file(name));
    };
    const auto saveAs = Qt::ControlModifier | Qt::ShiftModifier;
    EXPECT_EQ(withFile("dump.syx", Qt::Key_S), expected);
    withFile("dump.syx", Qt::Key_O);
    EXPECT_EQ(withFile("again.syx", Qt::Key_S, saveAs), expected);

    // Sent back with the auto-send run (F5), it reaches the peer in order, byte for byte.
    ui(*form).autoSpeed->click();
    QTest::keyClick(form.get(), Qt::Key_F5);
    ASSERT_TRUE(pumpUntil([&] { return !ui(*form).sendTimer->isActive(); }, 60s));
    for (std::size_t k = 0; k < kCount; ++k) {
        const auto got = peer.nextReceived(10s);
        ASSERT_TRUE(got) << "message " << k << " did not arrive";
        ASSERT_EQ(*got, test::patternMessage(k, kSize))
            << "message " << k << "; the peer missed " << peer.missedCycles() << " cycles";
    }

    // The user turns the override on at channel 3: byte 2 of what is saved and sent takes it.
    ui(*form).tabs->setCurrentWidget(ui(*form).configTab);
    click(ui(*form).overrideBox);
    // Up from 2, where the last message's 01H put it.
    ui(*form).channelStepper->click(UpDown::Button::Up);
    Bytes rewritten = expected;
    for (std::size_t k = 0; k < kCount; ++k) rewritten[k * kSize + 2] = 0x02;
    EXPECT_EQ(withFile("channel3.syx", Qt::Key_S, saveAs), rewritten);
    test::clickLine(ui(*form).messageList, 5);
    EXPECT_EQ(peer.nextReceived(10s), Bytes(&rewritten[5 * kSize], &rewritten[6 * kSize]));
}

// Loaded from a file and sent by an auto-send run: messages beyond what one event or one
// cycle carries on either server arrive whole and in order.
TEST_F(WindowOverJack, AutoSendDeliversMessagesOfEverySizeWhole) {
    // The reply moves the channel override; it must have come before the override goes off.
    startWithPeer(true);
    std::vector<std::size_t> fortyAndBig(40, 1024);
    fortyAndBig.push_back(65535);
    for (const auto& sizes : {fortyAndBig, std::vector<std::size_t>{32735, 32736, 40000, 65535}}) {
        SCOPED_TRACE(std::to_string(sizes.size()) + " messages on " + test::serverKind());
        const Bytes file = test::patternStream(sizes);
        test::writeBytes(dir.file("out.syx"), file);
        form->openSyxFile(QString::fromStdString(dir.file("out.syx")));
        ASSERT_EQ(ui(*form).messageList->count(), static_cast<int>(sizes.size()));
        ui(*form).overrideBox->setChecked(false);
        ui(*form).autoSpeed->click();
        click(ui(*form).sendAllButton);
        ASSERT_TRUE(pumpUntil([&] { return !ui(*form).sendTimer->isActive(); }, 60s));
        for (std::size_t k = 0; k < sizes.size(); ++k) {
            const auto got = peer.nextReceived(10s);
            ASSERT_TRUE(got) << "message " << k << " did not arrive";
            ASSERT_TRUE(*got == test::patternMessage(k, sizes[k]))
                << "message " << k << ": " << got->size() << " bytes, " << int((*got)[2]);
        }
        EXPECT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join("\n").toStdString();
    }
}

// Manual pacing holds between every two messages of a run, as the instrument sees them arrive.
TEST_F(WindowOverJack, ManualPacingHoldsBetweenEveryTwoMessagesAsTheyArrive) {
    startWithPeer(true);
    test::writeBytes(dir.file("five.syx"), test::patternStream(5, 100));
    form->openSyxFile(QString::fromStdString(dir.file("five.syx")));
    ui(*form).overrideBox->setChecked(false);
    ui(*form).manualSpeed->click();
    ui(*form).sendSpeed->setValue(8);
    ASSERT_EQ(ui(*form).manualWait->text(), "200 ms");
    click(ui(*form).sendAllButton);
    ASSERT_TRUE(pumpUntil([&] { return !ui(*form).sendTimer->isActive(); }, 20s));
    test::expectPacedArrivals(peer, 5, 100, 200);

    // Behind a cable a 1000-byte message takes at least (1000 - 256) / 3125 s to leave (the
    // port's start allowance is 256 bytes), and the wait counts from its end.
    test::JackPeer cable("physical");
    ASSERT_TRUE(pumpUntil([&] { return entryOf(ui(*form).outputList, cable.inPort()) > 0; }, 10s));
    choose(ui(*form).outputList, entryOf(ui(*form).outputList, cable.inPort()));
    test::writeBytes(dir.file("three.syx"), test::patternStream(3, 1000));
    form->openSyxFile(QString::fromStdString(dir.file("three.syx")));
    while (cable.nextReceived(1s)) {  // the Identity Request the choice sent
    }
    click(ui(*form).sendAllButton);
    ASSERT_TRUE(pumpUntil([&] { return !ui(*form).sendTimer->isActive(); }, 20s));
    test::expectPacedArrivals(cable, 3, 1000, 200 + (1000 - 256) / 3.125);
}

// The peer fills every cycle of its port, in events that cut the messages anywhere, while the
// window is busy: first stalled, as by a long repaint, then inside a modal box's own loop.
// Every message is kept whole and in order.
TEST_F(WindowOverJack, AFullRateDumpIsCapturedWholeWhileTheWindowIsBusy) {
    startWithPeer();
    struct Case {
        std::string cut;
        std::vector<std::size_t> sizes;
    };
    std::vector<std::size_t> kibs(1000, 1024);
    std::vector<std::size_t> bigFirst = kibs;
    bigFirst.insert(bigFirst.begin(), 65535);
    const Case cases[] = {
        {"1024", kibs}, {"random:1:4096:3", kibs}, {"random:1:32720:9", bigFirst}};
    for (const Case& c : cases) {
        SCOPED_TRACE("events of " + c.cut + " bytes");
        fullRateCapture(c.cut, c.sizes);
    }
}

void WindowOverJack::fullRateCapture(const std::string& cut,
                                     const std::vector<std::size_t>& sizes) {
    ui(*form).newAction->trigger();
    dialogs.messages.clear();
    const std::uint64_t droppedBefore = service->droppedInputBytes();
    const Bytes stream = test::patternStream(sizes);
    test::writeBytes(dir.file("dump.syx"), stream);
    peer.play(dir.file("dump.syx"), cut, 0);
    std::this_thread::sleep_for(300ms);
    int boxes = 0;
    dialogs.whileOpen = [&] {
        ++boxes;
        pumpUntil([&] { return form->list().count() >= 600; }, 20s);
    };
    // A box opens on the window's own loop while the dump goes on arriving.
    QTimer::singleShot(0, form.get(), [&] { dialogs.message("busy"); });
    const int count = static_cast<int>(sizes.size());
    const bool whole = pumpUntil([&] { return form->list().count() >= count; }, 30s);
    dialogs.whileOpen = nullptr;
    EXPECT_EQ(peer.waitPlayed(10s), stream.size());
    EXPECT_TRUE(whole) << form->list().count() << " of " << count << " captured";
    EXPECT_EQ(boxes, 1);
    EXPECT_EQ(service->droppedInputBytes(), droppedBefore);
    EXPECT_EQ(form->list().count(), count);
    for (int k = 0; k < std::min(count, form->list().count()); ++k) {
        if (test::stored(form->list(), k) != test::patternMessage(k, sizes[k])) {
            ADD_FAILURE() << "message " << k;
            break;
        }
    }
    EXPECT_EQ(dialogs.messages, QStringList{"busy"});
}

// Filled exactly: the store refuses the message after the 9999th with its notice, and that
// message waits in the input rather than being lost.
TEST_F(WindowOverJack, TheStoreFillsExactlyAndTheNextMessageIsRefusedNotLost) {
    startWithPeer();
    const Bytes stream = test::patternStream(MessageList::kCapacity + 1, 100);
    test::writeBytes(dir.file("dump.syx"), stream);
    peer.play(dir.file("dump.syx"), "1000", 0);
    ASSERT_TRUE(pumpUntil([&] { return !dialogs.messages.isEmpty(); }, 60s))
        << form->list().count() << " captured, no notice";
    EXPECT_EQ(dialogs.messages.front(), "これ以上記録できません");
    EXPECT_EQ(dialogs.messages.count("これ以上記録できません"), dialogs.messages.size());
    EXPECT_EQ(form->list().count(), MessageList::kCapacity);
    ASSERT_EQ(ui(*form).messageList->count(), MessageList::kCapacity);
    EXPECT_EQ(ui(*form).messageList->lineText(MessageList::kCapacity - 1).left(4), "9999");
    EXPECT_EQ(form->inputDevice->pendingCount(), 1);
    EXPECT_EQ(peer.waitPlayed(10s), stream.size());
    EXPECT_EQ(service->droppedInputBytes(), 0u);
    EXPECT_TRUE(test::stored(form->list(), MessageList::kCapacity - 1) ==
                test::patternMessage(MessageList::kCapacity - 1, 100));

    // Clear lists what waited, and the next dump is captured.
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    QTest::keyClick(form.get(), Qt::Key_L, Qt::ControlModifier);
    peer.process().writeLine("emit 100 50");
    EXPECT_TRUE(pumpUntil([&] { return form->list().count() == 101; }, 20s))
        << form->list().count();
}

// The peer dumps three messages on channel 8; the user deletes, sends, saves, runs, stops and
// steers with the mouse and the keys, and the peer gets what the lines say.
TEST_F(WindowOverJack, WhatALineShowsIsWhatGoesOutByMouseAndKeys) {
    startWithPeer(true);
    const auto m = [](std::size_t k) { return test::patternMessage(896 + k, 100); };  // byte 2: 07
    test::writeBytes(dir.file("three.syx"), test::patternStream(3, 100, 896));
    peer.play(dir.file("three.syx"), "1024", 0);
    ASSERT_TRUE(pumpUntil([&] { return ui(*form).messageList->count() == 3; }, 10s));
    EXPECT_EQ(ui(*form).overrideChannel->text(), "8");
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));

    test::clickLine(ui(*form).messageList, 1);
    EXPECT_EQ(peer.nextReceived(10s), m(1));
    QTest::keyClick(form.get(), Qt::Key_Delete);
    ASSERT_TRUE(ui(*form).messageList->lineText(1).startsWith("0003"));
    test::clickLine(ui(*form).messageList, 1);
    EXPECT_EQ(peer.nextReceived(10s), m(2));
    dialogs.answers.push_back(QString::fromStdString(dir.file("saved.syx")));
    QTest::keyClick(form.get(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(test::readBytes(dir.file("saved.syx")), test::joined({m(0), m(2)}));

    // F5 runs the list; Esc stops a run before its first message.
    QTest::keyClick(form.get(), Qt::Key_F5);
    QTest::keyClick(form.get(), Qt::Key_Escape);
    EXPECT_FALSE(ui(*form).sendTimer->isActive());
    QTest::keyClick(form.get(), Qt::Key_F5);
    ASSERT_TRUE(pumpUntil([&] { return !ui(*form).sendTimer->isActive(); }, 10s));
    EXPECT_EQ(peer.nextReceived(10s), m(0));
    EXPECT_EQ(peer.nextReceived(10s), m(2));

    // The override turned on by Space, the channel selector takes the focus and the arrow keys.
    ui(*form).tabs->setCurrentWidget(ui(*form).configTab);
    ui(*form).overrideBox->setFocus();
    QTest::keyClick(ui(*form).overrideBox, Qt::Key_Space);
    QTest::keyClick(ui(*form).overrideBox, Qt::Key_Tab);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Left);
    EXPECT_EQ(ui(*form).overrideChannel->text(), "7");
    QTest::keyClick(form.get(), Qt::Key_L, Qt::ControlModifier);
    EXPECT_EQ(form->list().count(), 0);
    EXPECT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join("; ").toStdString();
}

// Three of ten lines chosen with Ctrl-clicks send nothing; then, by keys, they are sent paced,
// saved, moved, deleted, put back and taken away again, and copied into a new list as hex.
TEST_F(WindowOverJack, SeveralLinesAreChosenSentSavedMovedDeletedAndUndoneByMouseAndKeys) {
    startWithPeer(true);
    const auto m = [](std::size_t k) { return test::patternMessage(k, 100); };
    const auto lines = [&] {
        std::vector<Bytes> all;
        for (int row = 0; row < form->list().count(); ++row) all.push_back(test::stored(form->list(), row));
        return all;
    };
    test::writeBytes(dir.file("ten.syx"), test::patternStream(10, 100));
    form->openSyxFile(QString::fromStdString(dir.file("ten.syx")));
    ui(*form).overrideBox->setChecked(false);
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    ListBox* list = ui(*form).messageList;
    for (const int row : {1, 4, 7})
        QTest::mouseClick(list->viewport(), Qt::LeftButton, Qt::ControlModifier,
                          list->lineRect(row).center());
    EXPECT_EQ(list->selectedRows(), (std::vector<int>{1, 4, 7}));
    EXPECT_FALSE(peer.nextReceived(500ms)) << "a Ctrl-click sent its line";

    ui(*form).manualSpeed->click();
    ui(*form).sendSpeed->setValue(8);
    QTest::keyClick(form.get(), Qt::Key_F5, Qt::ShiftModifier);
    ASSERT_TRUE(pumpUntil([&] { return !ui(*form).sendTimer->isActive(); }, 20s));
    test::expectPacedArrivals(peer, {1, 4, 7}, 100, 200);
    dialogs.answers.push_back(QString::fromStdString(dir.file("three.syx")));
    ui(*form).saveSelectedAction->trigger();
    EXPECT_EQ(test::readBytes(dir.file("three.syx")), test::joined({m(1), m(4), m(7)}));

    QTest::keyClick(form.get(), Qt::Key_Down, Qt::AltModifier);
    const std::vector<Bytes> moved{m(0), m(2), m(1), m(3), m(5), m(4), m(6), m(8), m(7), m(9)};
    EXPECT_EQ(lines(), moved);
    QTest::keyClick(form.get(), Qt::Key_Delete);
    const std::vector<Bytes> kept{m(0), m(2), m(3), m(5), m(6), m(8), m(9)};
    EXPECT_EQ(lines(), kept);
    QTest::keyClick(form.get(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(lines(), moved);
    EXPECT_EQ(list->selectedRows(), (std::vector<int>{2, 5, 8}));
    QTest::keyClick(form.get(), Qt::Key_Y, Qt::ControlModifier);
    EXPECT_EQ(lines(), kept);
    EXPECT_FALSE(peer.nextReceived(500ms)) << "editing sent a line";

    // Everything copied, a new list, pasted: the same bytes. Text that is not whole SysEx is
    // refused, naming its line, and the list stays as it is.
    QTest::keyClick(form.get(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(form.get(), Qt::Key_C, Qt::ControlModifier);
    QTest::keyClick(form.get(), Qt::Key_N, Qt::ControlModifier);
    ASSERT_EQ(form->list().count(), 0);
    QTest::keyClick(form.get(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(lines(), kept);
    QGuiApplication::clipboard()->setText("F0 7D 01 F7\nF0 7D 02 03");
    QTest::keyClick(form.get(), Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(lines(), kept);
    ASSERT_EQ(dialogs.errors.size(), 1);
    EXPECT_TRUE(dialogs.errors.front().contains("2")) << dialogs.errors.front().toStdString();
}

// A DT1's data byte edited in the message view turns its verdict wrong; Fix Checksum sets the
// byte an independent sum gives, and Ctrl+Z takes the fix back. A typed Identity Request becomes
// a line that a click sends; a wrong byte is refused where it is.
TEST_F(WindowOverJack, AMessageIsEditedFixedUndoneAndTypedThenSentByAClick) {
    startWithPeer(true);
    const Bytes dt1{0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7};
    test::writeBytes(dir.file("dt1.syx"), dt1);
    form->openSyxFile(QString::fromStdString(dir.file("dt1.syx")));
    ui(*form).overrideBox->setChecked(false);
    const auto activate = [&] {
        form->activateWindow();
        return QTest::qWaitForWindowActive(form.get());
    };
    form->show();
    ASSERT_TRUE(activate());
    ui(*form).messageList->setCurrentRow(0);
    QTest::keyClick(form.get(), Qt::Key_F3);
    MessageView* view = ui(*form).messageView;
    ASSERT_NE(view, nullptr);
    QTextCursor at(view->hex->document());
    at.setPosition(8 * 3);  // the data byte 00 after the address 40 00 7F
    at.setPosition(8 * 3 + 2, QTextCursor::KeepAnchor);
    view->hex->setTextCursor(at);
    QTest::keyClicks(view->hex, "05");
    Bytes edited = dt1;
    edited[8] = 0x05;
    int sum = 0;
    for (std::size_t i = 5; i < 9; ++i) sum += edited[i];
    const auto right = static_cast<std::uint8_t>((128 - sum % 128) % 128);
    EXPECT_TRUE(view->facts->toPlainText().contains(QString("%1H").arg(right, 2, 16, QChar('0')).toUpper()))
        << view->facts->toPlainText().toStdString();
    QTest::mouseClick(view->applyButton, Qt::LeftButton);
    EXPECT_EQ(test::stored(form->list(), 0), edited);
    EXPECT_EQ(form->list().line(0).checksum.verdict, Checksum::Verdict::wrong);
    ui(*form).fixChecksumAction->trigger();
    Bytes fixed = edited;
    fixed[9] = right;
    EXPECT_EQ(test::stored(form->list(), 0), fixed);
    view->close();
    ASSERT_TRUE(activate());
    QTest::keyClick(form.get(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(test::stored(form->list(), 0), edited);

    // Ins: a new message, typed; F6 at its end is refused there until it is F7.
    QTest::keyClick(form.get(), Qt::Key_Insert);
    view->hex->selectAll();
    QTest::keyClicks(view->hex, "F0 7E 7F 06 01 F6");
    EXPECT_FALSE(view->applyButton->isEnabled());
    EXPECT_TRUE(view->problem->text().contains("05H")) << view->problem->text().toStdString();
    QTest::keyClick(view->hex, Qt::Key_Backspace);
    QTest::keyClicks(view->hex, "7");
    QTest::mouseClick(view->applyButton, Qt::LeftButton);
    ASSERT_EQ(form->list().count(), 2);
    view->close();
    ASSERT_TRUE(activate());
    EXPECT_FALSE(peer.nextReceived(500ms)) << "editing sent a message";
    test::clickLine(ui(*form).messageList, 1);
    EXPECT_EQ(peer.nextReceived(10s), kIdentityRequest);
    EXPECT_TRUE(dialogs.errors.isEmpty()) << dialogs.errors.join("\n").toStdString();
}

// The saved devices are opened by name wherever they are listed, never another one at their
// old place; a missing one is left unopened and named.
TEST_F(WindowOverJack, SavedDevicesAreOpenedByNameAndAMissingOneIsNamed) {
    auto wanted = std::make_unique<test::JackPeer>();
    startOnSystem();
    // As after a run in which the peers were listed the other way round.
    const auto key = registry.openOrCreateKey(MainWindow::kRegistryKey);
    const auto at = [](int entry) { return RegistryValue::binary({std::uint8_t(entry)}); };
    key->write("MIDI_IN", at(entryOf(ui(*form).inputList, peer.outPort())));
    key->write("MIDI_OUT", at(entryOf(ui(*form).outputList, peer.inPort())));
    key->write("MIDI_IN_NAME", RegistryValue::string(wanted->outPort()));
    key->write("MIDI_OUT_NAME", RegistryValue::string(wanted->inPort()));
    startOnSystem();
    EXPECT_EQ(ui(*form).inputList->currentText().toStdString(), wanted->outPort());
    EXPECT_EQ(wanted->nextReceived(10s), kIdentityRequest);  // on the output found by name

    const QString gone = QString::fromStdString("「" + wanted->outPort() + "」");
    wanted.reset();
    startOnSystem();
    EXPECT_FALSE(form->inputDevice->isOpen());
    EXPECT_FALSE(form->outputDevice().isOpen());
    ASSERT_TRUE(pumpUntil([&] { return !dialogs.messages.isEmpty(); }, 10s));
    EXPECT_TRUE(dialogs.messages.front().contains(gone)) << dialogs.messages.front().toStdString();
}

// Messages at known frames, 0 to 1.5 s apart: each line keeps when it came, as the list, the
// message view and a saved .mid file show it, and Send As Recorded plays the gaps back.
TEST_F(WindowOverJack, CapturedLinesKeepTheirTimesAndSendAsRecordedPlaysTheGapsBack) {
    startWithPeer(true);
    ui(*form).overrideBox->setChecked(false);
    ui(*form).sendOnSelectAction->setChecked(false);
    const auto sent = peer.spaced(12, {0, 3, 40, 250, 1500});
    ASSERT_TRUE(sent);
    const int count = static_cast<int>(sent->size());
    ASSERT_TRUE(pumpUntil([&] { return form->list().count() == count; }, 10s));
    std::vector<double> seconds;  // each line's time from the first line's
    for (int row = 0; row < count; ++row)
        seconds.push_back(double(*form->list().line(row).arrivalNs - *form->list().line(0).arrivalNs) / 1e9);
    for (std::size_t k = 1; k < seconds.size(); ++k) EXPECT_NEAR(seconds[k], (*sent)[k], 0.002) << k;

    ui(*form).gapAction->trigger();
    const QString shown = ui(*form).messageList->model()->index(3, 0).data().toString();
    EXPECT_TRUE(shown.contains(QString::number(seconds[3] - seconds[2], 'f', 3))) << shown.toStdString();
    ui(*form).messageList->setCurrentRow(5);
    ui(*form).viewAction->trigger();
    const QString facts = ui(*form).messageView->facts->toPlainText();
    EXPECT_TRUE(facts.contains(QString::number(seconds[5] - seconds[4], 'f', 3))) << facts.toStdString();
    ui(*form).messageView->close();

    dialogs.answers.push_back(QString::fromStdString(dir.file("timed.mid")));
    ui(*form).saveAsAction->trigger();
    LoadedMessages saved;
    loadMidiFile(dir.file("timed.mid"), saved);
    ASSERT_EQ(saved.count(), count);
    for (int k = 0; k < count; ++k) EXPECT_NEAR(*saved.timeNs(k) / 1e9, seconds[std::size_t(k)], 1e-4) << k;

    ui(*form).asRecordedAction->trigger();
    EXPECT_FALSE(ui(*form).autoSpeed->isEnabled());
    ui(*form).messageList->setCurrentRow(0);
    click(ui(*form).sendAllButton);
    ASSERT_TRUE(pumpUntil([&] { return !ui(*form).sendTimer->isActive(); }, 10s));
    EXPECT_TRUE(dialogs.errors.empty());
    const std::vector<double> arrived = test::arrivalSeconds(peer, {0, 1, 2, 3, 4, 5}, 12);
    // A message leaves at the next cycle's start: a gap may be off by one period.
    test::expectSameGaps(arrived, seconds, test::periodSeconds(peer) + 0.002, "as recorded");
}

}  // namespace
}  // namespace pellum
