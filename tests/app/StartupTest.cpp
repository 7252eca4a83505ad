// Start-up, device selection, the settings they keep, and the end of the program.
#include <QApplication>
#include <QComboBox>
#include <QFileInfo>
#include <QLabel>
#include <QListView>
#include <QRadioButton>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <cerrno>
#include <system_error>

#include "app/MainSequence.h"
#include "core/list/MessageList.h"
#include "device/InputDevice.h"
#include "tests/app/WindowFixture.h"

using namespace pellum;
using namespace pellum::test;

namespace {

const Bytes kIdentityRequest{0xF0, 0x7E, 0x7F, 0x06, 0x01, 0xF7};

class Startup : public WindowTest {};

}  // namespace

TEST_F(Startup, FirstStartCreatesTheKeyAndOpensNothing) {
    const auto out = midi.addOutput("Synth Out");
    start();
    EXPECT_TRUE(std::filesystem::exists(registry.file()));
    EXPECT_FALSE(setting("MIDI_IN"));  // the key exists, without values
    EXPECT_EQ(entries(ui(*form).inputList), QStringList{"(None)"});
    EXPECT_EQ(entries(ui(*form).outputList), (QStringList{"(None)", "Synth Out"}));
    EXPECT_EQ(ui(*form).inputList->currentIndex(), 0);
    EXPECT_EQ(ui(*form).outputList->currentIndex(), 0);
    EXPECT_FALSE(midi.isOutputOpen(out));
    EXPECT_TRUE(midi.sentMessages(out).empty());
    EXPECT_TRUE(dialogs.errors.isEmpty());
    EXPECT_EQ(form->cursor().shape(), Qt::ArrowCursor);
    EXPECT_EQ(ui(*form).vendorId->text(), "--");
}

TEST_F(Startup, SavedDevicesAreOpenedAndAskedWhoTheyAre) {
    addSavedSynth();
    setSetting("CFG_FILE", RegistryValue::string("/home/user/synth.cfg"));
    start();

    EXPECT_TRUE(dialogs.errors.isEmpty());
    EXPECT_EQ(ui(*form).inputList->currentText(), "Synth In");
    EXPECT_EQ(ui(*form).outputList->currentText(), "Synth Out");
    EXPECT_TRUE(midi.isInputOpen(in));
    EXPECT_TRUE(midi.isOutputOpen(out));
    EXPECT_EQ(midi.sentMessages(out), std::vector<Bytes>{kIdentityRequest});
    EXPECT_EQ(form->requestFilePath(), "/home/user/synth.cfg");

    // Started: what the instrument sends now is captured.
    midi.inject(in, {0xF0, 0x41, 0x10, 0x42, 0xF7});
    deliver(in);
    EXPECT_EQ(ui(*form).messageList->count(), 1);

    // Picking the same input again reopens it, resets the labels and asks again; the settings
    // are written back, the request file path untouched.
    ui(*form).globalChannel->setText("5");
    choose(ui(*form).inputList, 1);
    EXPECT_TRUE(midi.isInputOpen(in));
    EXPECT_EQ(ui(*form).globalChannel->text(), "--");
    EXPECT_EQ(midi.sentMessages(out).size(), 2u);
    EXPECT_EQ(setting("MIDI_IN")->data, Bytes{1});
    EXPECT_EQ(setting("MIDI_IN")->type, REG_BINARY);
    EXPECT_EQ(setting("CFG_FILE")->type, REG_SZ);
    EXPECT_EQ(settingText("CFG_FILE"), std::string("/home/user/synth.cfg") + '\0');

    // "(None)" as output: the port closes, 0 is saved, and the input is reopened.
    choose(ui(*form).outputList, 0);
    EXPECT_FALSE(midi.isOutputOpen(out));
    EXPECT_EQ(setting("MIDI_OUT")->data, Bytes{0});
    EXPECT_TRUE(midi.isInputOpen(in));
    EXPECT_EQ(midi.sentMessages(out).size(), 2u);  // the request found no port

    // "(None)" as input closes it and sends nothing.
    choose(ui(*form).inputList, 0);
    EXPECT_FALSE(midi.isInputOpen(in));
    EXPECT_EQ(setting("MIDI_IN")->data, Bytes{0});
    EXPECT_EQ(form->cursor().shape(), Qt::ArrowCursor);
}

