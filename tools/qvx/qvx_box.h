// The box of one run: its port opened and the box identified as the panels identify it, and the
// exchanges of one command with its reply, each reply awaited as long as the panels await it.
#pragma once

#include <string>

#include "device/SerialLink.h"
#include "device/SerialPortSettings.h"
#include "qvx_port.h"

class BoxSession {
  public:
    // Opens the chosen port and identifies the box (the four speeds, then the type queries). With
    // expectedDevice ("QVX-A/D", ...) another type of box is an error told with catalog message
    // wrongBoxMessage. Returns kExitDone, or kExitNoPort / kExitNoBox with the error printed.
    int Open(const PortChoice& port, const char* expectedDevice = nullptr, int wrongBoxMessage = 0);

    const std::string& deviceName() const { return deviceName_; }
    int baudRate() const { return port_.baudRate; }
    const std::string& label() const { return label_; }

    // Sends command (with its "\n"; stale input is discarded first) and waits for a reply line
    // that begins with one of the characters of `accepted`; other lines are passed over. The
    // reply has limitMs from the moment the command was written. False when none came in time
    // or the write failed.
    bool Exchange(const std::string& command, const char* accepted, unsigned limitMs,
                  std::string* reply);

  private:
    SerialLink link_;
    PortAccess access_;
    SerialPortSettings port_;
    std::string deviceName_;
    std::string label_;
};

// Sends an output command whose echo repeats its first echoLength characters (the D/A box's
// "P", the I/O box's "O"), and checks the echo as the panels do. kExitDone, or kExitNoAnswer with
// catalog message noEchoMessage (nothing within limitMs) or badEchoMessage printed.
int SendWithEcho(BoxSession& box, const std::string& command, int echoLength, unsigned limitMs,
                 int noEchoMessage, int badEchoMessage);

// The outcome of identifying one port for `qvx list --probe`: "QVX-A/D 38400", "busy", "no box"
// or "cannot open (<the system's reason>)". Never waits for a port that another program holds.
std::string ProbeText(int com, int txOnly);

// A command or reply as errors quote it: in double quotes, without its "\n", other control bytes
// as \xHH, so that an error stays one line.
std::string Quoted(const std::string& line);
