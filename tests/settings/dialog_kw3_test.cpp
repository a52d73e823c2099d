// The resizable placement-remembering dialog base and its modeless variant, on real windows of
// the offscreen platform with real ini files.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTest>
#include <memory>

#include "platform/profile_file.h"
#include "settings/CDialogKw3.h"
#include "settings/CDialogModelessKw3.h"
#include "support/test_env.h"

namespace {

// One control per anchor kind, plus one with a kind outside the table.
constexpr int kKinds = 9;
constexpr int kIdFirst = 1100;

const DialogTemplate& TestTemplate() {
    static const DialogTemplate tmpl = [] {
        DialogTemplate t{501, "Kw3 test", 240, 160, "MS UI Gothic", 9, {}};
        for (int k = 0; k < kKinds; ++k) {
            t.items.push_back({kIdFirst + k, DlgKind::PushButton, "x", 4 + 24 * k, 20, 20, 14});
        }
        return t;
    }();
    return tmpl;
}

// A Kw3 dialog whose children are anchored with kinds 0..7 and 9.
template <class Base>
class AnchoredDialog : public Base {
  public:
    template <class... Args>
    explicit AnchoredDialog(std::string ini, Args... args)
        : Base(501, args...), ini_(std::move(ini)) {
        this->BuildTemplate(TestTemplate());
    }

    QWidget* Child(int k) const { return this->dlg.Item(kIdFirst + k); }

    int inits = 0;
    int destroys = 0;
    bool setIni = true;
    int policy[4] = {0, 0, 1, 1};  // fixWidth, fixHeight, minWidth, minHeight

  protected:
    bool OnInitDialog() override {
        ++inits;
        if (setIni) {
            this->iniFile = ini_;
            this->section = "Graph";
        }
        this->fixWidth = policy[0];
        this->fixHeight = policy[1];
        this->minWidth = policy[2];
        this->minHeight = policy[3];
        for (int k = 0; k < 8; ++k) this->AddAnchor(Child(k), k);
        this->AddAnchor(Child(8), 9);
        return Base::OnInitDialog();
    }
    void OnDestroy() override { ++destroys; }

  private:
    std::string ini_;
};

class ModalKw3 : public AnchoredDialog<CDialogKw3> {
  public:
    explicit ModalKw3(std::string ini) : AnchoredDialog<CDialogKw3>(std::move(ini), nullptr) {}
    ~ModalKw3() override { DestroyWindow(); }
};

using ModelessKw3 = AnchoredDialog<CDialogModelessKw3>;

void ShowAndWait(QWidget* w) {
    w->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(w));
}

// Asks a shown window's client area for the size `request` and waits until the window has the
// size `expected`: the request itself, or what a size limit leaves of it.
::testing::AssertionResult ResizeAndWait(QWidget* w, QSize request, QSize expected = QSize()) {
    if (!expected.isValid()) expected = request;
    w->resize(request);
    const bool reached = WaitFor([&] {
        QCoreApplication::processEvents();
        return w->size() == expected;
    });
    if (reached) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "asked for " << request.width() << "x" << request.height() << ", expected "
           << expected.width() << "x" << expected.height() << ", has " << w->width() << "x"
           << w->height();
}

std::string PlacementIni(const std::string& section, int l, int t, int w, int h) {
    return "[" + section + "]\r\nLeft=" + std::to_string(l) + "\r\nTop=" + std::to_string(t) +
           "\r\nWidth=" + std::to_string(w) + "\r\nHeight=" + std::to_string(h) + "\r\n";
}

}  // namespace

