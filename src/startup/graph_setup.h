// Preparing the A/D graph component before the A/D panel runs, and ending it afterwards.
#pragma once

#include "settings/AppSettings.h"

// Initialises the component on adGraphIni (seeding that file from graphSeedFile when it is
// missing, never replacing it), then clears its data and names channels 1 to 8 "CH1".."CH8"
// for adCom. Without either file the component is left uninitialised and only cleared and
// named.
void PrepareGraphComponent(const AppSettings& settings);

// Ends the component after the panel has closed.
void EndGraphComponent();
