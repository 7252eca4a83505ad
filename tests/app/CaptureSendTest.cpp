// Capturing what the instrument sends, and sending stored messages back, one by click or all of
// them paced by the timer.
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QListWidget>
#include <QProgressBar>
#include <QRadioButton>
#include <QSlider>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include "app/UpDown.h"
#include "core/CaptureStore.h"
#include "midi/MidiIn.h"
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

// A window whose input and output are open on an instrument of the loopback service.
class Instrument : public WindowTest {
protected:
    Instrument() {
        in = midi.addInput("Synth In");
        out = midi.addOutput("Synth Out");
        setSetting("MIDI_IN", RegistryValue::binary({1}));
        setSetting("MIDI_OUT", RegistryValue::binary({1}));
        start();
        sentBefore = midi.sentMessages(out).size();  // the Identity Request
    }

    void receive(const Bytes& bytes) {
        midi.inject(in, bytes);
        deliver(in);
    }

    std::vector<Bytes> sent() {
        auto all = midi.sentMessages(out);
        return std::vector<Bytes>(all.begin() + static_cast<std::ptrdiff_t>(sentBefore), all.end());
    }

    void clickLine(int row) { test::clickLine(form->SysEx, row); }

    std::uint32_t in = 0;
    std::uint32_t out = 0;
    std::size_t sentBefore = 0;
};

}  // namespace

TEST_F(Instrument, CapturesAreLabelledCountedAndSyncTheChannel) {
    const Bytes roland = sysex(0x41, 0x13, 11);
    receive(roland);
    receive(sysex(0x44, 0x10, 9));
    receive(sysex(0x7F, 0x00, 8));
    EXPECT_EQ(lines(form->SysEx),
              (QStringList{"0001 Roland(41H) 11Byte", "0002 Casio(44H) 9Byte", "0003 8Byte"}));
    EXPECT_EQ(form->store().count(), 3);
    EXPECT_EQ(Bytes(form->store().message(0).begin(), form->store().message(0).end()), roland);
    EXPECT_TRUE(form->BtnStart->isEnabled());
    EXPECT_TRUE(form->BtnCut->isEnabled());

    // Byte 2 = 13H: override on at channel 4, the label beside it untouched.
    form.get();
    receive(sysex(0x41, 0x13, 6));
    EXPECT_TRUE(form->ForceMIDICH->isChecked());
    EXPECT_TRUE(form->SysExCH->isEnabled());
    EXPECT_EQ(form->SysExCH->position(), 4);
    EXPECT_EQ(form->CH->text(), "1");
    // Byte 2 = 10H: off, disabled, channel 1 — whatever the box showed before.
    receive(sysex(0x41, 0x10, 6));
    EXPECT_FALSE(form->ForceMIDICH->isChecked());
    EXPECT_FALSE(form->SysExCH->isEnabled());
    EXPECT_EQ(form->SysExCH->position(), 1);
    receive(sysex(0x41, 0x00, 6));
    EXPECT_FALSE(form->ForceMIDICH->isChecked());
    EXPECT_FALSE(form->SysExCH->isEnabled());

    // A Universal Non-real-time message is not filed, yet syncs the channel.
    const int count = form->store().count();
    receive({0xF0, 0x7E, 0x05, 0x06, 0x02, 0x41, 0x10, 0xF7});
    EXPECT_EQ(form->store().count(), count);
    EXPECT_EQ(form->SysEx->count(), count);
    EXPECT_TRUE(form->ForceMIDICH->isChecked());
    EXPECT_EQ(form->SysExCH->position(), 6);

    // Too short for a channel byte: filed, nothing read beyond it.
    receive({0xF0, 0xF7});
    EXPECT_EQ(form->SysEx->item(form->SysEx->count() - 1)->text(),
              QString("%1 2Byte").arg(count + 1, 4, 10, QChar('0')));
    EXPECT_EQ(form->SysExCH->position(), 6);
    EXPECT_EQ(form->cursor().shape(), Qt::ArrowCursor);
}

TEST_F(Instrument, AFullStoreLeavesEventsPendingAndSaysSo) {
    for (int i = 0; i < CaptureStore::kCapacity - 1; ++i) form->store().append(sysex(0x43, 0, 4));
    midi.inject(in, sysex(0x41, 0, 5));
    midi.inject(in, sysex(0x42, 0, 5));
    midi.inject(in, sysex(0x43, 0, 5));
    deliver(in);
    // The first announcement files one message; the two that follow find the store full.
    EXPECT_EQ(form->store().count(), 9999);
    EXPECT_EQ(form->SysEx->count(), 1);
    EXPECT_EQ(form->SysEx->item(0)->text(), "9999 Roland(41H) 5Byte");
    EXPECT_EQ(form->MidiInput1->PendingCount(), 2);
    EXPECT_EQ(dialogs.messages, QStringList(2, "これ以上記録できません"));

    receive(sysex(0x44, 0, 5));  // every further input event says so again and takes nothing
    EXPECT_EQ(dialogs.messages.size(), 3);
    EXPECT_EQ(form->store().count(), 9999);
    EXPECT_EQ(form->SysEx->count(), 1);
    EXPECT_EQ(form->MidiInput1->PendingCount(), 3);
}

