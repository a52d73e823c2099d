// plotwin: the A/D graph component, an eight-channel strip chart in the panel's process.
//
// Start-up prepares it (GraphInitialize, GraphDataClear, one GraphSetParameter per channel),
// the A/D panel shows it (GraphOpen) and feeds it (GraphPutData), and start-up ends it
// (GraphTerminate) after the panel has closed. Every call is accepted in any order, also
// without a prior GraphInitialize (eight channels of 20001 samples then, and no settings file).
// The calls belong on the thread of the QApplication; without a QApplication, or from another
// thread, they show nothing and keep nothing. Results are 0; callers do not use them.
//
// Every call is also recorded in a call trace (the most recent calls, one line each) that
// GraphCallTrace returns, so the order of the calls can be checked.
#pragma once

#ifdef __cplusplus
extern "C" {
#endif

// channels: number of channels (1..8, 8 otherwise); a: refresh interval of the window in ms
// (500); b: samples kept per channel (20001), the oldest going first; iniPath: the component's
// own settings file, where the window keeps its placement ([Window] Left, Top, Width, Height)
// and the channels the user has hidden ([Channels] Shown1..Shown8, 0 hidden); a is also the
// time between two samples in the CSV export. Calling it again starts afresh with the new
// values.
int GraphInitialize(int channels, int a, int b, const char* iniPath);
// Empties every channel.
int GraphDataClear(void);
// ch: graph channel 1..8; com: the COM number of the box (shown in the title); name: the
// channel's label (a null name keeps the old one); a: not used (500); b: 0 hides the channel,
// anything else shows it (1) unless the user has hidden it in the window.
int GraphSetParameter(int ch, int com, const char* name, int a, int b);
// Shows the graph window, or brings it to the front.
int GraphOpen(void);
// Appends count samples to channel ch (1..8), taking every step-th value of values (step < 1
// counts as 1); values that are not finite are left out. The panel passes one voltage, 1, 1.
int GraphPutData(int ch, const double* values, int count, int step);
// Saves the window's placement, closes the window and forgets all samples and parameters.
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
