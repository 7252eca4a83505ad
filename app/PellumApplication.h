// The application object. Handlers report failures by throwing; this is the one place that
// catches them, shows the standard error box and lets the program go on.
#pragma once

#include <QApplication>
#include <functional>

namespace pellum {

class PellumApplication : public QApplication {
  public:
    PellumApplication(int& argc, char** argv);

    // Receives the worded message of every error that escapes a handler.
    void setErrorHandler(std::function<void(const QString&)> handler);

    bool notify(QObject* receiver, QEvent* event) override;

  private:
    std::function<void(const QString&)> errorHandler_;
};

}  // namespace pellum
