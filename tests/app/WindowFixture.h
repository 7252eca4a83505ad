// The main window as the program builds it, over the loopback MIDI service, a settings file in
// a temporary folder and dialogs that record instead of blocking. Tests set devices and
// settings up first, then start() runs the window's start-up.
#pragma once

#include <gtest/gtest.h>

#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QListView>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>
#include <filesystem>
#include <memory>
#include <optional>

#include "app/DesktopLinks.h"
#include "app/MainWindow.h"
#include "app/PellumApplication.h"
#include "core/list/MessageList.h"
#include "platform/NoticeWindow.h"
#include "platform/midi/SystemMidi.h"
#include "platform/registry/RegFile.h"
#include "tests/app/EventLoop.h"
#include "tests/app/RecordingDialogs.h"
#include "tests/app/WindowControls.h"
#include "tests/support/TempFiles.h"
#include "tests/support/loopback/LoopbackMidi.h"

namespace pellum::test {

// The texts of a list's lines, top to bottom.
inline QStringList lines(const ListBox* list) {
    QStringList texts;
    for (int i = 0; i < list->count(); ++i) texts << list->lineText(i);
    return texts;
}

// Line `row`'s tip: the checksum's verdict on a marked line, empty on others.
inline QString lineTip(const ListBox* list, int row) {
    return list->model()->index(row, 0).data(Qt::ToolTipRole).toString();
}

// The texts of a combo box's entries, top to bottom.
inline QStringList entries(const QComboBox* combo) {
    QStringList texts;
    for (int i = 0; i < combo->count(); ++i) texts << combo->itemText(i);
    return texts;
}

// Message `k` of `list`.
inline Bytes stored(const MessageList& list, int k) {
    const auto message = list.message(k);
    return Bytes(message.begin(), message.end());
}

// A click on line `row` of a list, as the mouse gives it.
inline void clickLine(ListBox* list, int row) {
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, list->lineRect(row).center());
}

// Records the addresses the About box would open instead of opening them.
struct RecordingLinks : DesktopLinks {
    QList<QUrl> opened;
    void open(const QUrl& address) override { opened << address; }
};

// The main window over any MIDI service, settings in `settingsFolder`, recording dialogs, and
// every error box recorded in `dialogs.errors`.
class WindowHarness {
protected:
    explicit WindowHarness(const std::filesystem::path& settingsFolder)
        : registry(settingsFolder / "VOSSEL" / "Pellum.reg") {
        app()->setErrorHandler([this](const QString& text) { dialogs.errors << text; });
    }
    ~WindowHarness() {
        form.reset();
        service.reset();
        app()->setErrorHandler(nullptr);
    }

    static PellumApplication* app() { return static_cast<PellumApplication*>(qApp); }

    // The window as the program starts it, on `midi`.
    MainWindow& startOn(midi::MidiService& midi) {
        form.reset();
        form = std::make_unique<MainWindow>(dialogs, midi, notices, registry);
        return *form;
    }
    // The window as the program starts it, on the machine's own MIDI service.
    MainWindow& startOnSystem() {
        form.reset();
        service = midi::createSystemMidiService();
        return startOn(*service);
    }
    void setSetting(const std::string& name, const RegistryValue& value) {
        registry.openOrCreateKey(MainWindow::kRegistryKey)->write(name, value);
    }
    std::optional<RegistryValue> setting(const std::string& name) {
        return registry.openOrCreateKey(MainWindow::kRegistryKey)->read(name);
    }
    // A setting's bytes as text, "(absent)" when there is none.
    std::string settingText(const std::string& name) {
        const auto value = setting(name);
        return value ? std::string(value->data.begin(), value->data.end()) : "(absent)";
    }
    // The Receive tab's seven values, top to bottom.
    QStringList identityShown() const {
        QStringList texts;
        for (const QLabel* l : {ui(*form).globalChannel, ui(*form).vendorName, ui(*form).vendorId,
                                ui(*form).machineName, ui(*form).machineId, ui(*form).systemVersion,
                                ui(*form).softwareVersion})
            texts << l->text();
        return texts;
    }

    RecordingDialogs dialogs;
    NoticeWindow notices;
    RegFileRegistry registry;
    std::unique_ptr<midi::MidiService> service;  // when the harness owns the window's service
    std::unique_ptr<MainWindow> form;
};

struct WithTempDir {
    TempDir dir;
};

// Over the loopback service: tests set devices and settings up first, then start() runs the
// window's start-up.
class WindowTest : public ::testing::Test, protected WithTempDir, protected WindowHarness {
protected:
    WindowTest() : WindowHarness(dir.path()) {}
    ~WindowTest() override { form.reset(); }

    MainWindow& start() { return startOn(midi); }
    // An instrument, "Synth In" and "Synth Out", saved as the window's input and output.
    void addSavedSynth(std::size_t ringBytes = pellum::midi::InputPump::kDefaultRingBytes) {
        in = midi.addInput("Synth In", ringBytes);
        out = midi.addOutput("Synth Out");
        setSetting("MIDI_IN", RegistryValue::binary({1}));
        setSetting("MIDI_OUT", RegistryValue::binary({1}));
    }
    // What the synth's output was sent after the first `sentBefore` messages.
    std::vector<Bytes> sent() const {
        const auto all = midi.sentMessages(out);
        return {all.begin() + static_cast<std::ptrdiff_t>(sentBefore), all.end()};
    }
    // Delivers everything injected into `input` and lets the window handle the notices.
    void deliver(std::uint32_t input) {
        midi.flush(input);
        for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
    }
    // A click on tab `index`, as the mouse gives it.
    void clickTab(int index) {
        QTabBar* bar = ui(*form).tabs->tabBar();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(index).center());
    }
    // A .syx file in the temporary folder, opened through the tool bar as a user would.
    void openThroughToolBar(const Bytes& content, const std::string& name = "in.syx") {
        writeBytes(dir.file(name), content);
        dialogs.answers.push_back(QString::fromStdString(dir.file(name)));
        QTest::mouseClick(ui(*form).openButton, Qt::LeftButton);
    }
    // Fills the list with `count` loaded messages F0 43 00 F7, as a file brings them.
    void fillList(int count) {
        Bytes file;
        for (int i = 0; i < count; ++i) file.insert(file.end(), {0xF0, 0x43, 0x00, 0xF7});
        writeBytes(dir.file("fill.syx"), file);
        form->openSyxFile(QString::fromStdString(dir.file("fill.syx")));
    }

    midi::LoopbackMidi midi;
    std::uint32_t in = 0, out = 0;  // the synth's, once added
    std::size_t sentBefore = 0;
};

}  // namespace pellum::test
