// Pellum's main sequence: the platform's services, the main window and the message loop. An
// error that escapes it, before the loop runs or after, is shown in the run-time error box and
// ends the program with exit code 1.
#pragma once

#include <QString>
#include <exception>
#include <functional>
#include <memory>

namespace pellum {

namespace midi {
class MidiService;
class NoticeSink;
}  // namespace midi

class Dialogs;
class PellumApplication;
class Registry;

// What the main sequence opens, in this order; the program passes the system's own.
struct Services {
    std::function<std::unique_ptr<Registry>()> registry;
    std::function<std::unique_ptr<midi::MidiService>()> midi;
    std::function<std::unique_ptr<midi::NoticeSink>()> notices;
};

// Returns the program's exit code. `file`, when given (the program's argument, as a file
// manager passes it), is opened once the window shows, as Open would open it.
int runMainSequence(PellumApplication& app, Dialogs& dialogs, const Services& services,
                    const QString& file = {});

// The run-time error box's text: the exception's class and its message.
QString runtimeErrorText(const std::exception& error);

}  // namespace pellum
