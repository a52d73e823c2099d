// qvx io PORT: sets the I/O box's eight outputs, reads its eight inputs once or watches them.
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "commands.h"
#include "device/box_commands.h"
#include "device/identify_box.h"
#include "panels/IoWorker.h"
#include "panels/c_locale_text.h"
#include "qvx_box.h"
#include "qvx_command.h"
#include "qvx_output.h"
#include "qvx_stop.h"

namespace {

const char kUsage[] =
    R"USAGE(usage: qvx io PORT [--out HEX] [--watch [--count N]] [--format text|csv|json]

With --out, sets the eight outputs of the I/O box on PORT to the bit image HEX (bit i is
OUT0i: 81 sets OUT07 and OUT00) and checks the box's echo. Then reads the eight inputs and
prints the image in hex and the bits in the order the I/O panel shows them, IN07 on the left
to IN00 on the right (the panel's lamp reads "ON" for a bit of 0):
  text  5A 01011010
  csv   time,image,IN07,...,IN00, then 0.000,5A,0,1,0,1,1,0,1,0
  json  {"time":0.000,"image":"5A","IN07":0,...,"IN00":0}
With --watch the inputs are polled as the panel polls them (the next request as soon as the
reply has come) and each change is printed with its time in seconds since the first line
(text: "12.345 5A 01011010"), until Ctrl-C or SIGTERM end the run after the current line.

Options:
  --out HEX    set the outputs first (one or two hex digits, "0x" optional)
  --watch      print the inputs, then every change, until interrupted
  --count N    with --watch: end after N changes
  --format F   text (default), csv or json
  -h, --help   this text

Exit status: 0 done (also when interrupted), 1 usage error, 2 the port cannot be opened,
3 no I/O box on the port, 4 the box stopped answering (no reply within 500 ms, or an echo
that differs from the command).
)USAGE";

enum { kOut, kWatch, kCount, kFormat };

constexpr int kMessageWrongBox = 3;  // "QVX-I/O is not connected."

std::string CsvHeader() {
    std::string line = "time,image";
    for (int i = kIoChannels - 1; i >= 0; --i) line += FormatInCLocale(",IN%02d", i);
    return line;
}

// The inputs as the panel shows them: IN07 first.
std::string InputsLine(const int32_t in[kIoChannels], double seconds, bool withTime,
                       OutputFormat format) {
    const std::string time = FormatInCLocale("%.3f", seconds);
    const std::string image = FormatInCLocale("%02X", static_cast<unsigned>(BitImage(in)));
    std::string line;
    switch (format) {
        case OutputFormat::kText:
            line = (withTime ? time + " " : std::string()) + image + " ";
            for (int i = kIoChannels - 1; i >= 0; --i) line += in[i] == 1 ? '1' : '0';
            break;
        case OutputFormat::kCsv:
            line = time + "," + image;
            for (int i = kIoChannels - 1; i >= 0; --i) line += in[i] == 1 ? ",1" : ",0";
            break;
        case OutputFormat::kJson:
            line = "{\"time\":" + time + ",\"image\":\"" + image + "\"";
            for (int i = kIoChannels - 1; i >= 0; --i) {
                line += FormatInCLocale(",\"IN%02d\":%d", i, in[i] == 1 ? 1 : 0);
            }
            line += "}";
            break;
    }
    return line;
}

// Sets the outputs and checks the echo's first three characters, as the panel does.
int SetOutputs(BoxSession& box, unsigned image) {
    int32_t states[kIoChannels];
    for (int i = 0; i < kIoChannels; ++i) states[i] = (image >> i) & 1;
    char command[kCommandBufferSize];
    const int length = FormatOutputCommand(states, command);
    return SendWithEcho(box, std::string(command, static_cast<size_t>(length)),
                        IoWorker::kEchoLength, IoWorker::kReplyLimitMs, IoWorker::kErrorNoEcho,
                        IoWorker::kErrorBadEcho);
}

// One "I" request; a "W" report of the box is taken like its reply.
bool ReadInputs(BoxSession& box, int32_t in[kIoChannels]) {
    std::string reply;
    if (!box.Exchange("I\n", "IW", IoWorker::kReplyLimitMs, &reply)) {
        PrintError(box.label() + ": " + CatalogText(IoWorker::kErrorNoInputReply) +
                   " (no reply to \"I\" within " + std::to_string(IoWorker::kReplyLimitMs) +
                   " ms)");
        return false;
    }
    ParseInputReply(reply.data(), static_cast<int>(reply.size()), in);
    return true;
}

}  // namespace

int RunIo(int argc, char** argv) {
    bool setOut = false;
    unsigned outImage = 0;
    bool watch = false;
    int count = 0;
    OutputFormat format = OutputFormat::kText;
    std::vector<std::string> operands;
    const ParseResult parsed = ParseOptions(
        argc, argv,
        {{"out", true, kOut},
         {"watch", false, kWatch},
         {"count", true, kCount},
         {"format", true, kFormat}},
        [&](int id, const std::string& value) {
            switch (id) {
                case kOut:
                    setOut = true;
                    return ValueTaken(ParseHexByte(value, &outImage), "--out",
                                      "a bit image of one or two hex digits", value);
                case kWatch:
                    watch = true;
                    return true;
                case kCount:
                    return ValueTaken(ParseCount(value, &count), "--count",
                                      "a number of changes from 1 up", value);
                case kFormat:
                    return ValueTaken(ParseFormat(value, &format), "--format", "text, csv or json",
                                      value);
            }
            return true;
        },
        &operands);
    if (parsed == ParseResult::kHelp) return PrintHelp(kUsage);
    if (parsed == ParseResult::kUsageError) return kExitUsage;
    if (count != 0 && !watch) return UsageError("--count needs --watch");
    PortChoice port;
    if (const int status = TakeOperands(operands, {"PORT"}, &port)) return status;

    BoxSession box;
    if (const int status = box.Open(port, kDeviceNameIo, kMessageWrongBox)) return status;
    if (setOut) {
        if (const int status = SetOutputs(box, outImage)) return status;
    }
    if (watch) CatchStopSignals();
    if (format == OutputFormat::kCsv && !PrintLine(CsvHeader(), true)) return kExitDone;

    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    int32_t in[kIoChannels] = {};
    if (!ReadInputs(box, in)) return kExitNoAnswer;
    if (!PrintLine(InputsLine(in, 0.0, watch, format), true) || !watch) {
        return OutputFailed() ? kExitUsage : kExitDone;
    }
    uint32_t shown = BitImage(in);
    for (int changes = 0; (count == 0 || changes < count) && !StopAsked();) {
        if (!ReadInputs(box, in)) return kExitNoAnswer;
        const uint32_t image = BitImage(in);
        if (image == shown) continue;
        shown = image;
        const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
        if (!PrintLine(InputsLine(in, seconds, true, format), true)) break;
        ++changes;
    }
    return OutputFailed() ? kExitUsage : kExitDone;
}