TEST_F(Instrument, CaptureWaitsWhileSwitchedOffAndReopeningDiscards) {
    receive(sysex(0x41, 0x10, 6));
    clickLine(0);  // sending switches capture off
    EXPECT_FALSE(form->In_chk->isChecked());
    receive(sysex(0x42, 0x10, 7));
    EXPECT_EQ(form->SysEx->count(), 1);
    EXPECT_EQ(form->MidiInput1->PendingCount(), 1);

    // Switched on again (as choosing a dump request does): the next event lists both.
    form->In_chk->setChecked(true);
    receive(sysex(0x43, 0x10, 8));
    EXPECT_EQ(lines(form->SysEx), (QStringList{"0001 Roland(41H) 6Byte", "0002 KORG(42H) 7Byte",
                                               "0003 YAMAHA(43H) 8Byte"}));

    // Waiting events are gone once the ports are reopened.
    clickLine(0);
    receive(sysex(0x44, 0x10, 9));
    EXPECT_EQ(form->MidiInput1->PendingCount(), 1);
    form->cmbInput->setCurrentIndex(1);
    emit form->cmbInput->activated(1);
    EXPECT_EQ(form->MidiInput1->PendingCount(), 0);
    EXPECT_TRUE(form->In_chk->isChecked());
    EXPECT_EQ(form->SysEx->count(), 3);
}

TEST_F(Instrument, ASysExLongerThanOneBufferIsFiledInPieces) {
    Bytes big(70000, 0x22);
    big.front() = 0xF0;
    big[1] = 0x43;
    big.back() = 0xF7;
    receive(big);
    ASSERT_EQ(form->store().count(), 2);
    EXPECT_EQ(form->store().length(0), 65535);
    EXPECT_EQ(form->store().length(1), 70000 - 65535);
    EXPECT_EQ(form->store().message(0)[0], 0xF0);
    EXPECT_NE(form->store().message(1)[0], 0xF0);
    EXPECT_EQ(lines(form->SysEx), (QStringList{"0001 YAMAHA(43H) 65535Byte", "0002 4465Byte"}));
}

TEST_F(Instrument, ClickSendAppliesTheOverrideToTheCopyOnly) {
    receive(sysex(0x41, 0x10, 11));
    receive(sysex(0x42, 0x20, 7));
    form->ForceMIDICH->setChecked(true);
    form->SysExCH->setPosition(3);
    form->In_chk->setChecked(true);
    clickLine(0);
    clickLine(0);  // the same line again sends again
    ASSERT_EQ(sent().size(), 2u);
    EXPECT_EQ(sent()[0], sysex(0x41, 0x12, 11));
    EXPECT_EQ(form->store().message(0)[2], 0x10);
    EXPECT_FALSE(form->In_chk->isChecked());

    // The keyboard selects and sends too.
    form->SysEx->setFocus();
    QTest::keyClick(form->SysEx, Qt::Key_Down);
    ASSERT_EQ(sent().size(), 3u);
    EXPECT_EQ(sent()[2], sysex(0x42, 0x22, 7));

    // A line beyond the stored messages (after "List Delete" and a capture) sends nothing.
    form->store().clear();
    clickLine(1);
    EXPECT_EQ(sent().size(), 3u);

    // Nothing leaves while the sending switch is off.
    form->store().append(sysex(0x41, 0x10, 5));
    form->Out_chk->setChecked(false);
    clickLine(0);
    EXPECT_EQ(sent().size(), 3u);
}

