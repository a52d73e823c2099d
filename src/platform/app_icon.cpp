#include "platform/app_icon.h"

// The resource lives in a static library; naming its initialiser keeps the linker from
// dropping it.
static void InitIconResource() {
    Q_INIT_RESOURCE(vantrel_icon);
}

QIcon AppIcon() {
    static const bool loaded = (InitIconResource(), true);
    (void)loaded;
    return QIcon(QStringLiteral(":/icons/vantrel_icon.png"));
}
