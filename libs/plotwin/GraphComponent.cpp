#include "GraphComponent.h"

#include <QApplication>
#include <QGuiApplication>
#include <QScreen>
#include <QThread>
#include <cmath>

#include "channel_prefs.h"
#include "csv_export.h"
#include "platform/profile_file.h"
#include "settings/iniacs.h"

namespace plotwin {
namespace {

GraphComponent* g_component = nullptr;  // only touched on the user-interface thread

// Smallest window the placement restores; anything smaller is taken as damaged.
constexpr int kMinWidth = 200;
constexpr int kMinHeight = 150;
constexpr int kMaxExtent = 100000;

int ClampOr(int value, int low, int high, int fallback) {
    if (value < low) return fallback;
    return value > high ? high : value;
}

// True when at least a corner of rect can be grabbed on some screen.
bool OnSomeScreen(const QRect& rect) {
    for (const QScreen* screen : QGuiApplication::screens()) {
        const QRect seen = rect.intersected(screen->availableGeometry());
        if (seen.width() >= 50 && seen.height() >= 50) return true;
    }
    return false;
}

}  // namespace

GraphComponent::GraphComponent() {
    Reset(kMaxChannels, kDefaultRefreshMs, kDefaultPoints);
}

GraphComponent* GraphComponent::Get() {
    auto* app = qobject_cast<QApplication*>(QCoreApplication::instance());
    if (!app || QThread::currentThread() != app->thread()) return nullptr;
    if (!g_component) {
        g_component = new GraphComponent;
        // Runs first thing in the QApplication's destructor, while widgets can still go.
        qAddPostRoutine(&GraphComponent::Destroy);
    }
    return g_component;
}

GraphComponent* GraphComponent::Existing() {
    return g_component;
}

void GraphComponent::Destroy() {
    GraphComponent* component = g_component;
    g_component = nullptr;
    if (component) delete component->window_.data();
    delete component;
}

void GraphComponent::Reset(int channels, int refreshMs, int points) {
    points_ = points;
    refreshMs_ = refreshMs;
    rings_.assign(static_cast<size_t>(channels), SampleRing(points));
    names_.clear();
    for (int i = 1; i <= channels; ++i) names_.push_back("CH" + std::to_string(i));
    allowed_.assign(static_cast<size_t>(channels), true);
    userShown_.assign(static_cast<size_t>(channels), true);
}

void GraphComponent::Initialize(int channels, int refreshMs, int points, const char* iniPath) {
    const int c = ClampOr(channels, 1, kMaxChannels, kMaxChannels);
    const int r = ClampOr(refreshMs, 10, 60000, kDefaultRefreshMs);
    const int p = ClampOr(points, 2, kMaxPoints, kDefaultPoints);
    // A window made for the old parameters is made again (at once when it was shown).
    const bool wasOpen = window_ && window_->isVisible();
    CloseWindow();
    Reset(c, r, p);
    iniPath_ = iniPath ? iniPath : "";
    userShown_ = ReadShownChannels(iniPath_, c);
    if (wasOpen) Open();
}

void GraphComponent::ClearData() {
    for (SampleRing& ring : rings_) ring.Clear();
    Refresh();
}

void GraphComponent::SetParameter(int channel, int com, const char* name, int shown) {
    if (channel < 1 || channel > channels()) return;
    const size_t i = static_cast<size_t>(channel - 1);
    com_ = com;
    if (name) names_[i] = name;
    allowed_[i] = shown != 0;
    if (window_) {
        window_->setWindowTitle(QString::fromStdString(Title()));
        window_->SetCsvBaseName(CsvBaseName());
        window_->SetChannelName(channel - 1, names_[i]);
        window_->SetChannelState(channel - 1, allowed_[i], userShown_[i]);
    }
}

void GraphComponent::SetUserShown(int index, bool shown) {
    if (index < 0 || index >= channels()) return;
    userShown_[static_cast<size_t>(index)] = shown;
    // Written at once, so the choice survives even a panel that is killed. A file that cannot
    // be written keeps the choice for this run only.
    if (!iniPath_.empty()) WriteShownChannels(iniPath_, userShown_);
    if (window_) window_->SetChannelState(index, allowed_[static_cast<size_t>(index)], shown);
    Refresh();
}

bool GraphComponent::ExportCsv(const std::string& path, std::string* error) const {
    return WriteSamplesCsv(path, rings_, names_, refreshMs_, error);
}

std::string GraphComponent::CsvBaseName() const {
    return com_ > 0 ? "QVX-AD_COM" + std::to_string(com_) : "QVX-AD";
}

std::string GraphComponent::Title() const {
    if (com_ <= 0) return "QVX-A/D グラフ";
    return "QVX-A/D COM" + std::to_string(com_) + " グラフ";
}

void GraphComponent::Open() {
    if (!window_) MakeWindow();
    window_->show();
    if (window_->isMinimized()) window_->showNormal();
    Refresh();
    window_->raise();
    window_->activateWindow();
}

void GraphComponent::MakeWindow() {
    // While a modal panel runs, every other window is blocked; a window of the panel's own is
    // not, so the chart stays usable beside it.
    QWidget* parent = QApplication::activeModalWidget();
    auto* w = new StripChartWindow(channels(), refreshMs_, parent);
    w->setAttribute(Qt::WA_DeleteOnClose, false);
    w->setWindowTitle(QString::fromStdString(Title()));
    if (!QApplication::windowIcon().isNull()) w->setWindowIcon(QApplication::windowIcon());
    w->SetCsvBaseName(CsvBaseName());
    for (int c = 0; c < channels(); ++c) {
        w->SetChannelName(c, names_[static_cast<size_t>(c)]);
        w->SetChannelState(c, allowed_[static_cast<size_t>(c)], userShown_[static_cast<size_t>(c)]);
    }
    w->onTick = [this] { Refresh(); };
    w->onUserShown = [this](int index, bool shown) { SetUserShown(index, shown); };
    w->onExportCsv = [this](const std::string& path, std::string* error) {
        return ExportCsv(path, error);
    };
    w->onHide = [this] { SavePlacement(); };
    window_ = w;
    RestorePlacement();
}

void GraphComponent::PutData(int channel, const double* values, int count, int step) {
    if (channel < 1 || channel > channels() || !values || count <= 0) return;
    const size_t i = static_cast<size_t>(channel - 1);
    const long stride = step < 1 ? 1 : step;
    for (long n = 0; n < count; ++n) {
        const double v = values[n * stride];
        // A value that cannot be drawn would spoil the whole axis; it is left out.
        if (std::isfinite(v)) rings_[i].Append(v);
    }
}

void GraphComponent::Refresh() {
    if (!window_ || !window_->isVisible()) return;
    window_->ShowSamples(rings_);
}

void GraphComponent::Terminate() {
    CloseWindow();
    Reset(kMaxChannels, kDefaultRefreshMs, kDefaultPoints);
    iniPath_.clear();
    com_ = 0;
}

void GraphComponent::CloseWindow() {
    if (!window_) return;
    SavePlacement();
    // Saved here once; the window is not to call back while it goes.
    window_->onHide = nullptr;
    delete window_.data();
}

void GraphComponent::RestorePlacement() {
    if (iniPath_.empty()) return;
    // -1 is the reading convention's "missing".
    const char* s = kPlacementSection;
    const int left = GetPrivateProfileInt(s, "Left", -1, iniPath_);
    const int top = GetPrivateProfileInt(s, "Top", -1, iniPath_);
    const int width = GetPrivateProfileInt(s, "Width", -1, iniPath_);
    const int height = GetPrivateProfileInt(s, "Height", -1, iniPath_);
    // Without a usable size nothing is restored: a missing or tiny size is taken as damaged.
    if (width < kMinWidth || height < kMinHeight || width > kMaxExtent || height > kMaxExtent ||
        left < -kMaxExtent || left > kMaxExtent || top < -kMaxExtent || top > kMaxExtent)
        return;
    const QRect rect(left, top, width, height);
    // Without a position, or last seen on a screen that is gone now, the window keeps only its
    // size and comes up where it can be reached.
    if (left == -1 || top == -1 || !OnSomeScreen(rect)) {
        window_->resize(width, height);
        return;
    }
    window_->setGeometry(rect);
}

void GraphComponent::SavePlacement() {
    if (!window_ || iniPath_.empty()) return;
    // The restored rectangle, also while the window is maximised or minimised.
    const QRect r =
        window_->normalGeometry().isValid() ? window_->normalGeometry() : window_->geometry();
    iniacs ini;
    ini.iniPath = iniPath_;
    ini.buffered = 1;
    ini.WriteInt("Left", kPlacementSection, r.x());
    ini.WriteInt("Top", kPlacementSection, r.y());
    ini.WriteInt("Width", kPlacementSection, r.width());
    ini.WriteInt("Height", kPlacementSection, r.height());
    // The destructor of ini rewrites the file once.
}

}  // namespace plotwin
