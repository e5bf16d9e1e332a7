// The real window on the offscreen platform: built from the model, forwarding events.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "qt/main_window.h"
#include "qt/qt_canvas.h"
#include "support/test_platform.h"

namespace {

struct QtFixture : ::testing::Test {
  testing_support::TestPlatform plat;
  Program prog{plat};
  qtui::QtCanvas canvas;
  qtui::MainWindow win{prog, canvas};
};

TEST_F(QtFixture, MenuBarFollowsTheTreeCaptionForCaption) {
  QList<QAction*> tops = win.menuBar()->actions();
  QStringList titles;
  for (QAction* a : tops) titles << a->text();
  EXPECT_EQ(titles, (QStringList{"&File", "&System", "&Inputs", "&Shock Setup", "&Test Setup",
                                 "Test &Run", "&View", "Tools", "&Help"}));
  for (const auto& d : ui::MenuTree()) {
    if (d.Kind != ui::MenuKind::Item && d.Kind != ui::MenuKind::Array) continue;
    int n = d.Kind == ui::MenuKind::Array ? 16 : 1;
    for (int i = 0; i < n; ++i) {
      QAction* a = win.ActionFor(d.Id, i);
      ASSERT_NE(a, nullptr) << std::string(d.Name);
      EXPECT_EQ(a->text().toStdString(), ui::MenuCaption(d.Id, i));
      EXPECT_EQ(a->isChecked(), prog.win.Checked(d.Id, i)) << std::string(d.Name);
    }
  }
}

TEST_F(QtFixture, ControlsCarryTheirNamesAndInitialTexts) {
  for (int i = 0; i < ui::kLabelCount; ++i) {
    auto id = static_cast<ui::LabelId>(i);
    QString name = QString::fromUtf8(ui::LabelName(id).data());
    auto* l = win.findChild<QLabel*>(name);
    ASSERT_NE(l, nullptr) << name.toStdString();
    EXPECT_EQ(l->text().toStdString(), prog.win.Lbl(id).Caption);
    EXPECT_EQ(l->accessibleDescription(), name);
  }
  for (const char* n : {"cmdEqual", "cmdPreTest", "cmdStart", "SpnLevel", "spnXaxis", "spnYaxis",
                        "picPlot", "imgSine", "Image3"})
    EXPECT_NE(win.FindControl(n), nullptr) << n;
  EXPECT_EQ(win.findChild<QPushButton*>("cmdStart")->text(), "START");
  EXPECT_EQ(win.windowTitle(), "KRX-8 CLASSICAL SHOCK CONTROLLER");
}

TEST_F(QtFixture, ActionsReachTheCoreAndBusyDropsThem) {
  win.ActionFor(ui::MenuId::mnuHelpAboutSoftware)->trigger();
  ASSERT_EQ(plat.Boxes.size(), 1u);
  EXPECT_EQ(plat.Boxes[0].Title, "About the KRX-8 Classical Shock Controller");
  prog.run.Busy = true;  // another handler (or its modal box) is running
  win.ActionFor(ui::MenuId::mnuHelpNew)->trigger();
  EXPECT_EQ(plat.Boxes.size(), 1u);
  prog.run.Busy = false;
  win.ActionFor(ui::MenuId::mnuHelpNew)->trigger();
  ASSERT_EQ(plat.Boxes.size(), 2u);
  EXPECT_EQ(plat.Boxes[1].Title, "What's New");
}

// A timer's countdown restarts when the core writes it, not at the next Sync; while a
// handler is busy the window still passes Abort on.
TEST_F(QtFixture, TimersRestartAtTheWriteAndAbortPassesWhileBusy) {
  auto* pacing = win.findChild<QTimer*>("tmrTimer2");
  ASSERT_NE(pacing, nullptr);
  prog.win.SetTimerInterval(ui::TimerId::tmrTimer2, 1000);
  prog.win.SetTimerEnabled(ui::TimerId::tmrTimer2, true);
  EXPECT_TRUE(pacing->isActive());
  EXPECT_GT(pacing->remainingTime(), 900);
  prog.win.SetTimerEnabled(ui::TimerId::tmrTimer2, false);
  EXPECT_FALSE(pacing->isActive());

  prog.run.Busy = true;
  win.ActionFor(ui::MenuId::mnuRunAbort)->trigger();
  EXPECT_TRUE(prog.run.AbortRequested);
  prog.run.Busy = false;
}

TEST_F(QtFixture, ModelChangesShowAfterSync) {
  prog.win.SetCaption(ui::LabelId::lblStatus, " FULL TEST LEVEL SHOCK PULSE ");
  prog.win.Button(ui::ButtonId::cmdStart).ForeColor = ui::kRed;
  prog.win.Check(ui::MenuId::mnuRunStart, true);
  win.Sync();
  EXPECT_EQ(win.findChild<QLabel*>("lblStatus")->text(), " FULL TEST LEVEL SHOCK PULSE ");
  EXPECT_TRUE(win.findChild<QPushButton*>("cmdStart")->styleSheet().contains("#ff0000"));
  EXPECT_TRUE(win.ActionFor(ui::MenuId::mnuRunStart)->isChecked());
}

TEST_F(QtFixture, ResizingScalesThePictureWithoutARedraw) {
  win.show();
  int before = prog.plot.RefreshCount;
  win.resize(900, 600);
  QApplication::processEvents();
  win.resize(1300, 900);
  QApplication::processEvents();
  EXPECT_EQ(prog.plot.RefreshCount, before);
  QWidget* plot = win.FindControl("picPlot");
  ASSERT_NE(plot, nullptr);
  // The next drawing is made at the widget's new size.
  canvas.Clear(0);
  EXPECT_EQ(canvas.Width(), plot->width());
  EXPECT_EQ(canvas.Height(), plot->height());
}

}  // namespace

// The application lives on main's stack: a static one would be destroyed after Qt's own
// statics at exit.
int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