TEST_F(IsolatedTest, DialogKw3AnchoredChildrenFollowTheOuterSize) {
    ModalKw3 dialog(env.root() + "kw3.ini");
    dialog.policy[2] = dialog.policy[3] = 0;  // free to shrink too
    ShowAndWait(&dialog);
    ASSERT_EQ(dialog.DesignWidth(), dialog.frameGeometry().width());
    ASSERT_EQ(dialog.DesignHeight(), dialog.frameGeometry().height());

    QRect before[kKinds];
    for (int k = 0; k < kKinds; ++k) before[k] = dialog.Child(k)->geometry();
    const QSize start = dialog.size();
    const int dx = 37;
    const int dy = 21;
    ASSERT_TRUE(ResizeAndWait(&dialog, start + QSize(dx, dy)));
    EXPECT_EQ(dialog.frameGeometry().width(), dialog.LastWidth());
    EXPECT_EQ(dialog.frameGeometry().height(), dialog.LastHeight());

    auto moved = [](QRect r, int x, int y) { return r.translated(x, y); };
    auto grown = [](QRect r, int w, int h) { return r.adjusted(0, 0, w, h); };
    EXPECT_EQ(moved(before[0], dx, dy), dialog.Child(0)->geometry());               // MoveXY
    EXPECT_EQ(moved(before[1], dx, 0), dialog.Child(1)->geometry());                // MoveX
    EXPECT_EQ(moved(before[2], 0, dy), dialog.Child(2)->geometry());                // MoveY
    EXPECT_EQ(grown(before[3], dx, 0), dialog.Child(3)->geometry());                // SizeX
    EXPECT_EQ(grown(before[4], 0, dy), dialog.Child(4)->geometry());                // SizeY
    EXPECT_EQ(grown(moved(before[5], 0, dy), dx, 0), dialog.Child(5)->geometry());  // MoveYSizeX
    EXPECT_EQ(grown(moved(before[6], dx, 0), 0, dy), dialog.Child(6)->geometry());  // MoveXSizeY
    EXPECT_EQ(grown(before[7], dx, dy), dialog.Child(7)->geometry());               // SizeXY
    EXPECT_EQ(before[8], dialog.Child(8)->geometry());  // unknown kind: stays

    // Shrunk far below the design size, a growing child has no width left, or keeps the least
    // it allows; back at the start size every child is where it began.
    dialog.Child(4)->setMinimumHeight(5);
    ASSERT_TRUE(ResizeAndWait(&dialog, QSize(40, 30)));
    EXPECT_LE(dialog.Child(3)->width(), 0);
    EXPECT_EQ(5, dialog.Child(4)->height());
    ASSERT_TRUE(ResizeAndWait(&dialog, start));
    for (int k = 0; k < kKinds; ++k) EXPECT_EQ(before[k], dialog.Child(k)->geometry()) << k;
}

TEST_F(IsolatedTest, DialogKw3SizeLimitsHoldOnlyAfterInitialisation) {
    ModalKw3 dialog(env.root() + "kw3.ini");
    const QSize design = dialog.size();
    // Not initialised yet: no limits, no layout.
    dialog.resize(design - QSize(50, 50));
    EXPECT_EQ(design - QSize(50, 50), dialog.size());
    EXPECT_EQ(-1, dialog.LastWidth());
    dialog.resize(design);

    ShowAndWait(&dialog);
    // minWidth, minHeight: the design size at least; growing is free.
    ASSERT_TRUE(ResizeAndWait(&dialog, design - QSize(60, 40), design));
    ASSERT_TRUE(ResizeAndWait(&dialog, design + QSize(80, 60)));
}

TEST_F(IsolatedTest, DialogKw3FixedWidthKeepsTheDesignWidth) {
    ModalKw3 dialog(env.root() + "kw3.ini");
    dialog.policy[0] = 1;  // fixWidth
    dialog.policy[2] = dialog.policy[3] = 0;
    const QSize design = dialog.size();
    ShowAndWait(&dialog);
    ASSERT_TRUE(ResizeAndWait(&dialog, design + QSize(100, 30), design + QSize(0, 30)));
    ASSERT_TRUE(ResizeAndWait(&dialog, design - QSize(100, 30), design - QSize(0, 30)));
}

TEST_F(IsolatedTest, DialogKw3IgnoresThe257thAnchor) {
    ModalKw3 dialog(env.root() + "kw3.ini");
    ShowAndWait(&dialog);
    ASSERT_EQ(9, dialog.AnchorCount());
    auto* filler = new QWidget(&dialog);
    filler->setGeometry(0, 0, 5, 5);
    while (dialog.AnchorCount() < CDialogKw3::kMaxAnchors) {
        dialog.AddAnchor(filler, CDialogKw3::MoveXY);
    }
    auto* late = new QPushButton(QStringLiteral("late"), &dialog);
    late->setGeometry(10, 100, 30, 20);
    late->show();
    dialog.AddAnchor(late, CDialogKw3::MoveXY);
    EXPECT_EQ(CDialogKw3::kMaxAnchors, dialog.AnchorCount());

    const QRect firstBefore = dialog.Child(0)->geometry();
    ASSERT_TRUE(ResizeAndWait(&dialog, dialog.size() + QSize(30, 30)));
    EXPECT_EQ(QRect(10, 100, 30, 20), late->geometry());
    EXPECT_EQ(firstBefore.translated(30, 30), dialog.Child(0)->geometry());
    // The filler was registered 247 times: it moved with every one of them.
    EXPECT_EQ(QPoint(30 * 247, 30 * 247), filler->pos());

    // A registered child deleted meanwhile is skipped.
    delete dialog.Child(1);
    ASSERT_TRUE(ResizeAndWait(&dialog, dialog.size() + QSize(5, 5)));
    EXPECT_EQ(firstBefore.translated(35, 35), dialog.Child(0)->geometry());
}

