#include "csv_export.h"

#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstring>

#include "platform/profile_file.h"

namespace plotwin {
namespace {

void AppendNumber(std::string* out, double value) {
    char buf[32];
    const auto result = std::to_chars(buf, buf + sizeof buf, value);
    out->append(buf, result.ptr);
}

void AppendField(std::string* out, const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) {
        out->append(text);
        return;
    }
    out->push_back('"');
    for (char c : text) {
        if (c == '"') out->push_back('"');
        out->push_back(c);
    }
    out->push_back('"');
}

}  // namespace

std::string SamplesCsv(const std::vector<SampleRing>& rings, const std::vector<std::string>& names,
                       int intervalMs) {
    std::string out = "Time [s]";
    for (size_t c = 0; c < rings.size(); ++c) {
        out.push_back(',');
        AppendField(&out, c < names.size() ? names[c] : "CH" + std::to_string(c + 1));
    }
    out.push_back('\n');

    int64_t first = 0, end = 0;
    KeptSpan(rings, &first, &end);
    if (first >= end) return out;
    out.reserve(out.size() + static_cast<size_t>(end - first) * (rings.size() * 12 + 10));
    for (int64_t number = first; number < end; ++number) {
        // Whole milliseconds divided once, so 0.5 s is written as 0.5 and not 0.50000000001.
        AppendNumber(&out, static_cast<double>((number - first) * intervalMs) / 1000.0);
        for (const SampleRing& ring : rings) {
            out.push_back(',');
            const int64_t index = number - ring.firstNumber();
            if (index >= 0 && index < ring.size())
                AppendNumber(&out, ring.At(static_cast<int>(index)));
        }
        out.push_back('\n');
    }
    return out;
}

bool WriteSamplesCsv(const std::string& path, const std::vector<SampleRing>& rings,
                     const std::vector<std::string>& names, int intervalMs, std::string* error) {
    if (ReplaceFileContent(path, SamplesCsv(rings, names, intervalMs))) return true;
    // The system's reason for the step that failed (the caller names the file).
    if (error) *error = std::strerror(errno);
    return false;
}

}  // namespace plotwin
