// The USER tab: loading a .cfg file, choosing a request and sending it, and the file reloaded
// at start-up.
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

#include "app/ElidedLabel.h"
#include "app/UpDown.h"
#include "core/list/MessageList.h"
#include "core/messages/IdentityReply.h"
#include "tests/app/WindowFixture.h"
#include "tests/support/ExampleCfg.h"

using namespace pellum;
using namespace pellum::test;

namespace {

const Bytes kExample = cfgBytes(kExampleCfgLines);
const QString kSystemPreview = "  F0 41 10 42 11 40 00 7F 00 00 01 40 F7";
const Bytes kDump{0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x10, 0x00, 0x55, 0x1B, 0xF7};

// A window open on an instrument that tells who it is and answers a Roland dump request with
// one dump message, with the USER tab in front.
class UserTab : public WindowTest {
protected:
    UserTab() {
        addSavedSynth();
        midi.connect(out, in, [](std::span<const std::uint8_t> sent) {
            return sent.size() > 2 && sent[1] == 0x41 ? kDump : Bytes{};
        });
        start();
        sentBefore = midi.sentMessages(out).size();
        form->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(form.get()));
        clickTab(1);
    }

    // Opens `bytes` (none: a file that does not exist) through the tab's open button.
    std::string open(const std::string& name, const std::optional<Bytes>& bytes) {
        const std::string path = dir.file(name);
        if (bytes) writeBytes(path, *bytes);
        dialogs.answers.push_back(QString::fromStdString(path));
        QTest::mouseClick(ui(*form).openRequestButton, Qt::LeftButton);
        return path;
    }
};

TEST_F(UserTab, ALoadedRequestIsPreviewedChosenAndSentWithTheOverride) {
    const std::string path = open("sc88.cfg", kExample);
    ASSERT_EQ(dialogs.asked.size(), 1u);
    EXPECT_EQ(dialogs.asked[0].title, "Open CFG File");
    EXPECT_EQ(entries(ui(*form).requestList), (QStringList{"1:System", "2:Part 1"}));
    EXPECT_EQ(ui(*form).requestList->currentIndex(), 0);
    EXPECT_EQ(ui(*form).requestVendor->text(), "41H Roland");
    EXPECT_EQ(ui(*form).requestType->text(), "42H GS");
    EXPECT_EQ(ui(*form).requestBytes->text(), kSystemPreview);
    EXPECT_TRUE(ui(*form).requestList->isEnabled());
    EXPECT_TRUE(ui(*form).sendRequestButton->isEnabled());
    EXPECT_EQ(settingText("CFG_FILE"), path + '\0');
    EXPECT_TRUE(sent().empty());  // loading only previews

    // A message on channel 3 moves the selector; the user turns the override on. Sending the
    // message back by its line switches capture off.
    midi.inject(in, {0xF0, 0x43, 0x12, 0x01, 0xF7});
    deliver(in);
    ui(*form).overrideBox->click();
    ASSERT_EQ(ui(*form).channelStepper->position(), 3);
    // The preview follows at once, scrolled to the request's end.
    EXPECT_EQ(ui(*form).requestBytes->text(), "  F0 41 12 42 11 40 00 7F 00 00 01 40 F7");
    EXPECT_EQ(ui(*form).requestBytes->cursorPosition(), ui(*form).requestBytes->text().size());
    clickTab(0);
    clickLine(ui(*form).messageList, 0);
    ASSERT_EQ(sent().size(), 1u);
    ASSERT_FALSE(ui(*form).captureOn->isChecked());

    // Choosing request 2 previews it with the override, checksum as assembled, and switches
    // capture back on; nothing goes out.
    clickTab(1);
    QTest::keyClick(ui(*form).requestList, Qt::Key_Down);
    const Bytes part1{0xF0, 0x41, 0x12, 0x42, 0x11, 0x40, 0x10, 0x00, 0x00, 0x00, 0x7F, 0x31, 0xF7};
    EXPECT_EQ(ui(*form).requestBytes->text(), "  F0 41 12 42 11 40 10 00 00 00 7F 31 F7");
    EXPECT_TRUE(ui(*form).captureOn->isChecked());
    EXPECT_EQ(sent().size(), 1u);

    // The button sends exactly those bytes, and the instrument's dump is captured.
    QTest::mouseClick(ui(*form).sendRequestButton, Qt::LeftButton);
    ASSERT_EQ(sent().size(), 2u);
    EXPECT_EQ(sent()[1], part1);
    deliver(in);
    ASSERT_EQ(ui(*form).messageList->count(), 2);
    EXPECT_EQ(stored(form->list(), 1), kDump);
    EXPECT_TRUE(dialogs.errors.isEmpty());
}

