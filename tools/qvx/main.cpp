// qvx: the QVX converter boxes from the command line. Lists the COM ports, identifies a box,
// reads the A/D box's eight inputs, sets the D/A box's output, sets and watches the I/O box.
#include <signal.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "commands.h"
#include "qvx_output.h"
#include "vantrel_version.h"

namespace {

const char kUsage[] = R"USAGE(usage: qvx COMMAND [OPTION...] [ARG...]

Reads, logs, sets and watches the QVX converter boxes from scripts.

Commands:
  list [--probe]                 the COM ports, and with --probe the box on each
  identify PORT                  the box on PORT and its speed ("QVX-A/D 38400")
  ad PORT [--range R] [--count N | --follow] [--interval MS] [--format F]
                                 read the A/D box's eight inputs (volts and codes)
  da PORT VOLTS [--range R]      set the D/A box's output
  io PORT [--out HEX] [--watch [--count N]] [--format F]
                                 set the I/O box's outputs, read or watch its inputs

PORT is COMn or n (an entry of the COM port folder) or a device path beginning with "/".
"qvx COMMAND --help" tells more about each command.

Options:
  -h, --help     this text
      --version  the version

Exit status: 0 done, 1 usage error, 2 the port cannot be opened, 3 no box (or a box of
another type) on the port, 4 the box stopped answering.
)USAGE";

struct Command {
    const char* name;
    int (*run)(int, char**);
};

constexpr Command kCommands[] = {
    {"list", RunList}, {"identify", RunIdentify}, {"ad", RunAd}, {"da", RunDa}, {"io", RunIo},
};

}  // namespace

int main(int argc, char** argv) {
    // A reader of standard output that went away shows up as EPIPE on the next line, so a run
    // can end cleanly (port closed) instead of being killed.
    signal(SIGPIPE, SIG_IGN);

    if (argc < 2) return UsageError("missing command");
    const std::string first = argv[1];
    if (first == "--help" || first == "-h") {
        return PrintHelp(kUsage);
    }
    if (first == "--version") {
        std::printf("qvx (Vantrel) %s\n", VANTREL_VERSION);
        return FinishOutput() ? kExitDone : kExitUsage;
    }
    for (const Command& command : kCommands) {
        if (first == command.name) {
            SetErrorCommand(command.name);
            const int status = command.run(argc - 1, argv + 1);
            if (!FinishOutput() && status == kExitDone) return kExitUsage;
            return status;
        }
    }
    if (!first.empty() && first[0] == '-') return UsageError("unrecognized option '" + first + "'");
    return UsageError("unknown command '" + first + "'");
}
