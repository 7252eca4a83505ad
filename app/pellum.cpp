// Pellum's main sequence: the application (titled "Pellum"), the main window, the message loop.
#include "app/Dialogs.h"
#include "app/Midimonp.h"
#include "app/PellumApplication.h"
#include "platform/NoticeWindow.h"
#include "platform/midi/SystemMidi.h"
#include "platform/registry/Registry.h"

int main(int argc, char** argv) {
    pellum::PellumApplication app(argc, argv);
    pellum::QtDialogs dialogs;
    app.setErrorHandler([&dialogs](const QString& text) { dialogs.error(text); });

    const auto registry = pellum::createUserRegistry();
    const auto midi = pellum::midi::createSystemMidiService();
    pellum::NoticeWindow notices;
    pellum::TForm1 form(dialogs, *midi, notices, *registry);
    dialogs.setParent(&form);
    form.show();
    return app.exec();
}
