// qvx identify PORT: the type and speed of the box on PORT.
#include <string>
#include <vector>

#include "commands.h"
#include "qvx_box.h"
#include "qvx_command.h"
#include "qvx_output.h"

namespace {

const char kUsage[] = R"USAGE(usage: qvx identify PORT

Identifies the box on PORT as the panels do: a probe at 9600, 19200, 38400 and 115200 bit/s,
then the type queries. Prints the type and the speed that answered:
  QVX-A/D 38400

PORT is COMn or n (an entry of the COM port folder) or a device path beginning with "/".

Options:
  -h, --help   this text

Exit status: 0 a box answered, 1 usage error, 2 the port cannot be opened, 3 no box.
)USAGE";

}  // namespace

int RunIdentify(int argc, char** argv) {
    std::vector<std::string> operands;
    const ParseResult parsed = ParseOptions(
        argc, argv, {}, [](int, const std::string&) { return true; }, &operands);
    if (parsed == ParseResult::kHelp) return PrintHelp(kUsage);
    if (parsed == ParseResult::kUsageError) return kExitUsage;
    PortChoice port;
    if (const int status = TakeOperands(operands, {"PORT"}, &port)) return status;

    BoxSession box;
    if (const int status = box.Open(port)) return status;
    PrintLine(box.deviceName() + " " + std::to_string(box.baudRate()), true);
    return kExitDone;
}
