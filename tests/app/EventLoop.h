// The window tests' way of waiting and choosing: the Qt event loop runs until a condition holds,
// and a drop-down list is picked from as the user picks.
#pragma once

#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <chrono>
#include <functional>
#include <string>

namespace pellum::test {

// Runs the event loop until `done` holds; false when `limit` passed first.
inline bool pumpUntil(const std::function<bool()>& done,
                      std::chrono::milliseconds limit = std::chrono::seconds(10)) {
    QElapsedTimer clock;
    clock.start();
    while (!done()) {
        if (clock.elapsed() > limit.count()) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

// What the drop-down list does when the user picks entry `index`, the current one included.
inline void choose(QComboBox* combo, int index) {
    combo->setCurrentIndex(index);
    emit combo->activated(index);
}

// Picks the entry named `name`; false, picking nothing, when the list has none.
inline bool choose(QComboBox* combo, const std::string& name) {
    const int index = combo->findText(QString::fromStdString(name));
    if (index < 0) return false;
    choose(combo, index);
    return true;
}

}  // namespace pellum::test
