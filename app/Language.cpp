#include "app/Language.h"

#include <QCoreApplication>
#include <QTranslator>

#include "core/text/Texts.h"

namespace pellum {

void useUiLanguages(const QStringList& uiLanguages) {
    std::vector<std::string> tags;
    for (const QString& tag : uiLanguages) tags.push_back(tag.toStdString());
    const std::string language = chooseLanguage(tags);
    setLanguage(language);

    static QTranslator translator;
    QCoreApplication::removeTranslator(&translator);
    // The source texts are English: English loads only its plural forms, a language without a
    // translation loads none.
    if (translator.load(
            QStringLiteral(":/i18n/pellum_%1.qm").arg(QString::fromStdString(language))))
        QCoreApplication::installTranslator(&translator);
}

}  // namespace pellum
