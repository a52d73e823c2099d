// The kept samples as a CSV file: a header line, then one line per sample number from the
// oldest kept to the newest, with its time and one volts column per channel. Channels are
// numbered on their own; a channel without a sample of a number has an empty cell there.
#pragma once

#include <string>
#include <vector>

#include "SampleRing.h"

namespace plotwin {

// The CSV text. names: one header per channel (quoted when they hold a comma, a quote or a
// line break); rings: one per channel; intervalMs: the time between two sample numbers. The
// time column counts seconds from the oldest kept sample of any channel. Numbers are written
// in the shortest form that reads back as the same value, with a "." whatever the locale.
std::string SamplesCsv(const std::vector<SampleRing>& rings, const std::vector<std::string>& names,
                       int intervalMs);

// Writes SamplesCsv(...) to path through a temporary file and a rename: the target is either
// the complete new file or untouched. False on failure, with the system's reason (for example
// "No such file or directory") in *error when error is not null.
bool WriteSamplesCsv(const std::string& path, const std::vector<SampleRing>& rings,
                     const std::vector<std::string>& names, int intervalMs, std::string* error);

}  // namespace plotwin
