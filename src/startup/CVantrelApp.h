// The application: decides the role from the command line, keeps a second launcher from
// starting, resolves the settings files and runs the role's dialog.
#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/instance_lock.h"
#include "settings/AppSettings.h"

class QDialog;

class CVantrelApp {
  public:
    // Runs start-up and the role's dialog to its end. args are the command-line arguments
    // after the program name; modulePath is the running executable's path. Always false: the
    // process ends once the dialog has closed.
    bool InitInstance(const std::vector<std::string>& args, const std::string& modulePath);

    // The process's settings record as start-up filled it.
    const AppSettings& settings() const { return settings_; }
    // Whether this process holds the launcher's single-instance lock.
    bool holdsInstanceLock() const { return instanceLock_.held(); }

    // Makes the role's dialog; MakeRoleDialog unless replaced. Start-up's own tests replace it
    // with stand-in dialogs, so they exercise start-up without opening ports.
    using RoleDialogFactory = std::function<std::unique_ptr<QDialog>(AppSettings*)>;
    void SetRoleDialogFactory(RoleDialogFactory factory) { factory_ = std::move(factory); }

  private:
    void Warn(const std::string& baseName, const std::string& text);
    void RunRoleDialog();

    AppSettings settings_;
    InstanceLock instanceLock_;  // held for the life of a launcher
    RoleDialogFactory factory_;
};
