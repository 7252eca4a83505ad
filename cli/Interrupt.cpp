// The stop flag behind catchInterrupts().
#include "cli/Interrupt.h"

#include <csignal>

namespace pellum::cli {

namespace {

volatile std::sig_atomic_t stopSignal = 0;

volatile std::sig_atomic_t resumed = 0;

extern "C" void raiseStop(int signal) {
    stopSignal = signal;
}

extern "C" void countResume(int) {
    resumed = resumed + 1;
}

}  // namespace

void catchInterrupts() {
    std::signal(SIGINT, raiseStop);
    std::signal(SIGTERM, raiseStop);
#if defined(SIGHUP)
    std::signal(SIGHUP, raiseStop);
#endif
#if defined(SIGCONT)
    std::signal(SIGCONT, countResume);
#endif
}

int interrupted() {
    return stopSignal;
}

int resumptions() {
    return resumed;
}

const char* signalName(int signal) {
    switch (signal) {
        case SIGINT: return "SIGINT";
        case SIGTERM: return "SIGTERM";
#if defined(SIGHUP)
        case SIGHUP: return "SIGHUP";
#endif
        default: return "a signal";
    }
}

}  // namespace pellum::cli
