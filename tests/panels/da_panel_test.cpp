// The D/A panel's window on the offscreen platform, with a simulated D/A box behind it: what
// the user types or presses, what the panel shows and what the box receives.
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <map>

#include "controls/CButtonEx.h"
#include "controls/CEditEx.h"
#include "controls/CStaticEx.h"
#include "device/box_commands.h"
#include "device/box_sim_helper.h"
#include "panel_test_util.h"
#include "panels/DaWorker.h"
#include "panels/clsDlgDA.h"
#include "platform/profile_file.h"

namespace {

std::string Text(QWidget* dialog, int id) {
    if (auto* label = Control<QLabel>(dialog, id)) return label->text().toStdString();
    if (auto* edit = Control<QLineEdit>(dialog, id)) return edit->text().toStdString();
    if (auto* button = Control<QAbstractButton>(dialog, id)) return button->text().toStdString();
    return "(none)";
}

}  // namespace

class DaPanelTest : public IsolatedTest {};

TEST_F(DaPanelTest, ConvertPresetsAndRangeSetTheVoltageTheBoxReceives) {
    PanelOnBox<clsDlgDA> setup(env, kRoleDa, "da,speed=19200", 4, 2);
    ASSERT_TRUE(setup.sim.ready());
    WriteFile(setup.settings.daIni, "[Setting]\r\nRange=0\r\n");
    clsDlgDA& panel = setup.Show();
    EXPECT_TRUE(setup.boxes.boxes.empty());
    EXPECT_EQ(panel.windowTitle().toStdString(), "QVX-D/A COM4 19200bps");

    // Display initialisation.
    EXPECT_EQ(Text(&panel, clsDlgDA::kIdVoltage), "0.0000");
    EXPECT_EQ(Text(&panel, clsDlgDA::kIdOutput), "0.0000V");
    EXPECT_EQ(Text(&panel, clsDlgDA::kIdPreset0), "0V出力");
    EXPECT_EQ(Text(&panel, clsDlgDA::kIdPreset0 + 1), "+5V出力");
    EXPECT_EQ(Text(&panel, clsDlgDA::kIdPreset0 + 2), "+10V出力");
    EXPECT_TRUE(Control<QRadioButton>(&panel, clsDlgDA::kIdRange0to10)->isChecked());
    EXPECT_FALSE(Control<QRadioButton>(&panel, clsDlgDA::kIdRangePm10)->isChecked());

    // Fonts: face "ＭＳ ゴシック" in the sizes of each control.
    auto* caption = Control<CStaticEx>(&panel, clsDlgDA::kIdVoltageCaption);
    EXPECT_EQ(caption->logFont().faceName, "ＭＳ ゴシック");
    EXPECT_EQ(caption->logFont().weight, 700);
    EXPECT_EQ(caption->logFont().height, 22);
    auto* edit = Control<CEditEx>(&panel, clsDlgDA::kIdVoltage);
    EXPECT_EQ(edit->logFont().width, 11);
    EXPECT_EQ(edit->logFont().height, 22);
    EXPECT_EQ(Control<CButtonEx>(&panel, clsDlgDA::kIdPreset0 + 2)->logFont().height, 18);
    EXPECT_EQ(Control<CButtonEx>(&panel, clsDlgDA::kIdConvert)->logFont().width, 13);
    EXPECT_EQ(Control<CStaticEx>(&panel, clsDlgDA::kIdOutput)->logFont().height, 24);
    EXPECT_EQ(Control<CStaticEx>(&panel, clsDlgDA::kIdOutput)->logFont().weight, 400);
    EXPECT_EQ(Control<CStaticEx>(&panel, clsDlgDA::kIdUnit)->logFont().height, 26);
    EXPECT_EQ(Control<CStaticEx>(&panel, clsDlgDA::kIdOutputCaption)->logFont().weight, 700);

    // Opening sends nothing.
    ASSERT_TRUE(WaitForUi([&] { return setup.settings.workerPhase == DaWorker::kRunning; }));
    PumpFor(200);
    EXPECT_EQ(setup.sim.CountInLog("rx \"P"), 0);

    // Each change is sent once, and its echo taken, before the test makes the next one (a
    // change while the echo is on its way would be a failed command).
    int sent = 0;
    std::map<std::string, int> times;
    auto expectSent = [&](const std::string& command) {
        ++sent;
        const int n = ++times[command];
        EXPECT_TRUE(WaitForUi([&] {
            return setup.sim.CountInLog("rx \"" + command + "\"") == n &&
                   setup.sim.CountInLog("tx \"" + command + "\"") == n && !panel.WaitingForEcho();
        })) << command;
        EXPECT_EQ(setup.sim.CountInLog("rx \"P"), sent) << command;
    };
    auto type = [&](const char* text) {
        edit->setText(QString::fromUtf8(text));
        Click(&panel, clsDlgDA::kIdConvert);
    };

    // 12 in the 0 to 10 V range: 10 V.
    type("12");
    EXPECT_EQ(Text(&panel, clsDlgDA::kIdOutput), "10.0000V");
    EXPECT_EQ(Text(&panel, clsDlgDA::kIdVoltage), "12");  // the edit box is left as typed
    expectSent("PFFFF");
    // -3: 0 V.
    type("-3");
    EXPECT_EQ(Text(&panel, clsDlgDA::kIdOutput), "0.0000V");
    expectSent("P0000");
    // Not numbers: nothing changes, nothing is sent.
    type("1e1");
    type("");
    EXPECT_EQ(setup.settings.daBlock.daVolts, 0.0);
    // A lone "." is 0 V, already set: nothing is sent.
    type(".");
    EXPECT_EQ(Text(&panel, clsDlgDA::kIdOutput), "0.0000V");
    PumpFor(100);
    EXPECT_EQ(setup.sim.CountInLog("rx \"P"), sent);

    Click(&panel, clsDlgDA::kIdPreset0 + 1);  // "+5V出力"
    EXPECT_EQ(Text(&panel, clsDlgDA::kIdOutput), "5.0000V");
    expectSent("P7FFF");

    // The range switch sends 5 V in the new range and changes the presets, not the edit box.
    edit->setText("7.5");
    Click(&panel, clsDlgDA::kIdRangePm10);
    EXPECT_EQ(setup.settings.daBlock.daRange, 1);
    EXPECT_EQ(Text(&panel, clsDlgDA::kIdPreset0), "-10V出力");
    EXPECT_EQ(Text(&panel, clsDlgDA::kIdPreset0 + 1), "0V出力");
    EXPECT_EQ(Text(&panel, clsDlgDA::kIdPreset0 + 2), "+10V出力");
    EXPECT_EQ(Text(&panel, clsDlgDA::kIdVoltage), "7.5");
    EXPECT_EQ(Text(&panel, clsDlgDA::kIdOutput), "5.0000V");
    expectSent("PBFFF");

    Click(&panel, clsDlgDA::kIdPreset0 + 1);  // "0V出力" in -10 to 10 V
    expectSent("P7FFF");
    Click(&panel, clsDlgDA::kIdPreset0);  // "-10V出力"
    EXPECT_EQ(Text(&panel, clsDlgDA::kIdOutput), "-10.0000V");
    expectSent("P0000");
    // Back to 0 to 10 V with -10 V set: the voltage stays, the command is clamped to P0000,
    // and the label shows the 0 V the box is given.
    Click(&panel, clsDlgDA::kIdRange0to10);
    EXPECT_EQ(setup.settings.daBlock.daVolts, -10.0);
    EXPECT_EQ(Text(&panel, clsDlgDA::kIdOutput), "0.0000V");
    expectSent("P0000");
    EXPECT_EQ(setup.sim.CountInLog("rx \"P0000\""), 3);

    EXPECT_EQ(slk_GetChildErr(2), 0);
    panel.done(0);
    EXPECT_EQ(GetPrivateProfileInt("Setting", "Range", -1, setup.settings.daIni), 0);
    EXPECT_EQ(slk_GetChildSta(2), 3);
}

