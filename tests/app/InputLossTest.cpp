// Received bytes that the input had to drop are not a silent gap in the list: the window says
// so, once per burst, and keeps what did arrive.
#include <QCheckBox>
#include <QListView>

#include "core/list/MessageList.h"
#include "tests/app/WindowFixture.h"
#include "tests/support/PatternMessage.h"

using namespace pellum;
using namespace pellum::test;
using namespace std::chrono_literals;

namespace {

class InputLoss : public WindowTest {
protected:
    InputLoss() {
        addSavedSynth(kRingBytes);
        start();
    }
    // A burst the window does not see until it is over: the input keeps as many messages as it
    // has buffers free and its pump's ring holds, and drops the rest.
    void burstWhileBusy(std::size_t count) {
        for (std::size_t k = 0; k < count; ++k) midi.inject(in, patternMessage(0, kSize));
        midi.flush(in);
    }

    static constexpr std::size_t kSize = 1000;
    static constexpr std::size_t kRingBytes = 4096;
};

TEST_F(InputLoss, ALossIsToldOncePerBurstAndWhatArrivedIsKept) {
    ASSERT_TRUE(ui(*form).captureOn->isChecked());
    const std::uint64_t lostBefore = midi.droppedInputBytes();
    burstWhileBusy(100);
    // The loss is known where it happened in the stream, once what came before was taken. More
    // is lost while the box is open, its own loop running: the same burst, no second box.
    std::uint64_t lost = 0;
    bool more = true;
    dialogs.whileOpen = [&] {
        if (!std::exchange(more, false)) return;
        lost = midi.droppedInputBytes() - lostBefore;
        burstWhileBusy(100);
        // The box's loop takes what arrives, and the loss is counted as the ring drains: the
        // burst is over once a drain counts nothing more.
        for (std::uint64_t seen = 0; seen != midi.droppedInputBytes();) {
            seen = midi.droppedInputBytes();
            pumpUntil([] { return false; }, 50ms);
            midi.flush(in);
        }
    };
    ASSERT_TRUE(pumpUntil([&] { return !dialogs.messages.isEmpty(); }, 5s));
    ASSERT_GT(lost, 0u);
    EXPECT_EQ(dialogs.messages.front(),
              QStringLiteral("受信中に %1 バイトのデータが失われました").arg(lost));
    const std::uint64_t lostInBox = midi.droppedInputBytes() - lostBefore - lost;
    EXPECT_GT(lostInBox, 0u);
    pumpUntil([] { return false; }, 1500ms);
    EXPECT_EQ(dialogs.messages.size(), 1);
    // Everything that found a buffer is in the list, none of it damaged.
    EXPECT_EQ(static_cast<std::uint64_t>(form->list().count()) * kSize + lost + lostInBox,
              200 * kSize);
    for (int i = 0; i < form->list().count(); ++i) {
        ASSERT_EQ(form->list().length(i), static_cast<int>(kSize)) << "message " << i;
    }

    // A later burst is told again, with its own count.
    dialogs.whileOpen = nullptr;
    const std::uint64_t before = midi.droppedInputBytes();
    burstWhileBusy(100);
    ASSERT_TRUE(pumpUntil([&] { return dialogs.messages.size() == 2; }, 5s));
    EXPECT_EQ(dialogs.messages.back(), QStringLiteral("受信中に %1 バイトのデータが失われました")
                                           .arg(midi.droppedInputBytes() - before));
    EXPECT_TRUE(dialogs.errors.isEmpty());
}

}  // namespace

// A place where the input fell behind breaks the message in flight (never joined to the next) and
// is told, though nobody knows how many bytes went.
TEST_F(InputLoss, AGapBreaksTheMessageInFlightAndIsTold) {
    const Bytes two = patternStream(2, kSize);
    midi.inject(in, std::span<const std::uint8_t>(two.data(), kSize + 300));
    midi.injectGap(in);
    midi.inject(in, std::span<const std::uint8_t>(two.data() + kSize + 300, kSize - 300));
    midi.inject(in, patternMessage(0, kSize));
    midi.flush(in);
    ASSERT_TRUE(pumpUntil([&] { return !dialogs.messages.isEmpty(); }, 5s));
    EXPECT_EQ(dialogs.messages, QStringList{QStringLiteral("受信中にデータが失われました")});
    ASSERT_TRUE(pumpUntil([&] { return form->list().count() == 2; }, 5s));
    for (int i = 0; i < form->list().count(); ++i) {
        EXPECT_EQ(form->list().length(i), static_cast<int>(kSize)) << "message " << i;
    }
}