TEST_F(IsolatedTest, DialogKw3SavesAndRestoresPositionAndSize) {
    const std::string ini = env.root() + "panel.ini";
    WriteFile(ini, "; mine\r\n[System]\r\nLeft=1\r\n");
    QRect saved;
    {
        ModalKw3 dialog(ini);
        ShowAndWait(&dialog);
        dialog.move(40, 30);
        ASSERT_TRUE(ResizeAndWait(&dialog, dialog.size() + QSize(60, 20)));
        saved = dialog.frameGeometry();
        dialog.DestroyWindow();
        EXPECT_EQ(1, dialog.destroys);
    }
    EXPECT_EQ("; mine\r\n[System]\r\nLeft=1\r\n" +
                  PlacementIni("Graph", 40, 30, saved.width(), saved.height()),
              ReadFile(ini));

    // Restored at the same outer rectangle, run after run: the frame is not added again.
    for (int run = 0; run < 3; ++run) {
        ModalKw3 dialog(ini);
        ShowAndWait(&dialog);
        QCoreApplication::processEvents();
        EXPECT_EQ(saved, dialog.frameGeometry()) << run;
        EXPECT_TRUE(dialog.close());  // saves again
    }
    EXPECT_EQ(GetPrivateProfileInt("Graph", "Width", -1, ini), saved.width());
    EXPECT_EQ(GetPrivateProfileInt("Graph", "Height", -1, ini), saved.height());
}

TEST_F(IsolatedTest, DialogKw3SavedSizeBelowTheDesignIsRaisedAndMissingKeysKeepTheTemplate) {
    const std::string ini = env.root() + "panel.ini";
    WriteFile(ini, PlacementIni("Graph", 20, 10, 50, -1));
    ModalKw3 dialog(ini);
    const QSize design = dialog.size();
    ShowAndWait(&dialog);
    QCoreApplication::processEvents();
    EXPECT_EQ(design, dialog.size());
    EXPECT_EQ(QPoint(20, 10), dialog.frameGeometry().topLeft());
}

TEST_F(IsolatedTest, DialogKw3MaximisedWindowSavesItsRestoredRectangle) {
    const std::string ini = env.root() + "panel.ini";
    QRect normal;
    {
        ModalKw3 dialog(ini);
        ShowAndWait(&dialog);
        dialog.move(30, 20);
        QCoreApplication::processEvents();
        normal = dialog.frameGeometry();
        dialog.showMaximized();
        ASSERT_TRUE(WaitFor([&] {
            QCoreApplication::processEvents();
            return dialog.isMaximized() && dialog.frameGeometry() != normal;
        }));
        // Maximised: the children followed.
        EXPECT_EQ(dialog.frameGeometry().width(), dialog.LastWidth());
        EXPECT_TRUE(dialog.close());
    }
    EXPECT_EQ(PlacementIni("Graph", normal.x(), normal.y(), normal.width(), normal.height()),
              ReadFile(ini));
}

