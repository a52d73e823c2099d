#include "platform/app_icon.h"

// Placeholder until the icon resource lands.
QIcon AppIcon() { return QIcon(); }