TEST_F(DaPanelTest, TheOutputLabelAgreesWithTheCodeTheBoxWasSent) {
    PanelOnBox<clsDlgDA> setup(env, kRoleDa, "da,speed=9600", 6, 1);
    ASSERT_TRUE(setup.sim.ready());
    WriteFile(setup.settings.daIni, "[Setting]\r\nRange=1\r\n");
    clsDlgDA& panel = setup.Show();
    ASSERT_TRUE(WaitForUi([&] { return setup.settings.workerPhase == DaWorker::kRunning; }));
    auto* edit = Control<CEditEx>(&panel, clsDlgDA::kIdVoltage);

    // After each action: the box has taken one more command, and the code the label's voltage
    // gives in the range in effect is the code the box received.
    int sent = 0;
    auto agree = [&](const std::string& step) {
        ++sent;
        ASSERT_TRUE(WaitForUi([&] {
            return setup.sim.CountInLog("rx \"P") == sent && !panel.WaitingForEcho();
        })) << step;
        const std::string log = setup.sim.Log();
        const size_t at = log.rfind("rx \"P");
        ASSERT_NE(at, std::string::npos);
        const uint32_t received = std::stoul(log.substr(at + 5, 4), nullptr, 16);
        const std::string label = Text(&panel, clsDlgDA::kIdOutput);
        ASSERT_EQ(label.back(), 'V') << step;
        EXPECT_EQ(DaCode(setup.settings.daBlock.daRange, std::stod(label)), received)
            << step << ": label " << label;
    };
    auto type = [&](const char* text) {
        edit->setText(QString::fromUtf8(text));
        Click(&panel, clsDlgDA::kIdConvert);
        agree(std::string("convert ") + text);
    };
    auto range = [&](int id, const char* step) {
        Click(&panel, id);
        agree(step);
    };
    auto preset = [&](int k) {
        Click(&panel, clsDlgDA::kIdPreset0 + k);
        agree("preset " + std::to_string(k));
    };

    type("-5");
    EXPECT_EQ(Text(&panel, clsDlgDA::kIdOutput), "-5.0000V");
    range(clsDlgDA::kIdRange0to10, "to 0~10V with -5 V set");
    EXPECT_EQ(Text(&panel, clsDlgDA::kIdOutput), "0.0000V");  // P0000 went out
    EXPECT_EQ(setup.settings.daBlock.daVolts, -5.0);          // the set voltage stays
    EXPECT_EQ(Text(&panel, clsDlgDA::kIdVoltage), "-5");      // and so does the edit box
    range(clsDlgDA::kIdRangePm10, "back to -10~10V");
    EXPECT_EQ(Text(&panel, clsDlgDA::kIdOutput), "-5.0000V");
    preset(0);  // -10 V
    range(clsDlgDA::kIdRange0to10, "to 0~10V with -10 V set");
    EXPECT_EQ(Text(&panel, clsDlgDA::kIdOutput), "0.0000V");
    preset(1);  // +5 V
    preset(2);  // +10 V
    type("3.25");
    range(clsDlgDA::kIdRangePm10, "to -10~10V with 3.25 V set");
    type("-12");
    preset(1);  // 0 V
    EXPECT_EQ(slk_GetChildErr(1), 0);
    panel.done(0);
}