TEST_F(IsolatedTest, ModelessKw3IsCreatedHiddenButInitialised) {
    const std::string ini = env.root() + "io.ini";
    WriteFile(ini, PlacementIni("Graph", 25, 15, -1, -1));
    QWidget owner;
    auto* dialog = new ModelessKw3(ini, &owner);
    dialog->setIni = false;  // CreateModeless gives file and section
    QPointer<ModelessKw3> alive(dialog);
    EXPECT_EQ(1, dialog->CreateModeless(ini, "Graph"));
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_TRUE(dialog->IsInitialised());
    EXPECT_EQ(1, dialog->inits);
    EXPECT_EQ(ini, dialog->iniFile);
    EXPECT_EQ("Graph", dialog->section);
    EXPECT_EQ(dialog->width(), dialog->DesignWidth());
    EXPECT_EQ(QPoint(25, 15), dialog->pos());
    EXPECT_EQ(0, dialog->CreateModeless(ini, "Other"));  // once only
    EXPECT_EQ("Graph", dialog->section);

    // Shown later: not initialised a second time, the placement stays.
    ShowAndWait(dialog);
    EXPECT_EQ(1, dialog->inits);
    EXPECT_EQ(QPoint(25, 15), dialog->frameGeometry().topLeft());

    dialog->DestroyWithoutSaving();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(alive.isNull());
}

TEST_F(IsolatedTest, ModelessKw3HiddenWindowLaysOutItsRestoredSize) {
    const std::string ini = env.root() + "io.ini";
    QWidget owner;
    auto* probe = new ModelessKw3(ini, &owner);
    const QSize design = probe->size();
    const QRect chartDesign = probe->Child(7)->geometry();
    delete probe;

    WriteFile(ini, PlacementIni("Graph", 10, 10, design.width() + 120, design.height() + 40));
    auto* dialog = new ModelessKw3(ini, &owner);
    dialog->CreateModeless(ini, "Graph");
    ASSERT_FALSE(dialog->isVisible());
    // The frame is not known before the first show: the outer size is the client size.
    EXPECT_EQ(design + QSize(120, 40), dialog->size());
    EXPECT_EQ(chartDesign.adjusted(0, 0, 120, 40), dialog->Child(7)->geometry());

    // Shown: the frame is known, the outer size is the saved one, and the children agree.
    ShowAndWait(dialog);
    QCoreApplication::processEvents();
    const QSize frame = dialog->frameGeometry().size() - dialog->size();
    EXPECT_EQ(design + QSize(120, 40), dialog->frameGeometry().size());
    EXPECT_EQ(chartDesign.adjusted(0, 0, 120, 40).adjusted(0, 0, -frame.width(), -frame.height()),
              dialog->Child(7)->geometry());
    EXPECT_EQ(dialog->DesignWidth() + 120 - frame.width(), dialog->frameGeometry().width());
}

TEST_F(IsolatedTest, ModelessKw3CloseBoxOnlyHides) {
    const std::string ini = env.root() + "io.ini";
    QWidget owner;
    auto* dialog = new ModelessKw3(ini, &owner);
    QPointer<ModelessKw3> alive(dialog);
    dialog->CreateModeless(ini, "Graph");
    ShowAndWait(dialog);

    // Escape does nothing; the close box hides.
    QTest::keyClick(dialog->Child(0), Qt::Key_Escape);
    EXPECT_TRUE(dialog->isVisible());
    EXPECT_TRUE(dialog->close());
    EXPECT_FALSE(dialog->isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_FALSE(alive.isNull());
    EXPECT_TRUE(dialog->IsInitialised());
    EXPECT_EQ(0, dialog->destroys);
    EXPECT_FALSE(PathExists(ini));

    // Shown again as it was, without a new initialisation.
    dialog->showNormal();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(dialog));
    EXPECT_EQ(1, dialog->inits);
    EXPECT_EQ(9, dialog->AnchorCount());
}

TEST_F(IsolatedTest, ModelessKw3DestroyWindowSavesAndDeletesItself) {
    const std::string ini = env.root() + "io.ini";
    QWidget owner;
    auto* dialog = new ModelessKw3(ini, &owner);
    QPointer<ModelessKw3> alive(dialog);
    dialog->CreateModeless(ini, "Graph");
    ShowAndWait(dialog);
    dialog->move(33, 22);
    ASSERT_TRUE(ResizeAndWait(dialog, dialog->size() + QSize(10, 10)));
    const QRect outer = dialog->frameGeometry();

    dialog->DestroyWindow();
    EXPECT_FALSE(dialog->isVisible());
    EXPECT_EQ(1, dialog->destroys);
    EXPECT_EQ(PlacementIni("Graph", 33, 22, outer.width(), outer.height()), ReadFile(ini));
    // Not shown again while its deletion is pending; a second destroy does nothing.
    dialog->show();
    EXPECT_FALSE(dialog->isVisible());
    dialog->DestroyWindow();
    dialog->DestroyWithoutSaving();
    EXPECT_EQ(1, dialog->destroys);

    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(alive.isNull());
    EXPECT_TRUE(owner.children().isEmpty());
}

