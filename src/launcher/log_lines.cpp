#include "launcher/log_lines.h"

std::string LogTimeStamp(std::time_t t) {
    std::tm local{};
    if (!localtime_r(&t, &local)) return std::string();
    char buf[64];
    const size_t n = std::strftime(buf, sizeof buf, "%Y/%m/%d %H:%M:%S", &local);
    return std::string(buf, n);
}

std::string MakeLogLine(const std::string& stamp, const std::string& text) {
    std::string line;
    line.reserve(stamp.size() + text.size() + 3);
    line += stamp;
    line += "  ";
    line += text;
    line += '\n';
    return line;
}

int OldLinesToRemove(int lineCount) {
    return lineCount - 1 > kLogMaxLines - 1 ? lineCount - kLogMaxLines : 0;
}
