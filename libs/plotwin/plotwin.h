// plotwin: the A/D graph component, an eight-channel strip chart in the panel's process.
//
// Start-up prepares it (GraphInitialize, GraphDataClear, one GraphSetParameter per channel),
// the A/D panel shows it (GraphOpen) and feeds it (GraphPutData), and start-up ends it
// (GraphTerminate) after the panel has closed. Every call is accepted in any order, also
// without a prior GraphInitialize. Results are 0; callers do not use them.
//
// Every call is also recorded in a call trace (the most recent calls, one line each) that
// GraphCallTrace returns, so the order of the calls can be checked.
#pragma once

#ifdef __cplusplus
extern "C" {
#endif

// channels: number of channels (8); a, b: display parameters (500, 20001); iniPath: the
// component's own settings file.
int GraphInitialize(int channels, int a, int b, const char* iniPath);
int GraphDataClear(void);
// ch: graph channel 1..8; com: the COM number of the box; name: the channel's label.
int GraphSetParameter(int ch, int com, const char* name, int a, int b);
// Shows the graph window (again).
int GraphOpen(void);
// Appends count samples from values to channel ch (1..8); the panel passes one voltage, 1, 1.
int GraphPutData(int ch, const double* values, int count, int step);
int GraphTerminate(void);

// The call trace: one line per call, "\n"-terminated, for example
// "GraphInitialize 8 500 20001 /path/ADg5.ini". Copies as much as fits (cut at a line end)
// into buf with a terminating 0 and returns the length of the whole trace in bytes.
int GraphCallTrace(char* buf, int size);
// Forgets the trace.
void GraphCallTraceClear(void);

#ifdef __cplusplus
}
#endif