TEST_F(IsolatedTest, ModelessKw3DestroyWithoutSavingWritesNothing) {
    const std::string ini = env.root() + "io.ini";
    QWidget owner;
    auto* dialog = new ModelessKw3(ini, &owner);
    QPointer<ModelessKw3> alive(dialog);
    dialog->CreateModeless(ini, "Graph");
    ShowAndWait(dialog);
    dialog->DestroyWithoutSaving();
    EXPECT_EQ(1, dialog->destroys);
    EXPECT_FALSE(dialog->isVisible());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(alive.isNull());
    EXPECT_FALSE(PathExists(ini));

    // Never created: deleted all the same.
    auto* never = new ModelessKw3(ini, &owner);
    QPointer<ModelessKw3> neverAlive(never);
    never->DestroyWithoutSaving();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(neverAlive.isNull());
    EXPECT_FALSE(PathExists(ini));
}

TEST_F(IsolatedTest, ModelessKw3GoesWithItsOwnerWithoutSaving) {
    const std::string ini = env.root() + "io.ini";
    auto* owner = new QWidget;
    auto* dialog = new ModelessKw3(ini, owner);
    QPointer<ModelessKw3> alive(dialog);
    dialog->CreateModeless(ini, "Graph");
    ShowAndWait(dialog);
    delete owner;
    EXPECT_TRUE(alive.isNull());
    EXPECT_FALSE(PathExists(ini));

    // Destroyed first, its deletion still pending, when the owner goes: one deletion only.
    owner = new QWidget;
    dialog = new ModelessKw3(ini, owner);
    alive = dialog;
    dialog->CreateModeless(ini, "Graph");
    ShowAndWait(dialog);
    dialog->DestroyWindow();
    ASSERT_FALSE(alive.isNull());
    delete owner;
    EXPECT_TRUE(alive.isNull());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(PathExists(ini));
}

TEST_F(IsolatedTest, ModelessKw3SavesTheLastPlacementAfterBeingHidden) {
    const std::string ini = env.root() + "io.ini";
    QWidget owner;
    auto* dialog = new ModelessKw3(ini, &owner);
    dialog->CreateModeless(ini, "Graph");
    ShowAndWait(dialog);
    dialog->move(44, 33);
    ASSERT_TRUE(ResizeAndWait(dialog, dialog->size() + QSize(20, 10)));
    const QRect outer = dialog->frameGeometry();
    EXPECT_TRUE(dialog->close());  // hidden by its close box, destroyed later by its owner
    dialog->DestroyWindow();
    EXPECT_EQ(PlacementIni("Graph", 44, 33, outer.width(), outer.height()), ReadFile(ini));
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

TEST_F(IsolatedTest, ModelessKw3NeverShownKeepsItsSizeFromRunToRun) {
    const std::string ini = env.root() + "io.ini";
    QWidget owner;
    QSize outer;
    for (int run = 0; run < 3; ++run) {
        auto* dialog = new ModelessKw3(ini, &owner);
        dialog->CreateModeless(ini, "Graph");
        if (run == 1) {
            // Shown once in between: the outer size it has is the one of the first run.
            ShowAndWait(dialog);
            QCoreApplication::processEvents();
            outer = dialog->frameGeometry().size();
            EXPECT_EQ(dialog->DesignWidth(), outer.width());
            EXPECT_EQ(dialog->DesignHeight(), outer.height());
        }
        dialog->DestroyWindow();  // never shown in runs 0 and 2
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    // Saved without a frame it does not know yet, and restored the same way: no growth.
    const int width = GetPrivateProfileInt("Graph", "Width", -1, ini);
    const int height = GetPrivateProfileInt("Graph", "Height", -1, ini);
    EXPECT_LE(width, outer.width());
    EXPECT_LE(height, outer.height());
    auto* dialog = new ModelessKw3(ini, &owner);
    dialog->CreateModeless(ini, "Graph");
    ShowAndWait(dialog);
    QCoreApplication::processEvents();
    EXPECT_EQ(outer, dialog->frameGeometry().size());
}
