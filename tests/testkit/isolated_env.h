// One run's own settings folder, COM port folder, runtime folder and status-word segment, so
// runs side by side never meet and never touch the real settings.
#pragma once

#include <string>

#include "testkit/files.h"

namespace testkit {

// Sets XDG_CONFIG_HOME, XDG_RUNTIME_DIR, VANTREL_COM_DIR and VANTREL_STATLINK to fresh values
// below a temporary folder ("<prefix>-XXXXXX"), so this process and every child started
// meanwhile use them, and restores the old values afterwards. The status-word segment is
// unlinked and the folder removed at the end.
class IsolatedEnv {
  public:
    explicit IsolatedEnv(const std::string& prefix = "vantrel-test");
    ~IsolatedEnv();
    IsolatedEnv(const IsolatedEnv&) = delete;
    IsolatedEnv& operator=(const IsolatedEnv&) = delete;

    const std::string& root() const { return dir_.path(); }
    std::string configHome() const { return dir_.path() + "config/"; }
    // The per-user settings folder that start-up will choose.
    std::string settingsFolder() const { return configHome() + "Harbelt/Vantrel/"; }
    std::string comDir() const { return dir_.path() + "com/"; }
    std::string runtimeDir() const { return dir_.path() + "run/"; }
    const std::string& statlinkName() const { return statlink_; }

  private:
    TempDir dir_;
    std::string statlink_;
    struct Saved {
        const char* name;
        bool had;
        std::string value;
    };
    Saved saved_[4];
};

}  // namespace testkit