TEST_F(Startup, ASavedOutputBeyondTheDevicesIsKeptQuietly) {
    const auto in = midi.addInput("In");
    midi.addOutput("Out A");
    midi.addOutput("Out B");
    setSetting("MIDI_OUT", RegistryValue::binary({3}));
    start();
    EXPECT_TRUE(dialogs.errors.isEmpty());
    EXPECT_EQ(ui(*form).outputList->currentIndex(), -1);
    EXPECT_FALSE(midi.isOutputOpen(0));
    EXPECT_FALSE(midi.isOutputOpen(1));

    choose(ui(*form).inputList, 1);
    EXPECT_TRUE(midi.isInputOpen(in));
    EXPECT_EQ(setting("MIDI_OUT")->data, Bytes{3});  // written back as it was
}

// The pacing last chosen comes back, one the window did not write is passed over, and an input
// saved by a name not listed is shown missing in the window's language.
TEST_F(Startup, SavedPacingComesBackAndAMissingInputIsShownInTheWindowsLanguage) {
    midi.addInput("In");
    setSetting("MIDI_IN_NAME", RegistryValue::string("Gone Synth"));
    const struct {
        RegistryValue automatic, speed;
        bool autoChecked;
        int position;
    } cases[] = {{RegistryValue::binary({1}), RegistryValue::binary({2}), true, 2},
                 {RegistryValue::string("1"), RegistryValue::binary({12}), false, 5}};
    for (const auto& c : cases) {
        setSetting("SEND_AUTO", c.automatic);
        setSetting("SEND_SPEED", c.speed);
        start();
        EXPECT_TRUE(dialogs.errors.isEmpty());
        EXPECT_EQ(ui(*form).autoSpeed->isChecked(), c.autoChecked);
        EXPECT_EQ(ui(*form).sendSpeed->value(), c.position);
        EXPECT_EQ(ui(*form).sendSpeed->isEnabled(), !c.autoChecked);
        EXPECT_EQ(ui(*form).inputList->currentIndex(), -1);
        EXPECT_EQ(ui(*form).inputList->placeholderText(), "(見つかりません) Gone Synth");
        EXPECT_EQ(ui(*form).outputList->itemText(0), "(None)");
    }
}

TEST_F(Startup, ASavedInputBeyondTheDevicesStopsStartUp) {
    midi.addInput("In A");
    midi.addInput("In B");
    const auto out = midi.addOutput("Out");
    setSetting("MIDI_IN", RegistryValue::binary({3}));
    setSetting("MIDI_OUT", RegistryValue::binary({1}));
    start();
    EXPECT_EQ(dialogs.errors, QStringList{"Invalid device ID."});
    EXPECT_EQ(ui(*form).inputList->currentIndex(), 0);
    EXPECT_EQ(ui(*form).outputList->currentIndex(), -1);
    EXPECT_FALSE(midi.isOutputOpen(out));
    EXPECT_FALSE(midi.isInputOpen(0));
    EXPECT_FALSE(midi.isInputOpen(1));
    EXPECT_TRUE(midi.sentMessages(out).empty());
    // openDevices never ran: the labels keep their layout captions, and the hourglass stays.
    EXPECT_EQ(ui(*form).vendorId->text(), "00H");
    EXPECT_EQ(ui(*form).systemVersion->text(), "00");
    EXPECT_EQ(form->cursor().shape(), Qt::WaitCursor);
}

TEST_F(Startup, WrongSettingTypesAreReportedByName) {
    const auto in = midi.addInput("In");
    midi.addOutput("Out");
    // A DWORD is wrong, two bytes as wrong; a string where the path belongs is too; an empty
    // binary is simply no setting. Each case starts from a saved input of 1, which a wrong
    // value keeps closed because start-up stops.
    struct Case {
        const char* name;
        RegistryValue value;
        const char* error;
        int input;  // the input entry start-up ends on
    };
    const Case cases[] = {
        {"MIDI_IN", RegistryValue::dword(1), "'MIDI_IN' のデータ型が不正です.", 0},
        {"MIDI_OUT", RegistryValue::binary({1, 0}), "'MIDI_OUT' のデータ型が不正です.", 0},
        {"MIDI_OUT", RegistryValue::string("1"), "'MIDI_OUT' のデータ型が不正です.", 0},
        {"CFG_FILE", RegistryValue::dword(7), "'CFG_FILE' のデータ型が不正です.", 0},
        {"MIDI_IN", RegistryValue::binary({}), nullptr, 0},
        {"MIDI_IN", RegistryValue{REG_NONE, {1}}, nullptr, 1},  // other types are taken
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::remove(registry.file());
        setSetting("MIDI_IN", RegistryValue::binary({1}));
        setSetting(c.name, c.value);
        dialogs.errors.clear();
        start();
        EXPECT_EQ(dialogs.errors, c.error ? QStringList{c.error} : QStringList{});
        EXPECT_EQ(entries(ui(*form).inputList), (QStringList{"(None)", "In"}));
        EXPECT_EQ(entries(ui(*form).outputList), (QStringList{"(None)", "Out"}));
        EXPECT_EQ(ui(*form).inputList->currentIndex(), c.input);
        EXPECT_EQ(midi.isInputOpen(in), c.input == 1);
        EXPECT_FALSE(midi.isOutputOpen(0));
        form.reset();
    }
}

