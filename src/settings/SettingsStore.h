// Loading and saving the Option section of the launcher ini and the range keys of the panels.
#pragma once

#include <string>

#include "settings/AppSettings.h"

class SettingsStore {
  public:
    explicit SettingsStore(std::string path);
    std::string iniPath;
    AppSettings settings;  // the values as last loaded
    int rewriteAll = 1;    // when set, SaveOptions writes every key
};

int LoadOptions(SettingsStore& store, AppSettings& settings);
int LoadAdRange(SettingsStore& store, AppSettings& settings);
int LoadDaRange(SettingsStore& store, AppSettings& settings);

int SaveOptions(SettingsStore& store, AppSettings settings, int force);
int SaveAdRange(SettingsStore& store, const AppSettings& settings);
int SaveDaRange(SettingsStore& store, const AppSettings& settings);
