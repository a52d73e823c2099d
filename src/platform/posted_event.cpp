#include "posted_event.h"

#include <QCoreApplication>

void PostUserMessage(QObject* receiver, intptr_t wParam, intptr_t lParam) {
    if (receiver) QCoreApplication::postEvent(receiver, new PostedMessage(wParam, lParam));
}
