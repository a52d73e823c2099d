// qvx da PORT VOLTS: sets the D/A box's output, converted exactly as the D/A panel converts a
// typed voltage.
#include <string>
#include <vector>

#include "commands.h"
#include "device/box_commands.h"
#include "device/identify_box.h"
#include "panels/DaWorker.h"
#include "panels/c_locale_text.h"
#include "panels/da_values.h"
#include "qvx_box.h"
#include "qvx_command.h"
#include "qvx_output.h"

namespace {

const char kUsage[] = R"USAGE(usage: qvx da PORT VOLTS [--range unipolar|bipolar]

Sets the output of the D/A box on PORT to VOLTS, converted as the D/A panel converts a typed
voltage: digits with an optional sign in front and at most one "." (no exponent; "." alone
is 0), limited to the range's ends, code = (VOLTS - lower end) / (range / 65535) truncated,
at most FFFF. Sends the command, checks the box's echo and prints the command and the volts
in effect:
  P9FFF 2.5000V

A negative VOLTS may follow the port directly ("qvx da COM2 -5") or after "--".

Options:
  --range R    unipolar: 0 to 10 V; bipolar: -10 to 10 V (the default)
  -h, --help   this text

Exit status: 0 done, 1 usage error (also VOLTS that is no number), 2 the port cannot be
opened, 3 no D/A box on the port, 4 the box stopped answering (no echo within 500 ms, or an
echo that differs from the command).
)USAGE";

enum { kRange };

constexpr int kMessageWrongBox = 9;  // "QVX-D/A is not connected."

}  // namespace

int RunDa(int argc, char** argv) {
    int range = 1;
    std::vector<std::string> operands;
    const ParseResult parsed = ParseOptions(
        argc, argv, {{"range", true, kRange}},
        [&](int, const std::string& value) {
            return ValueTaken(ParseRange(value, &range), "--range", "unipolar or bipolar", value);
        },
        &operands);
    if (parsed == ParseResult::kHelp) return PrintHelp(kUsage);
    if (parsed == ParseResult::kUsageError) return kExitUsage;
    PortChoice port;
    if (const int status = TakeOperands(operands, {"PORT", "VOLTS"}, &port)) return status;
    const std::string& text = operands[1];
    double volts = 0.0;
    if (!ConvertDaText(text, range, &volts)) {
        return UsageError("'" + text + "' is no voltage (digits, a sign in front, one \".\")");
    }
    if (volts != StrtodInCLocale(text.c_str())) {
        PrintError("note: " + text + " V is beyond the range " +
                   FormatInCLocale("%g to %g V", DaLowerLimit(range), DaUpperLimit(range)) + "; " +
                   DaVoltsText(volts) + " is set");
    }

    BoxSession box;
    if (const int status = box.Open(port, kDeviceNameDa, kMessageWrongBox)) return status;
    char command[kCommandBufferSize];
    const int length = FormatVoltageCommand(range, volts, command);
    const std::string sent(command, static_cast<size_t>(length));
    if (const int status = SendWithEcho(box, sent, DaWorker::kEchoLength, DaWorker::kEchoLimitMs,
                                        DaWorker::kErrorNoEcho, DaWorker::kErrorBadEcho)) {
        return status;
    }
    PrintLine(sent.substr(0, sent.size() - 1) + " " + DaVoltsText(volts), true);
    return kExitDone;
}
