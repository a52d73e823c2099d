// Ending a --follow or --watch run: SIGINT, SIGTERM and SIGHUP only note that the run is to end,
// so the current line is completed, the port closed and the output flushed before qvx exits 0.
// A reader of standard output that went away ends the run the same way.
#pragma once

#include <chrono>

// Installs the handlers (for the rest of the process). Before that, the signals keep their
// default actions, so a one-shot command is ended by Ctrl-C at once.
void CatchStopSignals();

// True once a stop signal came or standard output's reader went away.
bool StopAsked();

// Sleeps until end, or less when a stop is asked meanwhile. False when stopped.
bool SleepUntilUnlessStopped(std::chrono::steady_clock::time_point end);
