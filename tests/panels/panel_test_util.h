// Helpers for the panel window tests: event pumping while waiting, recorded message boxes, a
// settings record for one panel in the test's folder, and one panel on a simulated box.
#pragma once

#include <QAbstractButton>
#include <QCoreApplication>
#include <QWidget>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "device/box_sim_helper.h"
#include "platform/message_box.h"
#include "settings/AppSettings.h"
#include "statlink.h"
#include "support/test_env.h"

// Waits for cond while the window thread handles its events (posted refreshes among them).
template <class Cond>
bool WaitForUi(Cond cond, int timeoutMs = 30000) {
    return WaitFor(
        [&] {
            QCoreApplication::processEvents();
            return cond();
        },
        timeoutMs);
}

inline void PumpFor(int ms) {
    WaitForUi([] { return false; }, ms);
}

// The control with this id in a built template (objects are named "ctl<id>").
template <class T = QWidget>
T* Control(QWidget* dialog, int id) {
    return dialog->findChild<T*>(QStringLiteral("ctl%1").arg(id));
}

inline void Click(QWidget* dialog, int id) {
    if (auto* button = Control<QAbstractButton>(dialog, id)) button->click();
}

// Message boxes recorded instead of shown, with the channel's error word at that moment.
class RecordedBoxes {
  public:
    explicit RecordedBoxes(int channel) {
        SetMessageBoxHook([this, channel](const std::string& text) {
            boxes.emplace_back(text, slk_GetChildErr(channel));
        });
    }
    ~RecordedBoxes() { SetMessageBoxHook({}); }
    std::vector<std::pair<std::string, int>> boxes;
};

// A record as start-up fills it for a panel on COM com, channel channel, ini files in folder.
inline AppSettings PanelSettings(int role, int com, int channel, const std::string& folder) {
    AppSettings s;
    s.role = role;
    s.channelIndex = channel;
    s.adIni = folder + "vantrelAD" + std::to_string(com) + ".ini";
    s.daIni = folder + "vantrelDA" + std::to_string(com) + ".ini";
    s.ioIni = folder + "vantrelIO" + std::to_string(com) + ".ini";
    s.adBlock.adCom = com;
    s.daBlock.daCom = com;
    s.ioBlock.ioCom = com;
    return s;
}

// The set-up most panel tests share: qvx-boxsim with one box on COM com, the settings record
// start-up fills for the panel on that COM and channel, the recorded message boxes, and the
// panel, made by Build() or Show() once the test has written any ini file the panel reads
// (settings.daIni and the like). The panel goes first, before what it uses.
//
//   PanelOnBox<clsDlgDA> setup(env, kRoleDa, "da,speed=9600", 6, 1);  // COM6, channel 1
//   ASSERT_TRUE(setup.sim.ready());
//   clsDlgDA& panel = setup.Show();
template <class Panel>
class PanelOnBox {
  public:
    // box: a qvx-boxsim description without com= (for instance "io,speed=9600,in=01").
    PanelOnBox(const IsolatedEnv& env, int role, const std::string& box, int com, int channel)
        : sim({"--box", box + ",com=" + std::to_string(com)}),
          settings(PanelSettings(role, com, channel, env.root())),
          boxes(channel) {}

    // Makes the panel; Show() shows it as well.
    Panel& Build() {
        panel_ = std::make_unique<Panel>(&settings);
        return *panel_;
    }
    Panel& Show() {
        Build().show();
        return *panel_;
    }

    BoxSim sim;
    AppSettings settings;
    RecordedBoxes boxes;

  private:
    std::unique_ptr<Panel> panel_;
};
