// The window over the real ALSA sequencer, inside the ALSA test machine (scripts/alsa-vm): amidi
// writes 40 messages and one of 65,535 bytes at full speed into a virtual raw MIDI device, and the
// window chosen on its sequencer port captures every one whole.
#include <gtest/gtest.h>

#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <cstdlib>
#include <memory>

#include "app/Midimonp.h"
#include "app/PellumApplication.h"
#include "core/CaptureStore.h"
#include "platform/NoticeWindow.h"
#include "platform/midi/SystemMidi.h"
#include "platform/registry/RegFile.h"
#include "tests/app/RecordingDialogs.h"
#include "tests/app/EventLoop.h"
#include "tests/support/TempFiles.h"

namespace pellum {
namespace {

using namespace std::chrono_literals;

TEST(WindowOverAlsa, ADumpAtFullSpeedIsCapturedWhole) {
    const char* file = "/pellum/files/forty-and-big.syx";
    const test::Bytes expected = test::readBytes(file);
    ASSERT_FALSE(expected.empty());
    test::TempDir dir;
    test::RecordingDialogs dialogs;
    NoticeWindow notices;
    RegFileRegistry registry(dir.path() / "VOSSEL" / "Pellum.reg");
    auto service = midi::createSystemMidiService();
    TForm1 form(dialogs, *service, notices, registry);
    const int in = form.cmbInput->findText("VirMIDI 0-0", Qt::MatchContains);
    ASSERT_GT(in, 0);
    form.cmbInput->setCurrentIndex(in);
    emit form.cmbInput->activated(in);
    ASSERT_EQ(std::system("amidi -p hw:0,0 -s /pellum/files/forty-and-big.syx"), 0);
    ASSERT_TRUE(test::pumpUntil([&] { return form.store().count() >= 41; }, 60s))
        << form.store().count() << " of 41 captured";
    form.ForceMIDICH->setChecked(false);
    const std::string saved = dir.file("saved.syx");
    dialogs.answers.push_back(QString::fromStdString(saved));
    form.FileSave->trigger();
    EXPECT_TRUE(test::readBytes(saved) == expected);
    EXPECT_TRUE(dialogs.messages.isEmpty()) << dialogs.messages.join("; ").toStdString();
    EXPECT_EQ(service->droppedInputBytes(), 0u);
}

}  // namespace
}  // namespace pellum
