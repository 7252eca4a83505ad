// The Identity Request sent whenever the ports open, and the reply shown on the Receive tab.
#include <QComboBox>
#include <QLabel>
#include <QTabWidget>
#include <QTest>

#include "core/list/MessageList.h"
#include "core/messages/IdentityReply.h"
#include "tests/app/WindowFixture.h"

using namespace pellum;
using namespace pellum::test;

namespace {

const Bytes kSc88Reply{0xF0, 0x7E, 0x10, 0x06, 0x02, 0x41, 0x42, 0x00,
                       0x00, 0x02, 0x01, 0x00, 0x02, 0x00, 0xF7};

class Identity : public WindowTest {
protected:
    Identity() {
        addSavedSynth();
        midi.connect(out, in, midi::LoopbackMidi::identityResponder(kSc88Reply));
    }
};

const QStringList kReset{"--", "unknown", "--", "unknown", "--", "--", "--"};
const QStringList kSc88{"17", "Roland", "41H", "SC-88", "42H 100H", "1", "2"};

TEST_F(Identity, TheReplyFillsTheReceiveTabAndEveryReopeningAsksAgain) {
    start();
    const Bytes request(kIdentityRequest.begin(), kIdentityRequest.end());
    EXPECT_EQ(midi.sentMessages(out), std::vector<Bytes>{request});
    EXPECT_EQ(identityShown(), kReset);  // nothing handled yet: the answer waits in the input
    deliver(in);
    EXPECT_EQ(identityShown(), kSc88);
    EXPECT_EQ(ui(*form).messageList->count(), 0);
    EXPECT_EQ(form->list().count(), 0);

    // A second reply overwrites every label, the machine name falling back to "unknown".
    midi.inject(in, {0xF0, 0x7E, 0x00, 0x06, 0x02, 0x43, 0x05, 0x00, 0x00, 0x00, 0x00, 0x01, 0x00,
                     0x00, 0xF7});
    deliver(in);
    EXPECT_EQ(identityShown(),
              (QStringList{"1", "YAMAHA", "43H", "unknown", "05H 00H", "128", "0"}));

    // "(None)" as output: the labels are reset and the request goes nowhere, so they stay so.
    form->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(form.get()));
    clickTab(3);
    QTest::keyClick(ui(*form).outputList, Qt::Key_Up);
    ASSERT_EQ(ui(*form).outputList->currentIndex(), 0);
    EXPECT_EQ(identityShown(), kReset);
    deliver(in);
    EXPECT_EQ(identityShown(), kReset);

    // The instrument's port again: asked once more, it answers.
    QTest::keyClick(ui(*form).outputList, Qt::Key_Down);
    ASSERT_EQ(ui(*form).outputList->currentIndex(), 1);
    EXPECT_EQ(midi.sentMessages(out), (std::vector<Bytes>{request, request}));
    deliver(in);
    clickTab(2);
    EXPECT_EQ(ui(*form).tabs->currentWidget(), ui(*form).identityTab);
    EXPECT_EQ(identityShown(), kSc88);
    EXPECT_TRUE(ui(*form).machineId->isVisible());
    EXPECT_GE(ui(*form).machineId->width(),
              ui(*form).machineId->sizeHint().width());  // not clipped
    EXPECT_TRUE(dialogs.errors.isEmpty());
}

}  // namespace
