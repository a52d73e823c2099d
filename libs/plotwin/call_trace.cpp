#include "call_trace.h"

#include <deque>
#include <mutex>

namespace plotwin {
namespace {

constexpr size_t kMaxLines = 4096;

std::mutex g_mutex;
std::deque<std::string>& Lines() {
    static auto* lines = new std::deque<std::string>;  // never destroyed: usable until exit
    return *lines;
}

}  // namespace

void TraceCall(const std::string& line) {
    std::lock_guard<std::mutex> lock(g_mutex);
    auto& lines = Lines();
    lines.push_back(line);
    if (lines.size() > kMaxLines) lines.pop_front();
}

std::string TraceText() {
    std::lock_guard<std::mutex> lock(g_mutex);
    std::string text;
    for (const std::string& l : Lines()) {
        text += l;
        text += '\n';
    }
    return text;
}

void TraceClear() {
    std::lock_guard<std::mutex> lock(g_mutex);
    Lines().clear();
}

}  // namespace plotwin