TEST_F(Startup, UnreadableSettingsNeverStopTheWindow) {
    midi.addInput("In");
    std::filesystem::create_directories(registry.file().parent_path());
    writeText(registry.file().string(),
              "[HKEY_CURRENT_USER\\SOFTWARE\\VOSSEL\\Pellum]\n\"MIDI_IN\"=hex:z\n");
    start();
    EXPECT_EQ(dialogs.errors, QStringList{"'MIDI_IN' の取得に失敗しました."});
    EXPECT_EQ(entries(ui(*form).inputList), (QStringList{"(None)", "In"}));
    // Choosing a device repairs the setting.
    choose(ui(*form).inputList, 1);
    EXPECT_EQ(setting("MIDI_IN")->data, Bytes{1});
}

TEST_F(Startup, TwoInputsOfOneNameOpenTheFirst) {
    const auto first = midi.addInput("Twin");
    const auto second = midi.addInput("Twin");
    start();
    choose(ui(*form).inputList, 2);
    EXPECT_TRUE(midi.isInputOpen(first));
    EXPECT_FALSE(midi.isInputOpen(second));
}

TEST_F(Startup, WithoutAnyMidiDeviceTheWindowStillWorks) {
    start();
    EXPECT_TRUE(dialogs.errors.isEmpty());
    EXPECT_EQ(entries(ui(*form).inputList), QStringList{"(None)"});
    EXPECT_EQ(entries(ui(*form).outputList), QStringList{"(None)"});
    const std::string path = dir.file("a.syx");
    writeBytes(path, {0xF0, 0x43, 0x10, 0xF7});
    dialogs.answers.push_back(QString::fromStdString(path));
    ui(*form).openAction->trigger();
    EXPECT_EQ(ui(*form).messageList->count(), 1);
}

TEST_F(Startup, ExitEndsTheLoopAndTeardownClosesTheInput) {
    const auto in = midi.addInput("In");
    setSetting("MIDI_IN", RegistryValue::binary({1}));
    // F10 on the shown window asks the loop to end, and so does the exit button; the window is
    // not closed on this path.
    for (const bool button : {false, true}) {
        SCOPED_TRACE(button ? "exit button" : "F10");
        start();
        ASSERT_TRUE(midi.isInputOpen(in));
        if (!button) form->show();
        ASSERT_TRUE(button || QTest::qWaitForWindowActive(form.get()));
        QTimer::singleShot(0, form.get(), [this, button] {
            if (button) QTest::mouseClick(ui(*form).exitButton, Qt::LeftButton);
            if (!button) QTest::keyClick(form.get(), Qt::Key_F10);
        });
        bool timedOut = false;
        QTimer::singleShot(10000, form.get(), [&] {
            timedOut = true;
            QCoreApplication::exit(1);
        });
        EXPECT_EQ(QCoreApplication::exec(), 0);
        EXPECT_FALSE(timedOut);
        EXPECT_TRUE(midi.isInputOpen(in));
        form.reset();
        EXPECT_FALSE(midi.isInputOpen(in));
    }

    // Closing the window closes the input at once.
    start();
    form->show();
    form->close();
    EXPECT_FALSE(midi.isInputOpen(in));
}