TEST_F(Instrument, AutoSendRunsThroughTheListInOrder) {
    // Channel 1 in every message, so capture leaves the override off.
    const Bytes a = sysex(0x41, 0x10, 11, 0x01), b = sysex(0x41, 0x10, 300, 0x02),
                c = sysex(0x41, 0x10, 600, 0x03);
    for (const Bytes& m : {a, b, c}) receive(m);
    form->S_Auto->click();
    EXPECT_FALSE(form->SendSpeed->isEnabled());
    form->TabMenu->setCurrentIndex(3);

    std::vector<int> meter;
    QObject::connect(form->Meter, &QProgressBar::valueChanged, [&](int v) { meter.push_back(v); });
    QTest::mouseClick(form->BtnStart, Qt::LeftButton);
    EXPECT_EQ(form->TabMenu->currentIndex(), 0);
    EXPECT_TRUE(form->BtnStop->isEnabled());
    EXPECT_FALSE(form->BtnStart->isEnabled());
    EXPECT_EQ(form->Meter->maximum(), 3);
    EXPECT_EQ(form->Timer1->interval(), 11 / 256 + 1);
    EXPECT_TRUE(sent().empty());  // the first goes at the first tick

    ASSERT_TRUE(pumpUntil([&] { return !form->Timer1->isActive(); }));
    EXPECT_EQ(sent(), (std::vector<Bytes>{a, b, c}));
    EXPECT_EQ(meter, (std::vector<int>{1, 2, 3}));
    EXPECT_TRUE(form->BtnStart->isEnabled());
    EXPECT_FALSE(form->BtnStop->isEnabled());
    EXPECT_TRUE(form->BtnCut->isEnabled());
    EXPECT_EQ(form->SysEx->currentRow(), 2);  // selections made by the run sent nothing extra

    // From the last line the run starts again at line 0; from the second it sends 1 and 2.
    sentBefore = midi.sentMessages(out).size();
    QTest::mouseClick(form->BtnStart, Qt::LeftButton);
    ASSERT_TRUE(pumpUntil([&] { return !form->Timer1->isActive(); }));
    EXPECT_EQ(sent(), (std::vector<Bytes>{a, b, c}));

    clickLine(1);
    sentBefore = midi.sentMessages(out).size();
    meter.clear();
    QTest::mouseClick(form->BtnStart, Qt::LeftButton);
    ASSERT_TRUE(pumpUntil([&] { return !form->Timer1->isActive(); }));
    EXPECT_EQ(sent(), (std::vector<Bytes>{b, c}));
    EXPECT_EQ(meter, (std::vector<int>{2, 3}));
}

TEST_F(Instrument, StopAndStartResumeWithTheLineSentLast) {
    for (std::uint8_t i = 0; i < 10; ++i) receive(sysex(0x41, 0x00, 6, i));
    form->S_Man->click();
    form->SendSpeed->setValue(9);
    QTest::mouseClick(form->BtnStart, Qt::LeftButton);
    ASSERT_TRUE(pumpUntil([&] { return sent().size() == 5; }));
    QTest::mouseClick(form->BtnStop, Qt::LeftButton);
    EXPECT_FALSE(form->Timer1->isActive());
    EXPECT_TRUE(form->BtnStart->isEnabled());
    EXPECT_FALSE(form->BtnStop->isEnabled());
    EXPECT_EQ(form->SysEx->currentRow(), 4);

    QTest::mouseClick(form->BtnStart, Qt::LeftButton);
    ASSERT_TRUE(pumpUntil([&] { return !form->Timer1->isActive(); }));
    const auto all = sent();
    ASSERT_EQ(all.size(), 11u);
    for (std::size_t i = 0; i < 5; ++i) EXPECT_EQ(all[i][3], i);
    for (std::size_t i = 5; i < 11; ++i) EXPECT_EQ(all[i][3], i - 1);  // line 4 again, then on
}

TEST_F(Instrument, TheFirstWaitFollowsThePacingChoice) {
    receive(sysex(0x41, 0x10, 700));
    struct Case {
        bool automatic;
        int speed;
        int interval;
    };
    for (const Case& c : {Case{false, 1, 900}, Case{false, 5, 500}, Case{false, 9, 100},
                          Case{true, 1, 700 / 256 + 1}}) {
        (c.automatic ? form->S_Auto : form->S_Man)->click();
        form->SendSpeed->setValue(c.speed);
        QTest::mouseClick(form->BtnStart, Qt::LeftButton);
        EXPECT_EQ(form->Timer1->interval(), c.interval);
        QTest::mouseClick(form->BtnStop, Qt::LeftButton);
    }
    EXPECT_TRUE(sent().empty());

    // Over an empty list nothing goes out and the first tick ends the run.
    form->New1->trigger();
    QTest::mouseClick(form->BtnStart, Qt::LeftButton);
    ASSERT_TRUE(pumpUntil([&] { return !form->Timer1->isActive(); }));
    EXPECT_TRUE(sent().empty());
    EXPECT_TRUE(form->BtnStart->isEnabled());
}

TEST_F(Instrument, ConfigControlsSteerEachOther) {
    form->SysExCH->click(UpDown::Button::Up);
    form->SysExCH->click(UpDown::Button::Up);
    EXPECT_EQ(form->CH->text(), "3");
    form->ForceMIDICH->click();
    EXPECT_TRUE(form->SysExCH->isEnabled());
    form->ForceMIDICH->click();
    EXPECT_FALSE(form->SysExCH->isEnabled());
    form->S_Auto->click();
    EXPECT_FALSE(form->L_Low->isEnabled());
    EXPECT_FALSE(form->L_High->isEnabled());
    form->S_Man->click();
    EXPECT_TRUE(form->L_Low->isEnabled());
    EXPECT_TRUE(form->SendSpeed->isEnabled());
}
