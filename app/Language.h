// The window's language: the first of the user's UI languages Pellum has texts for, English
// when there is none. The window's texts come from its embedded Qt translation, the texts it
// shares with pellum-cli from core/'s table; both follow the same choice.
#pragma once

#include <QStringList>

namespace pellum {

// Chooses from `uiLanguages` (most wanted first, as QLocale::uiLanguages gives them) and
// installs that translation in place of the one before. Windows built afterwards use it.
void useUiLanguages(const QStringList& uiLanguages);

}  // namespace pellum
