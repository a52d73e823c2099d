// The dialog each role runs: the launcher window or one of the three panels.
#pragma once

#include <QDialog>
#include <memory>

#include "settings/AppSettings.h"

// The dialog for settings->role, constructed with the record it works on.
std::unique_ptr<QDialog> MakeRoleDialog(AppSettings* settings);

// A plain dialog with the role window's class name (object name) and caption, and nothing in
// it: stands in for the role's window where only start-up itself is under test.
std::unique_ptr<QDialog> MakeStandInRoleDialog(AppSettings* settings);
