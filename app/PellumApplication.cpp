#include "app/PellumApplication.h"

#include <QLocale>
#include <QMessageBox>
#include <exception>

#include "app/Language.h"
#include "core/text/ErrorText.h"

namespace pellum {

PellumApplication::PellumApplication(int& argc, char** argv) : QApplication(argc, argv) {
    setApplicationName("Pellum");
    setApplicationDisplayName("Pellum");
    setOrganizationName("VOSSEL");
    useUiLanguages(QLocale::system().uiLanguages());
}

void PellumApplication::setErrorHandler(std::function<void(const QString&)> handler) {
    errorHandler_ = std::move(handler);
}

void PellumApplication::showError(const std::exception& error) {
    const QString text = QString::fromStdString(withFullStop(error.what()));
    if (errorHandler_) {
        errorHandler_(text);
    } else {
        QMessageBox::critical(activeWindow(), applicationDisplayName(), text);
    }
}

bool PellumApplication::notify(QObject* receiver, QEvent* event) {
    try {
        return QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        showError(e);
        return false;
    }
}

void reportError(const std::exception& error) {
    if (auto* app = dynamic_cast<PellumApplication*>(QCoreApplication::instance())) {
        app->showError(error);
    } else {
        QMessageBox::critical(nullptr, "Pellum",
                              QString::fromStdString(withFullStop(error.what())));
    }
}

}  // namespace pellum
