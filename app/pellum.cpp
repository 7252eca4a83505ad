// Pellum's main sequence: the application (titled "Pellum"), the main window, the message loop.
#include "app/Dialogs.h"
#include "app/Midimonp.h"
#include "app/PellumApplication.h"

int main(int argc, char** argv) {
    pellum::PellumApplication app(argc, argv);
    pellum::QtDialogs dialogs;
    app.setErrorHandler([&dialogs](const QString& text) { dialogs.error(text); });

    pellum::TForm1 form(dialogs);
    dialogs.setParent(&form);
    form.show();
    return app.exec();
}