TEST_F(UserTab, OpenAndSendWorkFromTheKeyboardAlone) {
    ASSERT_TRUE(QTest::qWaitForWindowActive(form.get()));
    dialogs.answers = {QString::fromStdString(dir.file("sc88.cfg")), {}};
    writeBytes(dir.file("sc88.cfg"), kExample);
    // Tab reaches the open button past the list and button a file has not enabled yet.
    ui(*form).tabs->tabBar()->setFocus(Qt::TabFocusReason);
    for (int i = 0; i < 10 && !ui(*form).openRequestButton->hasFocus(); ++i)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
    ASSERT_TRUE(ui(*form).openRequestButton->hasFocus());
    QTest::keyClick(ui(*form).openRequestButton, Qt::Key_Space);
    EXPECT_EQ(ui(*form).requestTitle->fullText(), "SC-88 requests");
    // Back through the send button to the list: the second request, then Send.
    for (int i = 0; i < 2; ++i)
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab, Qt::ShiftModifier);
    ASSERT_TRUE(ui(*form).requestList->hasFocus());
    QTest::keyClick(ui(*form).requestList, Qt::Key_Down);
    QTest::keyClick(ui(*form).requestList, Qt::Key_Tab);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    // The Request menu's keys do the same from anywhere.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return, Qt::ControlModifier);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_R, Qt::ControlModifier);
    const Bytes part1{0xF0, 0x41, 0x10, 0x42, 0x11, 0x40, 0x10, 0x00, 0x00, 0x00, 0x7F, 0x31, 0xF7};
    EXPECT_EQ(sent(), (std::vector<Bytes>{part1, part1}));
    EXPECT_EQ(dialogs.asked.size(), 2u);
}

TEST_F(UserTab, AFileThatFailsToLoadChangesNothing) {
    const std::string good = open("sc88.cfg", kExample);

    // Full-width ３ (CP932 82 52) on line 10 is no number: the error names the file, the line
    // and its text as the file reads; the good file's entries, texts and preview stay and send.
    const std::string bad = open("bad.cfg", cfgBytes({"t", "NO", "65", "16", "66", "?One", "1",
                                                      "?Two", "2", "\x82\x52", "?Three", "3"}));
    const std::string missing = open("missing.cfg", std::nullopt);
    EXPECT_EQ(dialogs.errors,
              (QStringList{QString::fromStdString(bad + " の 10 行目: '３' は数値ではありません."),
                           QString::fromStdString("ファイル " + missing + " は開けません.")}));
    EXPECT_EQ(entries(ui(*form).requestList), (QStringList{"1:System", "2:Part 1"}));
    EXPECT_EQ(ui(*form).requestVendor->text(), "41H Roland");
    EXPECT_EQ(ui(*form).requestType->text(), "42H GS");
    EXPECT_EQ(ui(*form).requestBytes->text(), kSystemPreview);
    EXPECT_EQ(form->requestFilePath(), good);
    QTest::mouseClick(ui(*form).sendRequestButton, Qt::LeftButton);
    EXPECT_EQ(sent(), (std::vector<Bytes>{{0xF0, 0x41, 0x10, 0x42, 0x11, 0x40, 0x00, 0x7F, 0x00,
                                           0x00, 0x01, 0x40, 0xF7}}));

    // Nothing of them is remembered: the next start opens the good file.
    clickTab(3);
    QTest::keyClick(ui(*form).outputList, Qt::Key_Up);  // any device change saves the settings
    EXPECT_EQ(settingText("CFG_FILE"), good + '\0');
    start();
    EXPECT_EQ(entries(ui(*form).requestList), (QStringList{"1:System", "2:Part 1"}));
}

