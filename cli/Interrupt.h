// Ctrl+C, a terminal hang-up or a polite kill while pellum-cli listens: the signal only raises a
// flag, and the capture ends as if it had finished, saving what arrived.
#pragma once

namespace pellum::cli {

// From now on SIGINT, SIGTERM (and SIGHUP where it exists) raise the flag instead of ending the
// program, and SIGCONT is counted.
void catchInterrupts();
// The signal that asked to stop, or 0.
int interrupted();
// How often the program was continued after being stopped (Ctrl+Z and fg, SIGSTOP and SIGCONT).
// Time spent stopped is not quiet: the device may have sent all along, into the system's queue.
int resumptions();
// "SIGINT", "SIGTERM", "SIGHUP".
const char* signalName(int signal);

}  // namespace pellum::cli
