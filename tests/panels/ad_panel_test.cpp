// The A/D panel's window on the offscreen platform: display initialisation, refresh, Reset, the
// range and graph buttons. No box is on the port, so the worker gives up at once (error 15) and
// every refresh here is one the test posts.
#include <QRadioButton>
#include <cstring>

#include "panel_test_util.h"
#include "panels/clsDlgAD.h"
#include "platform/posted_event.h"
#include "platform/profile_file.h"
#include "plotwin.h"

namespace {

std::string GraphTrace() {
    std::vector<char> buf(1 << 20);
    GraphCallTrace(buf.data(), static_cast<int>(buf.size()));
    return buf.data();
}

int Count(const std::string& text, const std::string& what) {
    int n = 0;
    for (size_t p = text.find(what); p != std::string::npos; p = text.find(what, p + 1)) ++n;
    return n;
}

std::string Text(const QLabel* label) {
    return label->text().toStdString();
}

}  // namespace

class AdPanelTest : public IsolatedTest {};

TEST_F(AdPanelTest, RefreshShowsValuesAveragesAndFeedsTheGraph) {
    AppSettings settings = PanelSettings(kRoleAd, 3, 1, env.root());
    RecordedBoxes boxes(1);
    clsDlgAD panel(&settings);
    panel.show();

    EXPECT_EQ(panel.windowTitle().toStdString(), "QVX-A/D COM3 0bps");
    for (int i = 0; i < kAdInputs; ++i) {
        EXPECT_EQ(Text(panel.CurrentLabel(i)), "0.000V(000)");
        EXPECT_EQ(Text(panel.AverageLabel(i)), "0.000V(000)");
        for (const CStaticEx* label : {panel.CurrentLabel(i), panel.AverageLabel(i)}) {
            EXPECT_EQ(label->logFont().faceName, "ＭＳ ゴシック");
            EXPECT_EQ(label->logFont().width, 11);
            EXPECT_EQ(label->logFont().height, 22);
            EXPECT_EQ(label->logFont().weight, 700);
        }
    }
    // No range in the ini: "-10～10V".
    EXPECT_EQ(settings.adBlock.adRange, 1);
    EXPECT_FALSE(Control<QRadioButton>(&panel, clsDlgAD::kIdRange0to20)->isChecked());
    EXPECT_TRUE(Control<QRadioButton>(&panel, clsDlgAD::kIdRangePm10)->isChecked());
    ASSERT_TRUE(WaitForUi([&] { return slk_GetChildErr(1) == 15 && settings.workerPhase == 0; }));

    AdBlock& block = settings.adBlock;
    auto refreshWith = [&](int i, double volts, int32_t raw) {
        block.adVolts[static_cast<size_t>(i)] = volts;
        block.adRaw[static_cast<size_t>(i)] = raw;
        PostUserMessage(&panel, kPanelRefreshAd, 0);
        QCoreApplication::processEvents();
    };
    GraphCallTraceClear();
    refreshWith(0, 1.0, 0x0CD);
    refreshWith(0, 2.0, 0x19A);
    refreshWith(0, 6.0, 0x4CD);
    EXPECT_EQ(Text(panel.CurrentLabel(0)), "6.000V(4CD)");
    EXPECT_EQ(Text(panel.AverageLabel(0)), "3.000V(266)");
    EXPECT_EQ(Text(panel.AverageLabel(1)), "0.000V(000)");

    // Every refresh gives the graph one value per channel, CH1 to CH8.
    const std::string trace = GraphTrace();
    EXPECT_EQ(Count(trace, "GraphPutData "), 24);
    EXPECT_EQ(Count(trace, "GraphPutData 1 6 1 1\n"), 1);
    EXPECT_EQ(Count(trace, "GraphPutData 8 0 1 1\n"), 3);

    // Labels whose text did not change are not touched.
    panel.CurrentLabel(3)->setText("untouched");
    panel.AverageLabel(3)->setText("untouched");
    panel.CurrentLabel(0)->setText("untouched");
    refreshWith(0, 6.0, 0x4CD);
    EXPECT_EQ(Text(panel.CurrentLabel(3)), "untouched");
    EXPECT_EQ(Text(panel.AverageLabel(3)), "untouched");
    EXPECT_EQ(Text(panel.CurrentLabel(0)), "untouched");
    EXPECT_EQ(Text(panel.AverageLabel(0)), "3.750V(300)");

    // Reset: the next refresh's average is its own value; the other inputs keep theirs.
    block.adVolts[1] = 4.0;
    Click(&panel, clsDlgAD::kIdReset0);
    refreshWith(0, 9.5, 0x79A);
    EXPECT_EQ(Text(panel.AverageLabel(0)), "9.500V(79A)");
    EXPECT_EQ(Text(panel.AverageLabel(1)), "0.800V(000)");  // 4 V over five refreshes

    // The range buttons set the range only; averages are kept.
    Click(&panel, clsDlgAD::kIdRange0to20);
    EXPECT_EQ(block.adRange, 0);
    EXPECT_EQ(block.adSampleCount[0], 2);
    Click(&panel, clsDlgAD::kIdRange0to20);
    EXPECT_EQ(block.adRange, 0);
    Click(&panel, clsDlgAD::kIdRangePm10);
    EXPECT_EQ(block.adRange, 1);
    Click(&panel, clsDlgAD::kIdRange0to20);

    GraphCallTraceClear();
    Click(&panel, clsDlgAD::kIdGraph);
    EXPECT_EQ(GraphTrace(), "GraphOpen\n");

    // Close ends the dialog; the range goes to the ini file.
    Click(&panel, 1);
    EXPECT_FALSE(panel.isVisible());
    EXPECT_EQ(GetPrivateProfileInt("Setting", "Range", -1, settings.adIni), 0);
    EXPECT_EQ(slk_GetChildSta(1), 3);
}

TEST_F(AdPanelTest, RangeFromTheIniChecksItsButton) {
    AppSettings settings = PanelSettings(kRoleAd, 7, 0, env.root());
    WriteFile(settings.adIni, "[Setting]\r\nRange=0\r\n");
    RecordedBoxes boxes(0);
    clsDlgAD panel(&settings);
    panel.show();
    EXPECT_EQ(settings.adBlock.adRange, 0);
    EXPECT_TRUE(Control<QRadioButton>(&panel, clsDlgAD::kIdRange0to20)->isChecked());
    EXPECT_FALSE(Control<QRadioButton>(&panel, clsDlgAD::kIdRangePm10)->isChecked());
    // A port that cannot be opened: message 1, then the wrong-box message.
    ASSERT_EQ(boxes.boxes.size(), 2u);
    // The catalog text, then (on a line of its own) what the system said about the port.
    EXPECT_EQ(boxes.boxes[0].first.substr(0, boxes.boxes[0].first.find('\n')),
              "COMのセットアップに失敗しました。 COM[7]");
    EXPECT_EQ(boxes.boxes[0].second, 1);
    EXPECT_EQ(boxes.boxes[1].first, "QVX-A/Dが接続されていません。 COM[7]");
    EXPECT_EQ(boxes.boxes[1].second, 14);
}