TEST_F(UserTab, NamesReadAsTheFileWasWrittenAndACutCharacterIsLeftOff) {
    // "テスト" in CP932; "AB", "テスト" five times and "ト" in CP932 (34 bytes); "x" and
    // thirteen three-byte UTF-8 characters: the last two are cut inside a character.
    const std::string cp932Test = "\x83\x65\x83\x58\x83\x67";
    std::string cp932Long = "AB";
    for (int i = 0; i < 5; ++i) cp932Long += cp932Test;
    cp932Long += "\x83\x67";
    const std::string utf8Long = "x日本語のリクエスト名前です";
    open("names.cfg", cfgBytes({"names", "YES", "66", "48", "48", "?" + cp932Test, "1",
                                "?" + cp932Long, "2", "?" + utf8Long, "3", "4"}));
    EXPECT_EQ(
        entries(ui(*form).requestList),
        (QStringList{"1:テスト", "2:ABテストテストテストテストテスト", "3:x日本語のリクエスト名"}));
    EXPECT_EQ(ui(*form).requestVendor->text(), "42H KORG");
    EXPECT_EQ(ui(*form).requestType->text(), "30H 03R/W");

    // The cut name's request goes out whole.
    QTest::keyClick(ui(*form).requestList, Qt::Key_End);
    ASSERT_EQ(ui(*form).requestList->currentIndex(), 2);
    QTest::mouseClick(ui(*form).sendRequestButton, Qt::LeftButton);
    EXPECT_EQ(sent(), (std::vector<Bytes>{{0xF0, 0x42, 0x30, 0x30, 0x03, 0x04, 0x79, 0xF7}}));
    EXPECT_TRUE(dialogs.errors.isEmpty());
}

class SavedRequestFile : public WindowTest {};

TEST_F(SavedRequestFile, IsReloadedAtStartUpAndOneThatFailsIsToldOnceWhileStartUpGoesOn) {
    addSavedSynth();

    // A stop after an entry, a FIFO, a device, a 10 MB line, a 1 GB file: each told once, at once.
    const std::string bad = dir.file("bad.cfg"), fifo = dir.file("fifo.cfg");
    writeBytes(bad, cfgBytes({"t", "YES", "65", "?a"}));
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    writeBytes(dir.file("long.cfg"), cfgBytes({"t", "YES", std::string(10'000'000, '6')}));
    writeBytes(dir.file("sparse.cfg"), kExample);
    std::filesystem::resize_file(dir.file("sparse.cfg"), std::uintmax_t{1} << 30);
    for (const std::string& path :
         {bad, fifo, std::string("/dev/zero"), dir.file("long.cfg"), dir.file("sparse.cfg")}) {
        setSetting("CFG_FILE", RegistryValue::string(path));
        start();
        const std::string told = path == bad
                                     ? bad + " は途中で終わっています: '/' は数値ではありません."
                                     : "ファイル " + path + " は開けません.";
        EXPECT_EQ(dialogs.errors, QStringList{QString::fromStdString(told)});
        EXPECT_EQ(ui(*form).requestList->count(), 0) << path;
        EXPECT_EQ(ui(*form).vendorId->text(), "--") << path;  // start-up ran to its end
        form.reset();
        dialogs.errors.clear();
    }

    // A good file is loaded before the devices open, and its success rewrites the settings:
    // the expandable string comes back as a plain one.
    const std::string good = dir.file("sc88.cfg");
    writeBytes(good, kExample);
    Bytes expandable(good.begin(), good.end());
    expandable.push_back(0);
    setSetting("CFG_FILE", RegistryValue{REG_EXPAND_SZ, expandable});
    start();
    EXPECT_TRUE(dialogs.errors.isEmpty());
    EXPECT_EQ(entries(ui(*form).requestList), (QStringList{"1:System", "2:Part 1"}));
    EXPECT_EQ(ui(*form).requestBytes->text(), kSystemPreview);
    EXPECT_TRUE(ui(*form).sendRequestButton->isEnabled());
    EXPECT_EQ(setting("CFG_FILE")->type, REG_SZ);
    EXPECT_EQ(settingText("CFG_FILE"), good + '\0');
    EXPECT_EQ(setting("MIDI_OUT")->data, Bytes{1});
    EXPECT_TRUE(midi.isOutputOpen(out));
    const Bytes request(kIdentityRequest.begin(), kIdentityRequest.end());
    EXPECT_EQ(midi.sentMessages(out).size(), 6u);  // one a start: the load sent nothing
    EXPECT_EQ(midi.sentMessages(out).back(), request);
}

}  // namespace
