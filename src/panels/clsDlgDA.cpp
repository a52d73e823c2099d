#include "panels/clsDlgDA.h"

#include <QRadioButton>

#include "device/identify_box.h"
#include "panels/da_values.h"
#include "platform/fonts.h"

namespace {

int32_t DaCom(const AppSettings& s) {
    return s.daBlock.daCom;
}

}  // namespace

const PanelKind& clsDlgDA::Kind() {
    static const PanelKind kind{kDeviceNameDa,       9,      DaWorker::kStart,
                                &AppSettings::daIni, &DaCom, &LoadDaRange,
                                &SaveDaRange};
    return kind;
}

const DialogTemplate& clsDlgDA::Template() {
    static const DialogTemplate tmpl{
        130,
        "QVX-D/A",
        230,
        142,
        kFaceMsUiGothic,
        9,
        {
            {kIdVoltageCaption, DlgKind::Static, "電圧指定", 7, 9, 60, 15},
            {kIdVoltage, DlgKind::Edit, "", 70, 6, 80, 19},
            {kIdUnit, DlgKind::Static, "V", 153, 6, 14, 19},
            {kIdConvert, DlgKind::PushButton, "変換", 172, 5, 51, 21},
            {-1, DlgKind::GroupBox, "出力電圧", 7, 32, 216, 56},
            {kIdRange0to10, DlgKind::RadioButton, "0~10V", 15, 44, 60, 11, true},
            {kIdRangePm10, DlgKind::RadioButton, "-10~10V", 82, 44, 60, 11},
            {kIdPreset0, DlgKind::PushButton, "-10V出力", 15, 61, 62, 20},
            {kIdPreset0 + 1, DlgKind::PushButton, "0V出力", 84, 61, 62, 20},
            {kIdPreset0 + 2, DlgKind::PushButton, "+10V出力", 153, 61, 62, 20},
            {kIdOutputCaption, DlgKind::Static, "現在の出力値", 7, 98, 90, 15},
            {kIdOutput, DlgKind::StaticRight, "10.123V", 100, 96, 100, 17},
            {1, DlgKind::PushButton, "Close", 159, 120, 64, 16},
        }};
    return tmpl;
}

clsDlgDA::clsDlgDA(AppSettings* settings) : clsDlgPanel(130, Kind(), settings) {
    setObjectName(QStringLiteral("clsDlgDA"));
    BuildTemplate(Template(), [this](const DlgItem& item, QWidget* parent) {
        return DoDataExchange(item, parent);
    });
    connect(convert_, &QPushButton::clicked, this, [this] { OnConvert(); });
    for (int k = 0; k < kDaPresetCount; ++k) {
        connect(presets_[k], &QPushButton::clicked, this, [this, k] { OnPreset(k); });
    }
    if (auto* r = dlg.ItemAs<QRadioButton>(kIdRange0to10)) {
        connect(r, &QRadioButton::clicked, this, [this] { OnRange(0); });
    }
    if (auto* r = dlg.ItemAs<QRadioButton>(kIdRangePm10)) {
        connect(r, &QRadioButton::clicked, this, [this] { OnRange(1); });
    }
    connect(voltage_, &QLineEdit::textChanged, this, [this] { OnChangeVoltage(); });
    // Named after the captions beside them.
    voltage_->setAccessibleName(QString::fromUtf8("電圧指定"));
    output_->setAccessibleName(QString::fromUtf8("現在の出力値"));
}

clsDlgDA::~clsDlgDA() {
    DestroyWindow();
}

QWidget* clsDlgDA::DoDataExchange(const DlgItem& item, QWidget* parent) {
    const QString text = QString::fromUtf8(item.text);
    switch (item.id) {
        case kIdVoltage:
            return voltage_ = new CEditEx(text, parent);
        case kIdPreset0:
        case kIdPreset0 + 1:
        case kIdPreset0 + 2:
            return presets_[item.id - kIdPreset0] = new CButtonEx(text, parent);
        case kIdConvert:
            return convert_ = new CButtonEx(text, parent);
        case kIdVoltageCaption:
            return voltageCaption_ = new CStaticEx(text, parent);
        case kIdOutputCaption:
            return outputCaption_ = new CStaticEx(text, parent);
        case kIdOutput:
            output_ = new CStaticEx(text, parent);
            output_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
            return output_;
        case kIdUnit:
            return unit_ = new CStaticEx(text, parent);
        default:
            return nullptr;
    }
}