TEST_F(DaPanelTest, SilentBoxGivesTwelveAfterTheFirstChangeOnly) {
    // Identification takes three answers; after them the box says nothing more.
    PanelOnBox<clsDlgDA> setup(env, kRoleDa, "da,speed=9600,fail=silent-after:3", 5, 3);
    ASSERT_TRUE(setup.sim.ready());
    clsDlgDA& panel = setup.Show();
    EXPECT_TRUE(setup.boxes.boxes.empty());
    ASSERT_TRUE(WaitForUi([&] { return setup.settings.workerPhase == DaWorker::kRunning; }));
    PumpFor(700);
    EXPECT_EQ(slk_GetChildErr(3), 0);

    Click(&panel, clsDlgDA::kIdPreset0 + 2);  // "+10V出力"
    ASSERT_TRUE(WaitForUi([&] { return slk_GetChildErr(3) == DaWorker::kErrorNoEcho; }));
    EXPECT_TRUE(WaitForUi([&] { return setup.settings.workerPhase == 0; }));
    // Later changes are shown, not sent.
    Click(&panel, clsDlgDA::kIdPreset0);
    EXPECT_EQ(Text(&panel, clsDlgDA::kIdOutput), "-10.0000V");
    PumpFor(200);
    EXPECT_EQ(setup.sim.CountInLog("rx \"P"), 1);
}

TEST_F(DaPanelTest, EnterInTheVoltageEditConvertsNothingAndCloseStillCloses) {
    PanelOnBox<clsDlgDA> setup(env, kRoleDa, "da,speed=9600", 6, 1);
    ASSERT_TRUE(setup.sim.ready());
    clsDlgDA& panel = setup.Show();
    ASSERT_TRUE(WaitForUi([&] { return setup.settings.workerPhase == DaWorker::kRunning; }));

    // "変換" had the focus last (0 V, already set: nothing is sent); then 5 is typed and
    // Enter pressed in the edit. No button is the default one: Enter is the swallowed OK.
    auto* convert = Control<QPushButton>(&panel, clsDlgDA::kIdConvert);
    QTest::mouseClick(convert, Qt::LeftButton);
    convert->setFocus();
    auto* edit = Control<CEditEx>(&panel, clsDlgDA::kIdVoltage);
    edit->setFocus();
    edit->setText("5");
    QTest::keyClick(edit, Qt::Key_Return);
    for (QPushButton* button : panel.findChildren<QPushButton*>()) {
        EXPECT_FALSE(button->isDefault()) << button->objectName().toStdString();
        EXPECT_FALSE(button->autoDefault()) << button->objectName().toStdString();
    }
    PumpFor(200);
    EXPECT_EQ(setup.sim.CountInLog("rx \"P"), 0);
    EXPECT_EQ(Text(&panel, clsDlgDA::kIdOutput), "0.0000V");
    EXPECT_TRUE(panel.isVisible());

    QTest::mouseClick(Control<QPushButton>(&panel, 1), Qt::LeftButton);
    EXPECT_FALSE(panel.isVisible());
    EXPECT_EQ(slk_GetChildSta(1), 3);
}
