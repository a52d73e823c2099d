// qvx ad PORT: the A/D box's eight inputs in volts and codes, once, N times or until stopped.
#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "commands.h"
#include "device/box_commands.h"
#include "device/identify_box.h"
#include "panels/AdWorker.h"
#include "panels/ad_values.h"
#include "panels/c_locale_text.h"
#include "qvx_box.h"
#include "qvx_command.h"
#include "qvx_output.h"
#include "qvx_stop.h"

namespace {

const char kUsage[] = R"USAGE(usage: qvx ad PORT [--range unipolar|bipolar] [--count N | --follow]
              [--interval MS] [--format text|csv|json]

Reads the eight inputs of the A/D box on PORT as the A/D panel does (one request at a time,
IN0 to IN7) and prints one line per sample: the time in seconds since the first sample, then
the volts and the 12-bit code of each input.
  text  0.512 2.500V(A00) -10.000V(000) ... (the panel's "%.3fV(%03X)", IN0 to IN7)
  csv   time,IN0,...,IN7,IN0_code,...,IN7_code, then 0.512,2.500,...,A00,...
  json  {"time":0.512,"IN0":2.500,...,"IN7":...,"IN0_code":"A00",...} per line

Options:
  --range R      unipolar: 0 to 20 V ("U" requests); bipolar: -10 to 10 V ("B" requests;
                 the default)
  --count N      N samples (default 1)
  --follow       samples until interrupted (Ctrl-C or SIGTERM end it after the current line)
  --interval MS  from the start of one sample to the start of the next (default 500; 0 reads
                 as fast as the box answers)
  --format F     text (default), csv or json
  -h, --help     this text

Exit status: 0 done (also when interrupted), 1 usage error, 2 the port cannot be opened,
3 no A/D box on the port, 4 the box stopped answering (no reply within 500 ms).
)USAGE";

enum { kRange, kCount, kFollow, kInterval, kFormat };

constexpr int kMessageWrongBox = 14;  // "QVX-A/D is not connected."
constexpr int kDefaultIntervalMs = 500;

struct AdSample {
    double seconds = 0;
    int32_t raw[kAdChannels] = {};
    double volts[kAdChannels] = {};
};

// The eight requests of one sample, each answered before the next goes out. The reply's channel
// digit picks the input it updates, and the range asked converts it, as in the panel.
bool ReadSample(BoxSession& box, int range, AdSample* sample, std::string* failed) {
    for (int i = 0; i < kAdChannels; ++i) {
        const std::string command =
            std::string(1, range == 0 ? 'U' : 'B') + static_cast<char>('0' + i) + "\n";
        std::string reply;
        if (!box.Exchange(command, "UB", AdWorker::kReplyLimitMs, &reply)) {
            *failed = command;
            return false;
        }
        ParseAnalogReply(reply.data(), static_cast<int>(reply.size()), range, sample->raw,
                         sample->volts);
    }
    return true;
}

std::string CsvHeader() {
    std::string line = "time";
    for (int i = 0; i < kAdChannels; ++i) line += ",IN" + std::to_string(i);
    for (int i = 0; i < kAdChannels; ++i) line += ",IN" + std::to_string(i) + "_code";
    return line;
}

std::string SampleLine(const AdSample& s, OutputFormat format) {
    const std::string time = FormatInCLocale("%.3f", s.seconds);
    std::string line;
    switch (format) {
        case OutputFormat::kText:
            line = time;
            for (int i = 0; i < kAdChannels; ++i) line += " " + AdValueText(s.volts[i], s.raw[i]);
            break;
        case OutputFormat::kCsv:
            line = time;
            for (int i = 0; i < kAdChannels; ++i) line += FormatInCLocale(",%.3f", s.volts[i]);
            for (int i = 0; i < kAdChannels; ++i) {
                line += FormatInCLocale(",%03X", static_cast<unsigned>(s.raw[i]));
            }
            break;
        case OutputFormat::kJson:
            line = "{\"time\":" + time;
            for (int i = 0; i < kAdChannels; ++i) {
                line += FormatInCLocale(",\"IN%d\":%.3f", i, s.volts[i]);
            }
            for (int i = 0; i < kAdChannels; ++i) {
                line +=
                    FormatInCLocale(",\"IN%d_code\":\"%03X\"", i, static_cast<unsigned>(s.raw[i]));
            }
            line += "}";
            break;
    }
    return line;
}

}  // namespace

int RunAd(int argc, char** argv) {
    int range = 1;
    int count = 0;
    bool follow = false;
    int intervalMs = kDefaultIntervalMs;
    OutputFormat format = OutputFormat::kText;
    std::vector<std::string> operands;
    const ParseResult parsed = ParseOptions(
        argc, argv,
        {{"range", true, kRange},
         {"count", true, kCount},
         {"follow", false, kFollow},
         {"interval", true, kInterval},
         {"format", true, kFormat}},
        [&](int id, const std::string& value) {
            switch (id) {
                case kRange:
                    return ValueTaken(ParseRange(value, &range), "--range", "unipolar or bipolar",
                                      value);
                case kCount:
                    return ValueTaken(ParseCount(value, &count), "--count",
                                      "a number of samples from 1 up", value);
                case kFollow:
                    follow = true;
                    return true;
                case kInterval:
                    return ValueTaken(ParseMilliseconds(value, &intervalMs), "--interval",
                                      "milliseconds from 0 up", value);
                case kFormat:
                    return ValueTaken(ParseFormat(value, &format), "--format", "text, csv or json",
                                      value);
            }
            return true;
        },
        &operands);
    if (parsed == ParseResult::kHelp) return PrintHelp(kUsage);
    if (parsed == ParseResult::kUsageError) return kExitUsage;
    if (follow && count != 0) return UsageError("--count and --follow exclude each other");
    PortChoice port;
    if (const int status = TakeOperands(operands, {"PORT"}, &port)) return status;
    if (count == 0) count = 1;

    BoxSession box;
    if (const int status = box.Open(port, kDeviceNameAd, kMessageWrongBox)) return status;
    if (follow || count > 1) CatchStopSignals();
    if (format == OutputFormat::kCsv && !PrintLine(CsvHeader(), true)) return kExitDone;

    using Clock = std::chrono::steady_clock;
    const Clock::time_point start = Clock::now();
    // Samples are due every interval from the start, so a long log does not drift; one that
    // took longer than the interval is followed at once, and the schedule starts again there.
    Clock::time_point due = start;
    for (int n = 0; follow || n < count; ++n) {
        const Clock::time_point sampleStart = Clock::now();
        AdSample sample;
        sample.seconds = std::chrono::duration<double>(sampleStart - start).count();
        std::string failed;
        if (!ReadSample(box, range, &sample, &failed)) {
            PrintError(box.label() + ": " + CatalogText(AdWorker::kErrorNoReply) +
                       " (no reply to " + Quoted(failed) + " within " +
                       std::to_string(AdWorker::kReplyLimitMs) + " ms)");
            return kExitNoAnswer;
        }
        if (!PrintLine(SampleLine(sample, format), true)) break;
        if (!follow && n + 1 >= count) break;
        if (StopAsked()) break;
        due += std::chrono::milliseconds(intervalMs);
        const Clock::time_point now = Clock::now();
        if (due < now) due = now;
        if (!SleepUntilUnlessStopped(due)) break;
    }
    return OutputFailed() ? kExitUsage : kExitDone;
}
