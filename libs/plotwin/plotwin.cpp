// The C interface of the graph component. Each call is recorded in the call trace and then
// handed to the component of the running QApplication; without one (or off its thread) the
// trace is all a call leaves.
#include "plotwin.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "GraphComponent.h"
#include "call_trace.h"

namespace {

std::string Text(const char* s) {
    return s ? s : "(null)";
}

std::string Number(double v) {
    char buf[64];
    snprintf(buf, sizeof buf, "%.6g", v);
    return buf;
}

using plotwin::GraphComponent;

}  // namespace

extern "C" {

int GraphInitialize(int channels, int a, int b, const char* iniPath) {
    plotwin::TraceCall("GraphInitialize " + std::to_string(channels) + " " + std::to_string(a) +
                       " " + std::to_string(b) + " " + Text(iniPath));
    if (GraphComponent* g = GraphComponent::Get()) g->Initialize(channels, a, b, iniPath);
    return 0;
}

int GraphDataClear(void) {
    plotwin::TraceCall("GraphDataClear");
    if (GraphComponent* g = GraphComponent::Get()) g->ClearData();
    return 0;
}

int GraphSetParameter(int ch, int com, const char* name, int a, int b) {
    plotwin::TraceCall("GraphSetParameter " + std::to_string(ch) + " " + std::to_string(com) + " " +
                       Text(name) + " " + std::to_string(a) + " " + std::to_string(b));
    if (GraphComponent* g = GraphComponent::Get()) g->SetParameter(ch, com, name, b);
    return 0;
}

int GraphOpen(void) {
    plotwin::TraceCall("GraphOpen");
    if (GraphComponent* g = GraphComponent::Get()) g->Open();
    return 0;
}

int GraphPutData(int ch, const double* values, int count, int step) {
    std::string line = "GraphPutData " + std::to_string(ch);
    for (int i = 0; values && i < count && i < 8; ++i) line += " " + Number(values[i]);
    if (!values) line += " (null)";
    line += " " + std::to_string(count) + " " + std::to_string(step);
    plotwin::TraceCall(line);
    if (GraphComponent* g = GraphComponent::Get()) g->PutData(ch, values, count, step);
    return 0;
}

int GraphTerminate(void) {
    plotwin::TraceCall("GraphTerminate");
    // Never makes a component just to end it.
    if (!GraphComponent::Existing()) return 0;
    if (GraphComponent* g = GraphComponent::Get()) g->Terminate();
    return 0;
}

int GraphCallTrace(char* buf, int size) {
    const std::string text = plotwin::TraceText();
    if (buf && size > 0) {
        size_t n = std::min(text.size(), static_cast<size_t>(size - 1));
        // Cut at a line end so a reader never sees half a line.
        while (n > 0 && n < text.size() && text[n - 1] != '\n') --n;
        memcpy(buf, text.data(), n);
        buf[n] = '\0';
    }
    return static_cast<int>(text.size());
}

void GraphCallTraceClear(void) {
    plotwin::TraceClear();
}

}  // extern "C"
