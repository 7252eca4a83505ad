#include "app/PellumApplication.h"

#include <QMessageBox>
#include <exception>

#include "core/ErrorText.h"

namespace pellum {

PellumApplication::PellumApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName("Pellum");
    setApplicationDisplayName("Pellum");
    setOrganizationName("VOSSEL");
}

void PellumApplication::setErrorHandler(std::function<void(const QString&)> handler) {
    errorHandler_ = std::move(handler);
}

bool PellumApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        const QString text = QString::fromStdString(withFullStop(e.what()));
        if (errorHandler_) {
            errorHandler_(text);
        } else {
            QMessageBox::critical(nullptr, applicationDisplayName(), text);
        }
        return false;
    }
}

}  // namespace pellum
