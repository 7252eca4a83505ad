// The main window as the program builds it, over the loopback MIDI service, a settings file in
// a temporary folder and dialogs that record instead of blocking. Tests set devices and
// settings up first, then start() runs the window's start-up.
#pragma once

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QListWidget>
#include <QTest>
#include <functional>
#include <memory>

#include "app/Midimonp.h"
#include "app/PellumApplication.h"
#include "platform/NoticeWindow.h"
#include "platform/midi/loopback/LoopbackMidi.h"
#include "platform/registry/RegFile.h"
#include "tests/app/RecordingDialogs.h"
#include "tests/support/TempFiles.h"

namespace pellum::test {

// The texts of a list's lines, top to bottom.
inline QStringList lines(const QListWidget* list) {
    QStringList texts;
    for (int i = 0; i < list->count(); ++i) texts << list->item(i)->text();
    return texts;
}

// A click on line `row` of a list, as the mouse gives it.
inline void clickLine(QListWidget* list, int row) {
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(row)).center());
}

class WindowTest : public ::testing::Test {
protected:
    WindowTest() : registry(dir.path() / "VOSSEL" / "Pellum.reg") {
        app()->setErrorHandler([this](const QString& text) { dialogs.errors << text; });
    }
    ~WindowTest() override {
        form.reset();
        app()->setErrorHandler(nullptr);
    }

    static PellumApplication* app() { return static_cast<PellumApplication*>(qApp); }

    TForm1& start() {
        form = std::make_unique<TForm1>(dialogs, midi, notices, registry);
        return *form;
    }

    void setSetting(const std::string& name, const RegistryValue& value) {
        registry.openOrCreateKey(TForm1::kRegistryKey)->write(name, value);
    }
    std::optional<RegistryValue> setting(const std::string& name) {
        return registry.openOrCreateKey(TForm1::kRegistryKey)->read(name);
    }

    // Runs the event loop until `done` holds; false after a generous timeout.
    static bool pumpUntil(const std::function<bool()>& done, int timeoutMs = 10000) {
        QElapsedTimer clock;
        clock.start();
        while (!done()) {
            if (clock.elapsed() > timeoutMs) return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        }
        return true;
    }
    // Delivers everything injected into `input` and lets the window handle the notices.
    void deliver(std::uint32_t input) {
        midi.flush(input);
        for (int i = 0; i < 5; ++i) QCoreApplication::processEvents();
    }

    TempDir dir;
    RecordingDialogs dialogs;
    midi::LoopbackMidi midi;
    NoticeWindow notices;
    RegFileRegistry registry;
    std::unique_ptr<TForm1> form;
};

}  // namespace pellum::test
