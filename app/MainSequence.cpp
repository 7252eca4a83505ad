#include "app/MainSequence.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <cstdlib>
#include <string>
#include <typeinfo>

#if defined(__GNUG__)
#include <cxxabi.h>
#endif

#include "app/AboutBox.h"
#include "app/Appearance.h"
#include "app/DesktopLinks.h"
#include "app/Dialogs.h"
#include "app/MainWindow.h"
#include "app/PellumApplication.h"
#include "core/text/ErrorText.h"
#include "platform/midi/MidiService.h"
#include "platform/midi/notices/NoticeSink.h"
#include "platform/registry/Registry.h"

namespace pellum {
namespace {

// The class as its declaration names it, without namespaces: "EMidiInputError".
std::string className(const std::exception& error) {
    std::string name = typeid(error).name();
#if defined(__GNUG__)
    int status = 0;
    if (char* plain = abi::__cxa_demangle(name.c_str(), nullptr, nullptr, &status)) {
        if (status == 0) name = plain;
        std::free(plain);
    }
#endif
    if (const auto space = name.rfind(' '); space != std::string::npos) name.erase(0, space + 1);
    if (const auto scope = name.rfind("::"); scope != std::string::npos) name.erase(0, scope + 2);
    return name;
}

}  // namespace

QString runtimeErrorText(const std::exception& error) {
    return QStringLiteral("Exception %1 in module %2.\n%3")
        .arg(QString::fromStdString(className(error)),
             QFileInfo(QCoreApplication::applicationFilePath()).fileName(),
             QString::fromStdString(withFullStop(error.what())));
}

int runMainSequence(PellumApplication& app, Dialogs& dialogs, const Services& services,
                    const QString& file) {
    try {
        installAppearance();
        const auto registry = services.registry();
        const auto midi = services.midi();
        const auto notices = services.notices();
        MainWindow form(dialogs, *midi, *notices, *registry);
        DesktopServicesLinks links;
        AboutBox about(links);  // hidden until Help, About asks for it
        form.aboutBox = &about;
        dialogs.setParent(&form);
        form.show();
        if (!file.isEmpty()) guarded([&] { form.openSyxFile(file); });
        const int code = app.exec();
        dialogs.setParent(nullptr);
        return code;
    } catch (const std::exception& error) {
        // The window, if there was one, is gone by now.
        dialogs.setParent(nullptr);
        dialogs.runtimeError(runtimeErrorText(error));
        return 1;
    }
}

}  // namespace pellum
