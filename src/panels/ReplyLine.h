// A reply line collected byte by byte across worker steps: a worker reads a few waiting bytes
// per step and never waits for the rest of a line.
#pragma once

#include "device/SerialLink.h"

class ReplyLine {
  public:
    // Reads at most maxBytes waiting bytes, stopping at the first read that finds nothing. True
    // when a "\n" ended a line: text() and length() then hold it (without the "\n"), and the next
    // call starts a new line. Bytes past the buffer of an overlong line are dropped.
    bool Collect(SerialLink& link, int maxBytes);

    const char* text() const { return text_; }
    int length() const { return length_; }
    // Forgets whatever was collected.
    void Clear();

  private:
    char text_[SerialLink::kLineBufferSize] = {};
    int length_ = 0;
    bool complete_ = false;
};
