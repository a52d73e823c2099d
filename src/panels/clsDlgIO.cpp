#include "panels/clsDlgIO.h"

#include <QCheckBox>
#include <QPushButton>

#include "controls/CButtonEx.h"
#include "controls/CStaticEx.h"
#include "device/identify_box.h"
#include "iograph/CButtonFlag.h"
#include "iograph/CChartLogic.h"
#include "iograph/CDlgIoGraph.h"
#include "iograph/input_sampling.h"
#include "panels/IoWorker.h"
#include "platform/clock.h"
#include "platform/fonts.h"

namespace {

int32_t IoCom(const AppSettings& s) {
    return s.ioBlock.ioCom;
}

// Column of channel i in dialog units: channel 7 on the left, channel 0 on the right.
constexpr int kColumnLeft = 14;
constexpr int kColumnStep = 30;
constexpr int kColumnWidth = 26;
constexpr int ColumnX(int channel) {
    return kColumnLeft + (kIoBits - 1 - channel) * kColumnStep;
}

const char* const kOutCaptions[kIoBits] = {"OUT00", "OUT01", "OUT02", "OUT03",
                                           "OUT04", "OUT05", "OUT06", "OUT07"};
const char* const kInCaptions[kIoBits] = {"IN00", "IN01", "IN02", "IN03",
                                          "IN04", "IN05", "IN06", "IN07"};

const QString kOn = QStringLiteral("ON");
const QString kOff = QStringLiteral("OFF");

}  // namespace

const PanelKind& clsDlgIO::Kind() {
    static const PanelKind kind{kDeviceNameIo, 3,       IoWorker::kStart, &AppSettings::ioIni,
                                &IoCom,        nullptr, nullptr};
    return kind;
}

const DialogTemplate& clsDlgIO::Template() {
    static const DialogTemplate tmpl = [] {
        DialogTemplate t{129, "QVX-I/O", 264, 158, kFaceMsUiGothic, 9, {}};
        // One control per channel in a row at y, channel 7 first (on the left).
        const auto row = [&t](DlgKind kind, int y, int h, int (*id)(int), const char* (*text)(int),
                              int dx = 0, int w = kColumnWidth) {
            for (int i = kIoBits - 1; i >= 0; --i) {
                t.items.push_back({id ? id(i) : -1, kind, text(i), ColumnX(i) + dx, y, w, h});
            }
        };
        t.items.push_back({-1, DlgKind::GroupBox, "出力動作", 7, 4, 250, 48});
        row(DlgKind::StaticCenter, 16, 9, nullptr, [](int i) { return kOutCaptions[i]; });
        row(DlgKind::PushButton, 27, 18, &clsDlgIO::OutputId, [](int) { return "ON"; });
        t.items.push_back({-1, DlgKind::GroupBox, "入力動作", 7, 56, 250, 74});
        row(DlgKind::StaticCenter, 68, 9, nullptr, [](int i) { return kInCaptions[i]; });
        row(DlgKind::StaticCenter, 79, 15, &clsDlgIO::LampId, [](int) { return "IN07"; });
        t.items.push_back({-1, DlgKind::Static, "入力割り込み", 14, 99, 80, 9});
        const auto noText = [](int) { return ""; };
        row(DlgKind::CheckBox, 110, 10, &clsDlgIO::InterruptId, noText, 9, 10);
        t.items.push_back({kIdGraph, DlgKind::PushButton, "Graph", 126, 136, 64, 16});
        t.items.push_back({1, DlgKind::PushButton, "Close", 193, 136, 64, 16});
        return t;
    }();
    return tmpl;
}

clsDlgIO::clsDlgIO(AppSettings* settings) : clsDlgPanel(129, Kind(), settings) {
    setObjectName(QStringLiteral("clsDlgIO"));
    BuildTemplate(Template(), [this](const DlgItem& item, QWidget* parent) {
        return DoDataExchange(item, parent);
    });
    for (int i = 0; i < kIoBits; ++i) {
        connect(OutputButton(i), &QPushButton::clicked, this, [this, i] { OnOutput(i); });
        interrupts_[static_cast<size_t>(i)] = dlg.ItemAs<QCheckBox>(InterruptId(i));
        if (QCheckBox* box = InterruptBox(i)) {
            connect(box, &QCheckBox::clicked, this, [this, i] { OnInterrupt(i); });
        }
        // ON/OFF and an empty check box do not say which channel they are: the column does.
        const QString in = QString::fromUtf8(kInCaptions[i]);
        OutputButton(i)->setAccessibleName(QString::fromUtf8(kOutCaptions[i]));
        Lamp(i)->setAccessibleName(in);
        if (QCheckBox* box = InterruptBox(i)) {
            box->setAccessibleName(in + QString::fromUtf8(" 入力割り込み"));
        }
    }
    if (auto* graph = dlg.ItemAs<QPushButton>(kIdGraph)) {
        connect(graph, &QPushButton::clicked, this, [this] { OnGraph(); });
    }
}

