// What an accessibility client (a screen reader) hears as the name of each control: in every
// window each control has a name of its own, so rows and channels can be told apart even where
// the control shows only ON, OFF, 接続 or a value.
#include <QAbstractButton>
#include <QAbstractSlider>
#include <QAccessible>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <map>
#include <memory>

#include "iograph/CChartLogic.h"
#include "iograph/CDlgIoGraph.h"
#include "launcher/CVantrelDlg.h"
#include "launcher/clsDlgComSel.h"
#include "panel_test_util.h"
#include "panels/clsDlgAD.h"
#include "panels/clsDlgDA.h"
#include "panels/clsDlgIO.h"

namespace {

std::string AccessibleName(QWidget* w) {
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(w);
    return iface ? iface->text(QAccessible::Name).toStdString() : std::string();
}

// The names of the window's own controls (labels aside), each of which must be non-empty and
// unique; returns the names by object name for further checks.
std::map<std::string, std::string> ExpectDistinctControlNames(QWidget* window) {
    std::map<std::string, std::string> byObject;
    std::map<std::string, int> uses;
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (w->window() != window) continue;
        const bool control = qobject_cast<QAbstractButton*>(w) || qobject_cast<QComboBox*>(w) ||
                             qobject_cast<QLineEdit*>(w) || qobject_cast<QPlainTextEdit*>(w) ||
                             qobject_cast<QAbstractSlider*>(w) || dynamic_cast<CChartLogic*>(w);
        // A combo's own edit and scroll bars of a text edit belong to their control.
        if (!control || !w->parentWidget() || w->parentWidget() != window) continue;
        // Qt on Linux reports a combo's current text as its name; its own name is the
        // property that clients on other platforms read.
        const std::string name =
            qobject_cast<QComboBox*>(w) ? w->accessibleName().toStdString() : AccessibleName(w);
        EXPECT_FALSE(name.empty())
            << w->objectName().toStdString() << " in " << window->objectName().toStdString();
        ++uses[name];
        byObject[w->objectName().toStdString()] = name;
    }
    for (const auto& [name, count] : uses) {
        EXPECT_EQ(count, 1) << "\"" << name << "\" in " << window->objectName().toStdString();
    }
    return byObject;
}

std::string NameOf(QWidget* window, int id) {
    return AccessibleName(Control(window, id));
}

}  // namespace

TEST_F(IsolatedTest, EveryControlOfEveryWindowHasANameOfItsOwn) {
    AppSettings settings = PanelSettings(kRoleIo, 3, 0, env.root());

    clsDlgIO io(&settings);
    auto names = ExpectDistinctControlNames(&io);
    EXPECT_EQ(names["ctl" + std::to_string(clsDlgIO::OutputId(3))], "OUT03");
    EXPECT_EQ(names["ctl" + std::to_string(clsDlgIO::InterruptId(3))], "IN03 入力割り込み");
    EXPECT_EQ(NameOf(&io, clsDlgIO::LampId(3)), "IN03");

    clsDlgAD ad(&settings);
    ExpectDistinctControlNames(&ad);
    EXPECT_EQ(NameOf(&ad, clsDlgAD::kIdAverage0 + 5), "IN5 平均値");
    EXPECT_EQ(NameOf(&ad, clsDlgAD::kIdCurrent0), "IN0 現在値");

    clsDlgDA da(&settings);
    ExpectDistinctControlNames(&da);
    EXPECT_EQ(NameOf(&da, clsDlgDA::kIdVoltage), "電圧指定");
    EXPECT_EQ(NameOf(&da, clsDlgDA::kIdOutput), "現在の出力値");

    AppSettings launcherSettings;
    CVantrelDlg launcher(&launcherSettings);
    launcher.setObjectName(QStringLiteral("CVantrelDlg"));
    names = ExpectDistinctControlNames(&launcher);
    EXPECT_EQ(names["ctl" + std::to_string(CVantrelDlg::kIdConnectButtons[2])], "CH3 接続処理");

    int port = 0;
    clsDlgComSel select(&port, env.root());
    select.setObjectName(QStringLiteral("clsDlgComSel"));
    ExpectDistinctControlNames(&select);

    auto* graph = new CDlgIoGraph;
    ExpectDistinctControlNames(graph);
    delete graph;
}
