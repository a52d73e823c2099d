// What qvx says: its exit statuses, errors and notes on standard error (one line each, in
// English), and machine-readable lines on standard output.
#pragma once

#include <string>

// Exit statuses.
enum QvxExit : int {
    kExitDone = 0,
    kExitUsage = 1,     // a usage error, or standard output could not be written
    kExitNoPort = 2,    // the port cannot be opened (busy, absent, no permission)
    kExitNoBox = 3,     // no box, or a box of another type, on the port
    kExitNoAnswer = 4,  // the box stopped answering (no reply in time, or a wrong echo)
};

// The catalog's English text of message number (1 to 15: Vantrel's own messages).
const char* CatalogText(int number);

// "qvx: what" (or "qvx <command>: what") on standard error, as one line.
void PrintError(const std::string& what);
// The command the errors are told for ("ad", "io", ...; "" for qvx itself).
void SetErrorCommand(const std::string& command);

// A usage error: the one line, pointing at --help; returns kExitUsage.
int UsageError(const std::string& what);

// One line on standard output (the "\n" is added) and, when flush is set, pushed out at once.
// False once standard output cannot take it: its reader went away (then quietly) or a write
// failed (then an error was printed).
bool PrintLine(const std::string& line, bool flush);

// True when standard output went away: a pipe whose reader ended (a line would fail with EPIPE).
bool OutputReaderGone();

// True when PrintLine failed for another reason than a reader gone away.
bool OutputFailed();

// Pushes out what standard output holds; false (with an error printed) when that fails.
bool FinishOutput();

// Prints a --help text on standard output; returns the exit status.
int PrintHelp(const char* text);
