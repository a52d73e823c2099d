#include "iograph/CDlgIoGraph.h"

#include "iograph/CButtonFlag.h"
#include "iograph/CChartLogic.h"
#include "iograph/CComboBoxTime.h"
#include "iograph/CScrollBarChart.h"
#include "platform/dialog_template.h"
#include "platform/profile_file.h"

namespace {

// The last sample index of the store: a view ends there at the latest.
constexpr int kLastSample = ChartStore<short>::kSamplesPerTrace - 1;

}  // namespace

const DialogTemplate& CDlgIoGraph::Template() {
    static const DialogTemplate tmpl{
        kTemplateId,
        "QVX-IO",
        346,
        217,
        "MS Shell Dlg",
        8,
        {
            {kIdChart, DlgKind::Custom, "", 0, 1, 301, 201},
            {kIdScroll, DlgKind::HScrollBar, "", 0, 204, 301, 11},
            {kIdRun, DlgKind::PushButton, "Run", 304, 174, 41, 19},
            {kIdTime, DlgKind::DropDownList, "", 304, 196, 41, 61},
        },
    };
    return tmpl;
}

CDlgIoGraph::CDlgIoGraph(QWidget* parent) : CDialogModelessKw3(kTemplateId, parent) {
    setObjectName(QStringLiteral("CDlgIoGraph"));
    // Caption, system menu, resizing border and maximise box.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMaximizeButtonHint |
                   Qt::WindowCloseButtonHint);
    BuildTemplate(Template(),
                  [this](const DlgItem& item, QWidget* p) { return DoDataExchange(item, p); });
    // A template's combo height includes the dropped list; a Qt combo drops its list itself
    // and keeps its own height.
    timeCombo->resize(timeCombo->width(), timeCombo->sizeHint().height());

    chart->setAccessibleName(QStringLiteral("Chart"));
    scroll->setAccessibleName(QStringLiteral("Chart scroll"));
    timeCombo->setAccessibleName(QStringLiteral("Time scale"));

    connect(runButton, &QPushButton::clicked, this, [this] { OnRun(); });
    connect(scroll, &QAbstractSlider::actionTriggered, this, &CDlgIoGraph::OnScrollAction);
    connect(timeCombo, &QComboBox::activated, this, [this] { OnTimeChange(); });
}

QWidget* CDlgIoGraph::DoDataExchange(const DlgItem& item, QWidget* parent) {
    switch (item.id) {
        case kIdChart:
            chart = new CChartLogic(parent);
            return chart;
        case kIdScroll:
            scroll = new CScrollBarChart(parent);
            return scroll;
        case kIdRun:
            runButton = new CButtonFlag(QString::fromUtf8(item.text), parent);
            return runButton;
        case kIdTime:
            timeCombo = new CComboBoxTime(parent);
            return timeCombo;
        default:
            return nullptr;
    }
}

bool CDlgIoGraph::OnInitDialog() {
    // Grows, never shrinks below the template's size.
    fixWidth = 0;
    fixHeight = 0;
    minWidth = 1;
    minHeight = 1;
    // The chart grows with the window, the scroll bar stays at the bottom and grows in width,
    // the button and the list stay at the bottom right.
    AddAnchor(chart, SizeXY);
    AddAnchor(scroll, MoveYSizeX);
    AddAnchor(runButton, MoveXY);
    AddAnchor(timeCombo, MoveXY);
    CDialogModelessKw3::OnInitDialog();
    placeOverOwner_ = GetPrivateProfileInt(section, "Left", -1, iniFile) == -1 &&
                      GetPrivateProfileInt(section, "Top", -1, iniFile) == -1;

    chart->Setup(ChartColors{0x000000, 0x808080, 0xFFFF00, 0x00FF00, 0x00FFFF}, scroll);
    chart->SetView(0, 10);
    scroll->SetPage(10);
    scroll->SetPosition(0);

    // 100 ms a sample: 10, 100 and 1000 samples are 1sec, 10sec and 100sec.
    timeCombo->unitMs = 100;
    timeCombo->AllocateValues(3);
    timeCombo->AddTime(10);
    timeCombo->AddTime(100);
    timeCombo->AddTime(1000);
    timeCombo->setCurrentIndex(0);

    runButton->trueText = "STOP";
    runButton->falseText = "RUN";
    runButton->state = 0;
    runButton->ShowState();
    return true;
}

void CDlgIoGraph::setVisible(bool visible) {
    QWidget* owner = parentWidget();
    if (visible && placeOverOwner_ && owner && IsInitialised() && !isVisible()) {
        // Where the panel is now, which may be elsewhere than when the window was created.
        placeOverOwner_ = false;
        const QRect over = owner->frameGeometry();
        const QSize outer = frameGeometry().size();
        FitToWorkArea(over.x() + (over.width() - outer.width()) / 2,
                      over.y() + (over.height() - outer.height()) / 2, outer.width(),
                      outer.height());
    }
    CDialogModelessKw3::setVisible(visible);
}

int CDlgIoGraph::SelectedPage() const {
    int page = scroll->page();
    timeCombo->ValueAt(timeCombo->currentIndex(), &page);
    return page;
}

void CDlgIoGraph::OnRun() {
    if (runButton->state == 1) {
        chart->followLatest = 1;
        chart->ClearSamples();
        const int page = SelectedPage();
        chart->SetView(0, page);
        scroll->SetPage(page);
        scroll->SetPosition(0);
        // The I/O panel appends samples from now on.
    } else {
        chart->followLatest = 0;
    }
}

void CDlgIoGraph::OnScrollAction(int action) {
    const int code = CScrollBarChart::CodeForAction(action);
    if (code >= 0) OnHScroll(code, scroll->sliderPosition());
    // Qt has moved the thumb for the action already and takes that as the bar's value once
    // this returns; the bar shows the stored position instead, whether the request moved it
    // (stopped) or not (recording, or at an end).
    scroll->SetPosition(scroll->position());
}

void CDlgIoGraph::OnHScroll(int code, int thumb) {
    // While recording, the chart's following moves the bar; the user's requests are ignored.
    if (runButton->state != 0) return;
    const ScrollResult r = scroll->ScrollBy(code, thumb);
    if (r.changed) chart->SetView(r.first, r.last);
}

void CDlgIoGraph::OnTimeChange() {
    int page = 0;
    if (!timeCombo->ValueAt(timeCombo->currentIndex(), &page)) return;
    int first = chart->HasTraces() ? chart->traces[0].viewStart : 0;
    int last = first + page;
    if (last > kLastSample) {
        last = kLastSample;
        first = kLastSample - page;
    }
    chart->SetView(first, last);
    scroll->SetPage(page);
    scroll->SetPosition(first);
}
