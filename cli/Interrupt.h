// Ctrl+C, a terminal hang-up or a polite kill while pellum-cli listens: the signal only raises a
// flag, and the capture ends as if it had finished, saving what arrived.
#pragma once

namespace pellum::cli {

// From now on SIGINT, SIGTERM (and SIGHUP where it exists) raise the flag instead of ending the
// program.
void catchInterrupts();
// The signal that asked to stop, or 0.
int interrupted();
// "SIGINT", "SIGTERM", "SIGHUP".
const char* signalName(int signal);

}  // namespace pellum::cli
