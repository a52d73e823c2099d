// qvx as a child process for its tests: its standard output and error each into a file of
// their own, so a test can tell what a script would read from what a person would be told.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

#include "support/test_env.h"

struct QvxRun {
    int exitCode = -1;  // -1: still running at the time-out (it was killed)
    std::string out;
    std::string err;
};

// A started qvx whose output goes to files in a temporary folder.
class QvxProcess {
  public:
    explicit QvxProcess(const std::vector<std::string>& args);
    ~QvxProcess();
    QvxProcess(const QvxProcess&) = delete;
    QvxProcess& operator=(const QvxProcess&) = delete;

    pid_t pid() const { return pid_; }
    std::string out() const { return ReadFile(dir_.path() + "out"); }
    std::string err() const { return ReadFile(dir_.path() + "err"); }
    // The exit code once it ended within timeoutMs; -1 (and killed) otherwise.
    int Wait(int timeoutMs = 30000);

  private:
    TempDir dir_{"qvx-run"};
    pid_t pid_ = -1;
};

// Runs qvx with args to its end (killed after timeoutMs).
QvxRun RunQvx(const std::vector<std::string>& args, int timeoutMs = 30000);

// What qvx with args printed on its standard output; a test failure (with its standard error)
// when it did not end with status 0.
std::string OutputOf(const std::vector<std::string>& args);

// The lines of a text (each without its "\n"; a last line without "\n" is counted too).
std::vector<std::string> Lines(const std::string& text);
