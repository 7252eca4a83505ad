// The window over the real ALSA sequencer, inside the ALSA test machine (scripts/alsa-vm): amidi
// writes 40 messages and one of 65,535 bytes at full speed into a virtual raw MIDI device, and the
// window chosen on its sequencer port captures every one whole.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <cstdlib>

#include "core/list/MessageList.h"
#include "tests/app/WindowFixture.h"

namespace pellum {
namespace {

using namespace std::chrono_literals;

class WindowOverAlsa : public ::testing::Test,
                       protected test::WithTempDir,
                       protected test::WindowHarness {
protected:
    WindowOverAlsa() : WindowHarness(dir.path()) {}
};

TEST_F(WindowOverAlsa, ADumpAtFullSpeedIsCapturedWhole) {
    const char* file = "/pellum/files/forty-and-big.syx";
    const test::Bytes expected = test::readBytes(file);
    ASSERT_FALSE(expected.empty());
    MainWindow& form = startOnSystem();
    const int in = ui(form).inputList->findText("VirMIDI 0-0", Qt::MatchContains);
    ASSERT_GT(in, 0);
    test::choose(ui(form).inputList, in);
    ASSERT_EQ(std::system("amidi -p hw:0,0 -s /pellum/files/forty-and-big.syx"), 0);
    ASSERT_TRUE(test::pumpUntil([&] { return form.list().count() >= 41; }, 60s))
        << form.list().count() << " of 41 captured";
    const std::string saved = dir.file("saved.syx");
    dialogs.answers.push_back(QString::fromStdString(saved));
    ui(form).saveAction->trigger();
    EXPECT_TRUE(test::readBytes(saved) == expected);
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join("; ").toStdString();
    EXPECT_EQ(service->droppedInputBytes(), 0u);
}

}  // namespace
}  // namespace pellum
