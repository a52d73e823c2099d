// What every Vantrel process sets up on its QApplication before start-up runs a window.
#pragma once

#include <string>

// Names the application after the executable's base name (the caption of every message box),
// registers the Japanese font substitutions, sets the application icon and builds the message
// catalog, so all of it is in place before any window opens.
void SetUpApplication(const std::string& modulePath);
