// The dialog each role runs: the launcher window or one of the three panels.
#pragma once

#include <QDialog>
#include <memory>

#include "settings/AppSettings.h"

// The dialog for settings->role, constructed with the record it works on.
std::unique_ptr<QDialog> MakeRoleDialog(AppSettings* settings);
