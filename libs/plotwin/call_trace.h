// The record of the calls made into the graph component, kept for tests and diagnosis.
#pragma once

#include <string>

namespace plotwin {

// Appends one line (without its "\n"). Keeps only the most recent lines, so a panel that feeds
// samples for days does not grow without bound.
void TraceCall(const std::string& line);
// All kept lines, each ending in "\n".
std::string TraceText();
void TraceClear();

}  // namespace plotwin