void clsDlgDA::InitBeforeIdentify() {
    // In the order of the controls' ids, as the panel has always set them.
    voltageCaption_->SetFontSize(11, 22);
    voltageCaption_->SetFontBold();
    voltage_->SetLargeFont();
    for (CButtonEx* preset : presets_) preset->SetFontSize(9, 18);
    convert_->SetFontSize(13, 26);
    outputCaption_->SetFontSize(11, 22);
    outputCaption_->SetFontBold();
    output_->SetFontSize(12, 24);
    unit_->SetFontSize(13, 26);
}

std::unique_ptr<PanelWorkerStep> clsDlgDA::MakeWorkerStep(PostToWindow post) {
    auto step = std::make_unique<DaWorker>(link(), *settings, std::move(post));
    daWorker_ = step.get();
    return step;
}

void clsDlgDA::InitAfterWorker() {
    InitDisplay();
}

void clsDlgDA::InitDisplay() {
    ShowPortInCaption();
    DaBlock& block = settings->daBlock;
    const int32_t range = block.daRange;
    block.daSentRange = range;
    block.daShownRange = range;
    // The sent values equal the set ones, so the worker sends nothing until the user acts and
    // the box keeps whatever it output before.
    block.daVolts = 0.0;
    block.daSentVolts = 0.0;
    block.daShownVolts = 0.0;
    voltage_->setText(QString::fromStdString(DaEditText(0.0)));
    output_->setText(QString::fromStdString(DaVoltsText(0.0)));
    ShowPresetCaptions(range);
    if (auto* r = dlg.ItemAs<QRadioButton>(kIdRange0to10)) r->setChecked(range == 0);
    if (auto* r = dlg.ItemAs<QRadioButton>(kIdRangePm10)) r->setChecked(range != 0);
}

void clsDlgDA::ShowPresetCaptions(int range) {
    const DaPreset* presets = DaPresets(range);
    for (int k = 0; k < kDaPresetCount; ++k) {
        presets_[k]->setText(QString::fromUtf8(presets[k].caption));
    }
}

void clsDlgDA::UpdateDisplay() {
    if (!settings) return;
    DaBlock& block = settings->daBlock;
    const int32_t range = block.daRange;
    if (range != block.daShownRange) {
        block.daShownRange = range;
        ShowPresetCaptions(range);
    }
    // The label shows what the box is given: the set voltage within the range in effect. A
    // voltage that a range switch left outside the range goes out as the range's end (the
    // worker's code is clamped), and daVolts keeps the voltage the user set.
    const double volts = LimitDaVolts(range, block.daVolts);
    if (block.daShownVolts != volts) {
        block.daShownVolts = volts;
        output_->setText(QString::fromStdString(DaVoltsText(volts)));
    }
}

void clsDlgDA::OnConvert() {
    if (!settings) return;
    DaBlock& block = settings->daBlock;
    double volts = block.daVolts;
    // Text that is no number is ignored without a word.
    if (ConvertDaText(voltage_->text().toStdString(), block.daRange, &volts)) {
        block.daVolts = volts;
    }
    UpdateDisplay();
}

void clsDlgDA::OnPreset(int index) {
    if (!settings) return;
    DaBlock& block = settings->daBlock;
    block.daVolts = DaPresets(block.daRange)[index].volts;
    UpdateDisplay();
}

void clsDlgDA::OnRange(int range) {
    if (!settings) return;
    // The set voltage stays as it is, even outside the new range; the worker clamps the code.
    settings->daBlock.daRange = range;
    UpdateDisplay();
}
