// qvx list [--probe]: the COM port folder's entries, and with --probe the box on each.
#include <string>
#include <thread>
#include <vector>

#include "commands.h"
#include "platform/com_ports.h"
#include "qvx_box.h"
#include "qvx_options.h"
#include "qvx_output.h"
#include "qvx_port.h"

namespace {

const char kUsage[] = R"USAGE(usage: qvx list [--probe]

Prints one line per entry of the COM port folder, in ascending order: the COM name and what
the entry links to, two blanks apart:
  COM5  /dev/serial/by-id/usb-FTDI_FT232R_USB_UART_A1B2C3-if00-port0

With --probe each line also tells what the identification found on the port:
  COM5  /dev/serial/by-id/usb-...  QVX-A/D 38400
  COM6  /dev/ttyUSB1  busy                        (held by another program, a panel say)
  COM7  /dev/ttyUSB2  no box
  COM8  /dev/ttyS0  cannot open (Permission denied)
A port held by another program is never waited for. A port without a box takes about two
seconds (a probe at each of four speeds); the ports are probed side by side.

The COM port folder is $VANTREL_COM_DIR, or ports/ in the settings folder; as for the
launcher, serial devices that have no entry yet are given one first.

Options:
  --probe      identify the box on each port
  -h, --help   this text
)USAGE";

enum { kProbe };

}  // namespace

int RunList(int argc, char** argv) {
    bool probe = false;
    std::vector<std::string> operands;
    const ParseResult parsed = ParseOptions(
        argc, argv, {{"probe", false, kProbe}},
        [&](int, const std::string&) {
            probe = true;
            return true;
        },
        &operands);
    if (parsed == ParseResult::kHelp) return PrintHelp(kUsage);
    if (parsed == ParseResult::kUsageError) return kExitUsage;
    if (!operands.empty()) return UsageError("unexpected argument '" + operands[0] + "'");

    const std::string folder = UseSettingsFolder();
    const std::vector<ComPortEntry> entries = ListComPorts(folder);
    if (entries.empty()) PrintError("note: no COM entries in " + ComPortFolder(folder));
    std::vector<std::string> found(entries.size());
    if (probe) {
        const int txOnly = TxOnlyOption(folder);
        std::vector<std::thread> probes;
        for (size_t i = 0; i < entries.size(); ++i) {
            probes.emplace_back(
                [&found, &entries, i, txOnly] { found[i] = ProbeText(entries[i].number, txOnly); });
        }
        for (std::thread& t : probes) t.join();
    }
    for (size_t i = 0; i < entries.size(); ++i) {
        const ComPortEntry& entry = entries[i];
        std::string line = "COM" + std::to_string(entry.number) + "  " +
                           (entry.linkText.empty() ? entry.target : entry.linkText);
        if (probe) line += "  " + found[i];
        if (!PrintLine(line, false)) break;
    }
    return OutputFailed() ? kExitUsage : kExitDone;
}
