// The I/O box's graph window: the timing chart of the eight inputs, a scroll bar to move
// through the stored samples, a RUN/STOP button and a time-scale list (1sec, 10sec, 100sec).
//
// The I/O panel makes it on the heap with itself as parent, calls CreateModeless(its ini file,
// "Graph") to create it hidden, shows and hides it with its Graph button, appends a sample with
// chart->AddInputSample() while runButton->state is 1, and ends it with DestroyWindow() (saves
// the placement and size) or DestroyWithoutSaving(). The object deletes itself; see
// CDialogModelessKw3.
//
// RUN empties the history and lets the chart follow the newest samples; STOP freezes it, and
// the scroll bar then moves the view through the stored samples. The time scale sets how many
// samples the view spans.
#pragma once

#include "settings/CDialogModelessKw3.h"

class CButtonFlag;
class CChartLogic;
class CComboBoxTime;
class CScrollBarChart;
struct DialogTemplate;
struct DlgItem;

class CDlgIoGraph : public CDialogModelessKw3 {
    Q_OBJECT

  public:
    static constexpr int kTemplateId = 135;
    enum { kIdChart = 1050, kIdScroll = 1054, kIdRun = 1055, kIdTime = 1000 };

    explicit CDlgIoGraph(QWidget* parent = nullptr);

    static const DialogTemplate& Template();

    // The controls, owned by the window.
    CChartLogic* chart = nullptr;
    CScrollBarChart* scroll = nullptr;
    CButtonFlag* runButton = nullptr;
    CComboBoxTime* timeCombo = nullptr;

    // The run button was clicked (it has toggled itself already): state 1 starts a recording
    // with an empty history, state 0 stops it.
    void OnRun();
    // A scroll request (CScrollBarChart codes) from the scroll bar; only while stopped.
    void OnHScroll(int code, int thumb);
    // The time scale was chosen: the view keeps its start where it fits.
    void OnTimeChange();

    // The first show without a saved position centres the window over its owner (the panel).
    void setVisible(bool visible) override;

  protected:
    bool OnInitDialog() override;

  private:
    QWidget* DoDataExchange(const DlgItem& item, QWidget* parent);
    void OnScrollAction(int action);
    // The page size of the selected time scale, or the current page without a selection.
    int SelectedPage() const;

    // No "Left" or "Top" was saved: the first show places the window over its owner.
    bool placeOverOwner_ = false;
};
