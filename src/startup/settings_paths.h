// Where the settings files of a process lie: the executable's folder and base name, the
// per-user settings folder, and the names of every file.
#pragma once

#include <string>

#include "settings/AppSettings.h"

// Splits the module path into the executable folder (ending in "/", empty when the path has no
// "/") and the base name: the file name after the last "/" without the extension after its last
// ".". A "." in a folder name never counts, nor one that starts the file name (".vantrel").
void SplitModulePath(const std::string& modulePath, std::string* folder, std::string* baseName);

// The names of the settings files in one folder (ending in "/").
struct SettingsFileNames {
    std::string launcherIni;  // folder + base name + ".ini"
    std::string adIni;        // folder + base name + "AD<adCom>.ini"
    std::string daIni;        // ... "DA<daCom>.ini"
    std::string ioIni;        // ... "IO<ioCom>.ini"
    std::string adGraphIni;   // ... "ADg<adCom>.ini"
};
SettingsFileNames NameSettingsFiles(const std::string& folder, const std::string& baseName,
                                    const AppSettings& settings);

// The three warnings start-up may show while it chooses the settings folder.
enum class FolderWarning { kNone, kNoUserFolder, kMakeFolderFailed };

// The outcome of choosing the settings folder.
struct SettingsFolderChoice {
    std::string folder;  // the settings folder, ending in "/"
    int32_t platformCheck = 0;
    FolderWarning warning = FolderWarning::kNone;
    std::string userFolder;   // the per-user folder that could not be made (kMakeFolderFailed)
    int makeFolderErrno = 0;  // what the system said then, 0 when it said nothing
};

// Step 8 of start-up: a launcher ini beside the executable keeps every file there; otherwise the
// per-user folder + "Harbelt/Vantrel/" is made and used, and on failure the executable folder
// stays, with a warning.
SettingsFolderChoice ChooseSettingsFolder(const std::string& exeFolder,
                                          const std::string& exeLauncherIni);

// The texts of the warnings (FolderWarning::kNone gives "").
std::string FolderWarningText(FolderWarning warning);
// Why the settings stay beside the executable after a warning, on one line for the launcher's
// log: the warning's text, then the folder that could not be made and the system's words
// ("" for FolderWarning::kNone).
std::string FolderFallbackReason(const SettingsFolderChoice& choice);
// The text shown when a launcher is already running.
std::string AlreadyRunningText(const std::string& baseName);