clsDlgIO::~clsDlgIO() {
    DestroyWindow();
}

QWidget* clsDlgIO::DoDataExchange(const DlgItem& item, QWidget* parent) {
    const QString text = QString::fromUtf8(item.text);
    if (item.id >= kIdOutput7 && item.id <= OutputId(0)) {
        return outputs_[static_cast<size_t>(OutputId(0) - item.id)] = new CButtonEx(text, parent);
    }
    if (item.id >= kIdLamp7 && item.id <= LampId(0)) {
        auto* lamp = new CStaticEx(text, parent);
        lamp->setAlignment(Qt::AlignCenter);
        return lamps_[static_cast<size_t>(LampId(0) - item.id)] = lamp;
    }
    return nullptr;
}

uint32_t clsDlgIO::Now() const {
    return clock ? clock() : TickCount();
}

std::unique_ptr<PanelWorkerStep> clsDlgIO::MakeWorkerStep(PostToWindow post) {
    // A refresh is queued only when none is waiting; the window clears the mark as it refreshes.
    PostToWindow coalesced = [post = std::move(post), queued = refreshQueued_](int wParam) {
        if (wParam == kPanelRefreshIo && queued->exchange(true)) return;
        if (post) post(wParam);
    };
    return std::make_unique<IoWorker>(link(), *settings, std::move(coalesced));
}

void clsDlgIO::InitAfterWorker() {
    InitDisplay();
    CreateGraph();
}

void clsDlgIO::InitDisplay() {
    ShowPortInCaption();
    IoBlock& block = settings->ioBlock;
    for (int i = 0; i < kIoBits; ++i) {
        block.ioOut[i] = 0;
        block.ioSentOut[i] = -1;
        block.ioIn[i] = 0;
        block.ioShownIn[i] = -1;
        block.ioIntEnable[i] = 0;
        block.ioSentInt[i] = 0;
        OutputButton(i)->setText(kOff);
        Lamp(i)->setText(kOn);
        if (QCheckBox* box = InterruptBox(i)) box->setChecked(false);
    }
    lastSampleTime_ = Now();
    block.ioLastSample = lastSampleTime_;
}

void clsDlgIO::CreateGraph() {
    // The graph is an owned top-level window of the panel: it stays in front of the panel and
    // goes with it. It is created hidden and keeps its placement in the panel's own ini file.
    graph_ = new CDlgIoGraph(this);
    graph_->CreateModeless(settings->ioIni, "Graph");
    graphExists_ = 1;
}

void clsDlgIO::OnOutput(int i) {
    if (!settings) return;
    WindowInt& out = settings->ioBlock.ioOut[i];
    if (out == 0) {
        out = 1;
        OutputButton(i)->setText(kOn);
    } else {
        out = 0;
        OutputButton(i)->setText(kOff);
    }
}

void clsDlgIO::OnInterrupt(int i) {
    if (!settings) return;
    QCheckBox* box = InterruptBox(i);
    settings->ioBlock.ioIntEnable[i] = box && box->isChecked() ? 1 : 0;
}

void clsDlgIO::OnGraph() {
    // The graph is gone when the close box was refused after it had already ended the graph
    // (an Enter or Escape was pending): make a new one rather than leave the button dead.
    if (!graph_ || !graphExists_) {
        if (!settings || !IsInitialised()) return;
        CreateGraph();
    }
    if (graph_->isVisible()) {
        graph_->hide();
    } else {
        graph_->showNormal();
    }
}

void clsDlgIO::OnPanelMessage(int wParam) {
    if (wParam == kPanelRefreshIo) Refresh();
}

void clsDlgIO::Refresh() {
    refreshQueued_->store(false);
    if (!settings) return;
    IoBlock& block = settings->ioBlock;
    for (int i = 0; i < kIoBits; ++i) {
        const int32_t in = block.ioIn[i];
        if (in == block.ioShownIn[i]) continue;
        block.ioShownIn[i] = in;
        // The box reports a closed input as bit 0.
        Lamp(i)->setText(in == 0 ? kOn : kOff);
        ioGraphInputs[i] = in == 0 ? 1 : 0;
    }
    const uint32_t now = Now();
    if (static_cast<int32_t>(now - lastSampleTime_) >= kSampleIntervalMs) {
        lastSampleTime_ = now;
        block.ioLastSample = now;  // the worker asks for the next sample's refresh in time
        if (graphExists_ && graph_ && graph_->runButton->state == 1) {
            graph_->chart->AddInputSample();
        }
    }
}

void clsDlgIO::OnClose() {
    // The title-bar close box ends the graph first; this is the one end that keeps the graph's
    // placement and size.
    if (graph_) graph_->DestroyWindow();
    graphExists_ = 0;
}

void clsDlgIO::OnDestroy() {
    // Any other end (Close, the launcher's request) takes the graph down with the panel, without
    // saving its placement.
    if (graph_) graph_->DestroyWithoutSaving();
    graphExists_ = 0;
    clsDlgPanel::OnDestroy();
}
