// Pellum's main sequence: the application (titled "Pellum"), the main window, the message loop.
#include <QStringList>

#include "app/Dialogs.h"
#include "app/MainSequence.h"
#include "app/PellumApplication.h"
#include "platform/NoticeWindow.h"
#include "platform/midi/SystemMidi.h"
#include "platform/registry/Registry.h"

int main(int argc, char** argv) {
    pellum::PellumApplication app(argc, argv);
    pellum::QtDialogs dialogs;
    app.setErrorHandler([&dialogs](const QString& text) { dialogs.error(text); });
    // A file to open, as a file manager or `pellum FILE.syx` names it.
    const QStringList arguments = app.arguments().mid(1);
    return pellum::runMainSequence(
        app, dialogs,
        {pellum::createUserRegistry, pellum::midi::createSystemMidiService,
         [] { return std::make_unique<pellum::NoticeWindow>(); }},
        arguments.isEmpty() ? QString() : arguments.front());
}
