// The program's one private window message (WM_USER+100): posted from any thread to a window,
// first in first out, never waiting.
#pragma once

#include <QEvent>
#include <cstdint>

class QObject;

constexpr int kWmUser100 = QEvent::User + 100;

class PostedMessage : public QEvent {
  public:
    PostedMessage(intptr_t wParam, intptr_t lParam)
        : QEvent(static_cast<QEvent::Type>(kWmUser100)), wParam(wParam), lParam(lParam) {}
    const intptr_t wParam;
    const intptr_t lParam;
};

// Thread-safe: queues the message for the receiver's thread.
void PostUserMessage(QObject* receiver, intptr_t wParam, intptr_t lParam);
