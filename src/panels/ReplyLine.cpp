#include "panels/ReplyLine.h"

bool ReplyLine::Collect(SerialLink& link, int maxBytes) {
    if (complete_) Clear();
    char byte[2];
    for (int n = 0; n < maxBytes && link.ReadByte(byte) == 0; ++n) {
        if (byte[0] == '\n') {
            text_[length_] = '\0';
            complete_ = true;
            return true;
        }
        if (length_ < SerialLink::kLineBufferSize - 1) text_[length_++] = byte[0];
    }
    return false;
}

void ReplyLine::Clear() {
    length_ = 0;
    text_[0] = '\0';
    complete_ = false;
}
