// The application object and the error convention. Handlers report failures by throwing an
// exception that carries the user's message. Qt itself is built without exceptions, so none may
// unwind through its frames: every handler the window connects is wrapped by `handler()`, which
// catches at the handler's own edge and hands the error to the application's one error box.
// `notify` stays as a last net for anything that escapes an event handler of ours.
#pragma once

#include <QApplication>
#include <exception>
#include <functional>

namespace pellum {

class PellumApplication : public QApplication {
public:
    PellumApplication(int& argc, char** argv);

    // Receives the worded message of every error that escapes a handler (tests record it).
    void setErrorHandler(std::function<void(const QString&)> handler);

    // The standard error box: caption "Pellum", error icon, OK, the full-stop rule.
    void showError(const std::exception& error);

    bool notify(QObject* receiver, QEvent* event) override;

private:
    std::function<void(const QString&)> errorHandler_;
};

// Shows `error` through the running application's error box.
void reportError(const std::exception& error);

// Runs `body`, reporting what it throws; the rest of the handler is skipped, the program goes on.
template <typename Body>
void guarded(Body&& body) noexcept {
    try {
        body();
    } catch (const std::exception& e) {
        reportError(e);
    }
}

// A slot for connect(): the member handler `method` of `object`, guarded.
template <typename Object>
auto handler(Object* object, void (Object::*method)()) {
    return [object, method] { guarded([&] { (object->*method)(); }); };
}

}  // namespace pellum
