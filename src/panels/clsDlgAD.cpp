#include "panels/clsDlgAD.h"

#include <QPushButton>
#include <QRadioButton>

#include "device/identify_box.h"
#include "panels/AdWorker.h"
#include "panels/ad_values.h"
#include "platform/fonts.h"
#include "plotwin.h"

namespace {

int32_t AdCom(const AppSettings& s) {
    return s.adBlock.adCom;
}

// Rows of the inputs, in dialog units: IN0 at the top.
constexpr int kRowTop = 18;
constexpr int kRowStep = 18;
constexpr int RowY(int i) {
    return kRowTop + i * kRowStep;
}

}  // namespace

const PanelKind& clsDlgAD::Kind() {
    static const PanelKind kind{kDeviceNameAd, 14,           AdWorker::kStart, &AppSettings::adIni,
                                &AdCom,        &LoadAdRange, &SaveAdRange};
    return kind;
}

const DialogTemplate& clsDlgAD::Template() {
    static const DialogTemplate tmpl = [] {
        DialogTemplate t{131, "QVX-A/D", 292, 200, kFaceMsUiGothic, 9, {}};
        t.items.push_back({-1, DlgKind::StaticCenter, "現在値", 32, 6, 105, 10});
        t.items.push_back({-1, DlgKind::StaticCenter, "平均値", 142, 6, 105, 10});
        static const char* const kInputNames[kAdInputs] = {"IN0", "IN1", "IN2", "IN3",
                                                           "IN4", "IN5", "IN6", "IN7"};
        for (int i = 0; i < kAdInputs; ++i) {
            const int y = RowY(i);
            t.items.push_back({-1, DlgKind::Static, kInputNames[i], 8, y + 3, 22, 10});
            t.items.push_back({kIdCurrent0 + i, DlgKind::Static, "-18.123V(0DBB)", 32, y, 105, 15});
            t.items.push_back(
                {kIdAverage0 + i, DlgKind::Static, "-18.123V(0DBB)", 142, y, 105, 15});
            t.items.push_back({kIdReset0 + i, DlgKind::PushButton, "Reset", 252, y, 34, 15});
        }
        const int y = RowY(kAdInputs) + 2;
        t.items.push_back({-1, DlgKind::GroupBox, "入力レンジ", 7, y, 130, 28});
        t.items.push_back(
            {kIdRange0to20, DlgKind::RadioButton, "0～20V", 14, y + 12, 52, 11, true});
        t.items.push_back({kIdRangePm10, DlgKind::RadioButton, "-10～10V", 70, y + 12, 62, 11});
        t.items.push_back({kIdGraph, DlgKind::PushButton, "グラフの表示", 150, y + 8, 66, 16});
        t.items.push_back({1, DlgKind::PushButton, "Close", 222, y + 8, 64, 16});
        return t;
    }();
    return tmpl;
}

clsDlgAD::clsDlgAD(AppSettings* settings) : clsDlgPanel(131, Kind(), settings) {
    setObjectName(QStringLiteral("clsDlgAD"));
    BuildTemplate(Template(), [this](const DlgItem& item, QWidget* parent) {
        return DoDataExchange(item, parent);
    });
    for (int i = 0; i < kAdInputs; ++i) {
        // The values and the Reset buttons are named after their row and column.
        const QString input = QStringLiteral("IN%1 ").arg(i);
        CurrentLabel(i)->setAccessibleName(input + QString::fromUtf8("現在値"));
        AverageLabel(i)->setAccessibleName(input + QString::fromUtf8("平均値"));
        if (auto* reset = dlg.ItemAs<QPushButton>(kIdReset0 + i)) {
            reset->setAccessibleName(input + QStringLiteral("Reset"));
            connect(reset, &QPushButton::clicked, this, [this, i] { OnReset(i); });
        }
    }
    if (auto* r = dlg.ItemAs<QRadioButton>(kIdRange0to20)) {
        connect(r, &QRadioButton::clicked, this, [this] { OnRange(0); });
    }
    if (auto* r = dlg.ItemAs<QRadioButton>(kIdRangePm10)) {
        connect(r, &QRadioButton::clicked, this, [this] { OnRange(1); });
    }
    if (auto* graph = dlg.ItemAs<QPushButton>(kIdGraph)) {
        connect(graph, &QPushButton::clicked, this, [this] { OnGraph(); });
    }
}

clsDlgAD::~clsDlgAD() {
    DestroyWindow();
}

QWidget* clsDlgAD::DoDataExchange(const DlgItem& item, QWidget* parent) {
    const bool current = item.id >= kIdCurrent0 && item.id < kIdCurrent0 + kAdInputs;
    const bool average = item.id >= kIdAverage0 && item.id < kIdAverage0 + kAdInputs;
    if (!current && !average) return nullptr;
    auto* label = new CStaticEx(QString::fromUtf8(item.text), parent);
    if (current) current_[static_cast<size_t>(item.id - kIdCurrent0)] = label;
    if (average) average_[static_cast<size_t>(item.id - kIdAverage0)] = label;
    return label;
}

void clsDlgAD::InitBeforeWorker() {
    for (int i = 0; i < kAdInputs; ++i) {
        for (CStaticEx* label : {CurrentLabel(i), AverageLabel(i)}) {
            label->SetFontSize(11, 22);
            label->SetFontBold();
        }
    }
    InitDisplay();
}

void clsDlgAD::InitDisplay() {
    ShowPortInCaption();
    AdBlock& block = settings->adBlock;
    for (int i = 0; i < kAdInputs; ++i) {
        ClearAdInput(block, i);
        CurrentLabel(i)->setText(QString::fromStdString(AdValueText(0.0, 0)));
        AverageLabel(i)->setText(QString::fromStdString(AdValueText(0.0, 0)));
    }
    const bool low = block.adRange == 0;
    if (auto* r = dlg.ItemAs<QRadioButton>(kIdRange0to20)) r->setChecked(low);
    if (auto* r = dlg.ItemAs<QRadioButton>(kIdRangePm10)) r->setChecked(!low);
}

std::unique_ptr<PanelWorkerStep> clsDlgAD::MakeWorkerStep(PostToWindow post) {
    return std::make_unique<AdWorker>(link(), *settings, std::move(post));
}

void clsDlgAD::OnPanelMessage(int wParam) {
    if (wParam == kPanelRefreshAd) Refresh();
}

void clsDlgAD::Refresh() {
    if (!settings) return;
    AdBlock& block = settings->adBlock;
    for (int i = 0; i < kAdInputs; ++i) {
        const size_t k = static_cast<size_t>(i);
        // Only the labels whose text changed are touched.
        const AdInputRefresh changed = RefreshAdInput(block, i);
        if (changed.currentChanged) {
            CurrentLabel(i)->setText(QString::fromStdString(block.adCurrentText[k]));
        }
        if (changed.averageChanged) {
            AverageLabel(i)->setText(QString::fromStdString(block.adAverageText[k]));
        }
        const double latest = block.adVolts[k];
        GraphPutData(i + 1, &latest, 1, 1);
    }
}

void clsDlgAD::OnReset(int i) {
    if (settings) ResetAdAverage(settings->adBlock, i);
}

void clsDlgAD::OnRange(int range) {
    // The averages are kept: one taken across a range change mixes both ranges.
    if (settings) settings->adBlock.adRange = range;
}

void clsDlgAD::OnGraph() {
    GraphOpen();
}
