// Shared pieces of the launcher window tests: an isolated launcher with its own ini, COM folder
// and status words, the panel stand-in as its executable, and helpers to read its log and to act
// on the small modal dialogs it opens.
#pragma once

#include <QApplication>
#include <QComboBox>
#include <QPushButton>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "launcher/CVantrelDlg.h"
#include "support/test_env.h"

// Processes events until cond holds or timeoutMs passes.
template <class F>
bool PumpUntil(F cond, int timeoutMs = 30000) {
    return WaitFor(
        [&] {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
            return cond();
        },
        timeoutMs);
}

// Lets queued messages arrive for a while (for checks that something did NOT happen).
void PumpFor(int ms);

// The texts of the log lines, without their time stamps. A line whose stamp does not have the
// form "YYYY/MM/DD hh:mm:ss  " is returned whole, prefixed with "BAD STAMP: ".
std::vector<std::string> LogTexts(const CVantrelDlg& dialog);

// True when texts holds line exactly.
bool HasLine(const std::vector<std::string>& texts, const std::string& line);

// Runs action on the first visible top-level widget of type T, from inside whatever modal loop
// is running when it appears (polling every 10 ms for up to 30 s).
template <class T>
void WhenVisible(std::function<void(T*)> action) {
    auto* timer = new QTimer;
    auto shared = std::make_shared<std::function<void(T*)>>(std::move(action));
    auto started = std::make_shared<int>(0);
    QObject::connect(timer, &QTimer::timeout, [timer, shared, started] {
        if (++*started > 3000) {
            timer->deleteLater();
            return;
        }
        for (QWidget* w : QApplication::topLevelWidgets()) {
            T* target = qobject_cast<T*>(w);
            if (target && target->isVisible()) {
                timer->stop();
                timer->deleteLater();
                (*shared)(target);
                return;
            }
        }
    });
    timer->start(10);
}

class LauncherTest : public IsolatedTest {
  protected:
    LauncherTest();
    ~LauncherTest() override;

    // The launcher ini of this test, in its settings folder.
    std::string IniPath() const { return env.settingsFolder() + "vantrel.ini"; }
    // Where the panel stand-in records what it was started with.
    std::string RecordDir() const { return env.root() + "panels/"; }
    std::string PanelRecord(int channel) const;

    // Loads the Option section of the ini into settings, as start-up does.
    void LoadRecord();
    // Makes the window and shows it (which runs its initialisation).
    CVantrelDlg* Open();
    // Closes the window through its Close button and deletes it.
    void CloseByButton();
    // Clicks the row's connect button and waits until the panel stand-in has recorded its start
    // and the button reads "接続中". False when either did not come.
    bool ConnectRow(int row);

    QPushButton* Button(int id) const { return dialog->findChild<QPushButton*>(Ctl(id)); }
    QComboBox* Combo(int id) const { return dialog->findChild<QComboBox*>(Ctl(id)); }
    static QString Ctl(int id) { return QStringLiteral("ctl%1").arg(id); }

    AppSettings settings;
    std::unique_ptr<CVantrelDlg> dialog;
};
