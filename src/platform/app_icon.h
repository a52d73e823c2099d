// The application icon (resource 128 of the original program), set on every dialog.
#pragma once

#include <QIcon>

QIcon AppIcon();
