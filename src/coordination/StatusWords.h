// The status words of the four channels, shared by the launcher and its panel processes.
// Thin adapter over the statlink library.
#pragma once

#include <cstdint>

namespace status {
enum : int32_t { kMainRun = 0, kMainEnd = 1 };
enum : int32_t { kChildNone = 0, kChildEnded = 3 };
}  // namespace status

void SetMainStatus(int channel, int32_t value);
int32_t GetMainStatus(int channel);
void SetChildStatus(int channel, int32_t value);
int32_t GetChildStatus(int channel);
void SetChildError(int channel, int32_t code);
int32_t GetChildError(int channel);