TEST_F(Startup, AnErrorEscapingTheMainSequenceShowsTheRunTimeBoxAndEndsWith1) {
    const auto registryFile = registry.file();
    const auto makeRegistry = [&] { return std::make_unique<RegFileRegistry>(registryFile); };
    const auto withInput = [] {
        auto service = std::make_unique<midi::LoopbackMidi>();
        service->addInput("Synth In");
        return service;
    };
    const auto makeNotices = [] { return std::make_unique<NoticeWindow>(); };
    const QString module = QFileInfo(QCoreApplication::applicationFilePath()).fileName();

    // The input device cannot read its device's name.
    const auto failingDriver = [&] {
        auto service = withInput();
        service->failNextCall(midi::LoopbackMidi::Call::midiInGetDevCapsA, midi::MMSYSERR_NOMEM);
        return service;
    };
    // No descriptor left for the notice window's pipe: what its constructor then throws.
    const auto noDescriptors = []() -> std::unique_ptr<NoticeWindow> {
        throw std::system_error(EMFILE, std::generic_category(), "notice pipe");
    };
    struct Case {
        Services services;
        QString text;
    };
    const Case cases[] = {
        {{makeRegistry, failingDriver, makeNotices},
         "Exception EMidiInputError in module " + module +
             ".\nThere is not enough memory available for this task."},
        {{makeRegistry, withInput, noDescriptors},
         "Exception system_error in module " + module + ".\nnotice pipe: Too many open files."},
    };
    for (const Case& c : cases) {
        dialogs.runtimeErrors.clear();
        EXPECT_EQ(runMainSequence(*app(), dialogs, c.services), 1);
        EXPECT_EQ(dialogs.runtimeErrors, QStringList{c.text});
        EXPECT_TRUE(dialogs.errors.isEmpty());
    }

    // Without an error the loop's own code is the program's. A file named for the program is
    // in the list when the window shows.
    dialogs.runtimeErrors.clear();
    test::writeBytes(dir.file("two.syx"), {0xF0, 0x41, 0xF7, 0xF0, 0x43, 0xF7});
    int listed = -1;
    QTimer::singleShot(0, [&] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* window = qobject_cast<MainWindow*>(w))
                listed = ui(*window).messageList->count();
        QCoreApplication::exit(0);
    });
    EXPECT_EQ(runMainSequence(*app(), dialogs, {makeRegistry, withInput, makeNotices},
                              QString::fromStdString(dir.file("two.syx"))),
              0);
    EXPECT_EQ(listed, 2);
    EXPECT_TRUE(dialogs.runtimeErrors.isEmpty());
}

TEST_F(Startup, ASettingsFileThatIsNotOursIsLeftAsItWasAndStartUpGoesOn) {
    const std::string header =
        "Windows Registry Editor Version 5.00\r\n\r\n"
        "[HKEY_CURRENT_USER\\SOFTWARE\\VOSSEL\\Pellum]\r\n";
    const std::string saved = header + "\"MIDI_OUT\"=hex:01\r\n";
    Bytes utf16NoMark;
    for (char c : saved) utf16NoMark.insert(utf16NoMark.end(), {static_cast<std::uint8_t>(c), 0});
    Bytes binary;
    for (int i = 0; i < 4096; ++i) binary.push_back(static_cast<std::uint8_t>(i * 37 % 251));
    Bytes huge(saved.begin(), saved.end());
    const std::string filler = "; " + std::string(1000, 'x') + "\r\n";
    while (huge.size() < 10'000'000) huge.insert(huge.end(), filler.begin(), filler.end());

    struct Case {
        const char* what;
        Bytes file;
        const char* startError;  // shown at start-up, none when null
        bool outputOpened;       // the saved output was taken
        bool refusesSaves;       // a device change reports the file cannot be written
    };
    const Case cases[] = {
        {"cut inside the header", Bytes(saved.begin(), saved.begin() + 20), nullptr, false, true},
        {"cut inside a value", Bytes(saved.begin(), saved.end() - 5),
         "'MIDI_OUT' の取得に失敗しました.", false, false},
        {"binary", binary, nullptr, false, true},
        {"UTF-16 without its mark", utf16NoMark, nullptr, true, false},
        {"10 MB", huge, nullptr, false, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir folder;  // a fresh loopback service and settings file for each case
        midi::LoopbackMidi devices;
        const auto out = devices.addOutput("Out");
        RegFileRegistry settings(folder.path() / "Pellum.reg");
        writeBytes(settings.file().string(), c.file);
        dialogs.errors.clear();
        MainWindow window(dialogs, devices, notices, settings);

        EXPECT_EQ(dialogs.errors, c.startError ? QStringList{c.startError} : QStringList{});
        EXPECT_EQ(devices.isOutputOpen(out), c.outputOpened);
        EXPECT_EQ(readBytes(settings.file().string()), c.file) << "start-up changed the file";
        if (!c.startError) {
            // Start-up ran to its end with the settings it could take.
            EXPECT_EQ(ui(window).vendorId->text(), "--");
            EXPECT_EQ(window.cursor().shape(), Qt::ArrowCursor);
            EXPECT_EQ(ui(window).inputList->currentIndex(), 0);
        }
        if (!c.refusesSaves) continue;
        // Choosing an output saves the settings: the file is not ours to overwrite.
        choose(ui(window).outputList, 1);
        EXPECT_EQ(dialogs.errors, QStringList{"'MIDI_IN' の設定に失敗しました."});
        EXPECT_EQ(readBytes(settings.file().string()), c.file) << "a save changed the file";
    }
}
