#include "startup/CVantrelApp.h"

#include <cstdio>

#include "coordination/StatusWords.h"
#include "device/SerialLink.h"
#include "settings/SettingsStore.h"
#include "startup/RoleDialogs.h"
#include "startup/clsMesDlg.h"
#include "startup/command_line.h"
#include "startup/graph_seed_file.h"
#include "startup/graph_setup.h"
#include "startup/settings_paths.h"

void CVantrelApp::Warn(const std::string& baseName, const std::string& text) {
    // Also on stderr as one line, for a user who started the program from a terminal.
    std::string line = text;
    for (size_t p; (p = line.find_first_of("\r\n")) != std::string::npos;) line.erase(p, 1);
    fprintf(stderr, "%s: %s\n", baseName.c_str(), line.c_str());
    fflush(stderr);

    clsMesDlg dialog;
    dialog.SetMessage(text);
    dialog.exec();
}

bool CVantrelApp::InitInstance(const std::vector<std::string>& args,
                               const std::string& modulePath) {
    // The common controls and the framework's registry key have no counterpart here: Qt needs
    // no class registration and Vantrel keeps nothing in a registry.

    const std::vector<std::string> tokens = TokenizeArguments(JoinArguments(args));
    DecideRole(tokens, settings_);
    // A panel joins the status words at once, while the launcher that started it is still
    // there: the words live only while some process uses them, so a launcher closed during the
    // box identification would otherwise take its end request with it.
    if (settings_.role != kRoleLauncher) GetMainStatus(settings_.channelIndex);

    std::string exeFolder;
    std::string baseName;
    SplitModulePath(modulePath, &exeFolder, &baseName);

    // Only one launcher per base name; panels may run in any number.
    if (settings_.role == kRoleLauncher &&
        instanceLock_.Acquire(baseName) == InstanceLock::kAlreadyRunning) {
        Warn(baseName, AlreadyRunningText(baseName));
        return false;
    }

    // First naming: everything beside the executable.
    SettingsFileNames names = NameSettingsFiles(exeFolder, baseName, settings_);
    const std::string graphSeedFile = FindGraphSeedFile(exeFolder);

    const SettingsFolderChoice choice = ChooseSettingsFolder(exeFolder, names.launcherIni);
    settings_.platformCheck = choice.platformCheck;
    std::string settingsFolder = exeFolder;
    if (choice.warning != FolderWarning::kNone) {
        Warn(baseName, FolderWarningText(choice.warning));
        settings_.settingsFallback = FolderFallbackReason(choice);
    } else if (choice.folder != exeFolder) {
        settingsFolder = choice.folder;
        names = NameSettingsFiles(settingsFolder, baseName, settings_);
    }
    // The COM port folder lies in the settings folder (unless $VANTREL_COM_DIR names another),
    // for the launcher's COM selection and the panels' ports alike.
    SerialLink::SetSettingsFolder(settingsFolder);

    {
        SettingsStore store(names.launcherIni);
        LoadOptions(store, settings_);
    }

    settings_.launcherIni = names.launcherIni;
    settings_.adIni = names.adIni;
    settings_.daIni = names.daIni;
    settings_.ioIni = names.ioIni;
    settings_.adGraphIni = names.adGraphIni;
    settings_.graphSeedFile = graphSeedFile;
    // Panels run the very executable that runs now: the base name drops what follows the last
    // dot, and on Linux that is part of the file's name ("vantrel.v2"), not an extension.
    settings_.exePath = modulePath;

    RunRoleDialog();
    return false;
}

void CVantrelApp::RunRoleDialog() {
    const bool adPanel = settings_.role == kRoleAd;
    if (adPanel) PrepareGraphComponent(settings_);
    std::unique_ptr<QDialog> dialog = factory_ ? factory_(&settings_) : MakeRoleDialog(&settings_);
    dialog->exec();
    if (adPanel) EndGraphComponent();
    dialog.reset();
}
