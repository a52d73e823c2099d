// The operation log of the launcher window (control 1001): time-stamped lines in an editable
// multi-line text widget, at most 301 lines, and the posted path by which texts from any thread
// reach it.
#pragma once

#include <cstdint>

class QObject;
class QPlainTextEdit;

// Appends "stamp  text" as one line, after removing the oldest lines beyond 300. The stamp is
// the local time now. Lines typed into the widget count like any other. Window thread only.
void AppendLog(QPlainTextEdit* log, const char* text);

// Copies text into the next slot of the process's posted-text ring and posts WM_USER+100 with
// wParam 0 and the slot's address to window. Any thread; never waits, allocates no text.
void PostLogText(QObject* window, const char* text);

// The slot address that a wParam-0 message carries in lParam, as the text it points to.
inline const char* PostedLogText(intptr_t lParam) {
    return reinterpret_cast<const char*>(lParam);
}
