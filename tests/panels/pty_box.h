// A box played by the test itself on a real pseudo-terminal: the slave side is the entry COMn of
// the test's COM port folder, the test reads the commands from the master side and writes
// whatever reply a case needs (also replies no simulated box gives, such as "U9...").
#pragma once

#include <string>

class PtyBox {
  public:
    PtyBox(const std::string& comDir, int number);
    ~PtyBox();
    PtyBox(const PtyBox&) = delete;
    PtyBox& operator=(const PtyBox&) = delete;

    bool ok() const { return master_ >= 0; }
    bool Send(const std::string& bytes);
    // The next command line (without "\n") that arrives within timeoutMs, or "" when none.
    std::string NextLine(int timeoutMs = 30000);
    // Everything received so far that does not yet form a line, plus what arrives now.
    std::string Pending();

  private:
    void Drain();
    int master_ = -1;
    int slave_ = -1;  // kept open so that the pty never hangs up while the link reopens
    std::string link_;
    std::string received_;
};
