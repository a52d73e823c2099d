// The state behind the C interface: the parameters, the names and the samples of every
// channel, and the strip-chart window once it has been opened. It lives on the application's
// user-interface thread; without a QApplication there is none, and the calls only leave their
// line in the call trace.
#pragma once

#include <QPointer>
#include <string>
#include <vector>

#include "SampleRing.h"
#include "StripChartWindow.h"

namespace plotwin {

class GraphComponent {
  public:
    static constexpr int kMaxChannels = 8;
    static constexpr int kDefaultRefreshMs = 500;
    static constexpr int kDefaultPoints = 20001;
    // Beyond this many points per channel the chart would take seconds per refresh.
    static constexpr int kMaxPoints = 200000;
    // The placement keys in the component's settings file.
    static constexpr const char* kPlacementSection = "Window";

    // The component of the running QApplication, made on first use; nullptr when there is no
    // QApplication or the caller is not on its thread.
    static GraphComponent* Get();
    // The component if it exists (for tests), without making one.
    static GraphComponent* Existing();

    void Initialize(int channels, int refreshMs, int points, const char* iniPath);
    void ClearData();
    void SetParameter(int channel, int com, const char* name, int shown);
    void Open();
    void PutData(int channel, const double* values, int count, int step);
    // Remembers the placement, closes the window and forgets all data and parameters.
    void Terminate();

    // Puts the kept samples into the window's traces.
    void Refresh();
    // The user ticked or unticked a channel in the window: remembered in the settings file.
    void SetUserShown(int index, bool shown);
    // Saves every kept sample as CSV (see csv_export.h); false with a reason on failure.
    bool ExportCsv(const std::string& path, std::string* error) const;

    StripChartWindow* window() const { return window_; }
    int channels() const { return static_cast<int>(rings_.size()); }
    int points() const { return points_; }
    int refreshMs() const { return refreshMs_; }
    const SampleRing& ring(int index) const { return rings_[static_cast<size_t>(index)]; }
    // The window title: "QVX-A/D COM<n> グラフ".
    std::string Title() const;

  private:
    GraphComponent();
    void Reset(int channels, int refreshMs, int points);
    void MakeWindow();
    // Remembers the placement and deletes the window, if there is one.
    void CloseWindow();
    void RestorePlacement();
    void SavePlacement();
    std::string CsvBaseName() const;
    static void Destroy();

    std::vector<SampleRing> rings_;
    std::vector<std::string> names_;
    std::vector<bool> allowed_;    // GraphSetParameter's flag: 0 hides the channel
    std::vector<bool> userShown_;  // the user's choice, kept in the settings file
    int points_ = kDefaultPoints;
    int refreshMs_ = kDefaultRefreshMs;
    int com_ = 0;
    std::string iniPath_;
    QPointer<StripChartWindow> window_;
};

}  // namespace plotwin
