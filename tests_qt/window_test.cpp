// The real window on the offscreen platform: built from the model, forwarding events.
#include <gtest/gtest.h>

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QMenuBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "common/number_text.h"
#include "procedure/runner.h"
#include "qt/main_window.h"
#include "qt/qt_canvas.h"
#include "qt/qt_platform.h"
#include "support/temp_dir.h"
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
  prog.win.Shown = true;  // start-up has loaded the window
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

// A drawing made in a small window is drawn again at the enlarged widget's pixel size:
// a one-pixel line stays one pixel wide and slopes are antialiased, on a dense screen too,
// while the report picture keeps the size the drawing was made at.
TEST_F(QtFixture, TheLastDrawingIsDrawnAgainAtTheWidgetsPixelSize) {
  win.show();
  canvas.SetTargetSize(400, 250);
  canvas.Clear(0);
  canvas.Scale(0, 0, 400, 250);
  canvas.Line(0, 100, 400, 100, 15);
  canvas.Line(0, 250, 400, 0, 15);
  canvas.Finish();
  win.resize(1600, 1000);
  QApplication::processEvents();
  QWidget* plot = win.FindControl("picPlot");
  ASSERT_GT(plot->width(), 1000);
  const QImage shot = plot->grab().toImage();
  const qreal dpr = shot.devicePixelRatio();
  auto litRows = [](const QImage& img, int x, int fromY, int toY) {
    int n = 0;
    for (int y = fromY; y < toY; ++y) n += qGray(img.pixel(x, y)) > 200;
    return n;
  };
  const int x = shot.width() / 5;  // the slope is far below the horizontal line here
  EXPECT_EQ(litRows(shot, x, 0, shot.height() / 2), qRound(dpr));
  bool smooth = false;
  for (int y = shot.height() / 2; y < shot.height(); ++y) {
    const int g = qGray(shot.pixel(x, y));
    smooth = smooth || (g > 20 && g < 200);
  }
  EXPECT_TRUE(smooth);
  EXPECT_EQ(canvas.Picture().size(), QSize(400, 250));

  const QImage& dense = canvas.Screen(QSize(400, 250), 2);
  EXPECT_EQ(dense.size(), QSize(800, 500));
  EXPECT_EQ(litRows(dense, 160, 0, 300), 2);
}

TEST_F(QtFixture, ScreenReadersHearWhatTheControlsShow) {
  prog.win.SetCaption(ui::LabelId::lblAbort, " ABORT = 6. DB.");
  prog.win.SetCaption(ui::LabelId::lblAccept, "TOLERANCE FAIL - VELOCITY CHANGE 121 %");
  prog.win.Lbl(ui::LabelId::lblAccept).Visible = true;
  win.Sync();
  auto spoken = [](QWidget* w) {
    QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
    return a ? a->text(QAccessible::Name) : QString("(none)");
  };
  for (int i = 0; i < ui::kLabelCount; ++i) {
    auto* l = win.findChild<QLabel*>(
        QString::fromUtf8(ui::LabelName(static_cast<ui::LabelId>(i)).data()));
    ASSERT_NE(l, nullptr);
    EXPECT_EQ(spoken(l), l->text()) << l->objectName().toStdString();
  }
  EXPECT_EQ(spoken(win.FindControl("lblAbort")), " ABORT = 6. DB.");
  EXPECT_EQ(spoken(win.FindControl("lblAccept")), "TOLERANCE FAIL - VELOCITY CHANGE 121 %");
  for (const char* n : {"cmdEqual", "cmdPreTest", "cmdStart"}) {
    auto* b = win.findChild<QPushButton*>(n);
    EXPECT_EQ(spoken(b), b->text());
    EXPECT_EQ(b->accessibleDescription(), n);
  }
  EXPECT_EQ(spoken(win.FindControl("spnXaxis_Up")), "X zoom up");
  EXPECT_EQ(spoken(win.FindControl("spnYaxis_Down")), "Y zoom down");
  EXPECT_EQ(spoken(win.FindControl("SpnLevel_Up")), "Level up");
}

TEST_F(QtFixture, NoTimerTicksBeforeStartUp) {
  // The splash runs with the window built but not loaded: none of its timers may run.
  for (const char* n : {"tmrTimer1", "tmrTimer2", "tmrTimer3"}) {
    auto* t = win.findChild<QTimer*>(n);
    ASSERT_NE(t, nullptr);
    EXPECT_FALSE(t->isActive()) << n;
  }
  win.Forward(app::Event::Of(app::EventKind::SplashDone));
  auto* t3 = win.findChild<QTimer*>("tmrTimer3");
  ASSERT_NE(t3, nullptr);
  EXPECT_TRUE(t3->isActive());
  EXPECT_EQ(t3->interval(), 250);
}

TEST_F(QtFixture, FontsAndControlsFollowTheWindowsSize) {
  win.show();
  auto sizes = [&] {
    std::vector<double> v;
    for (const char* n : {"lblAbort", "lblY0", "lblX5", "LblAcc", "cmdStart"})
      v.push_back(win.FindControl(n)->font().pointSizeF());
    return v;
  };
  win.resize(800, 600);
  QApplication::processEvents();
  // The layout fits the small window: it is not pushed wider or taller.
  EXPECT_EQ(win.size(), QSize(800, 600));
  std::vector<double> small = sizes();
  auto* panel = win.FindControl("StatusPanel");
  for (const char* n : {"lblDisp", "lblVel", "lblAccBottom", "Image3"}) {
    QWidget* c = win.FindControl(n);
    EXPECT_TRUE(panel->rect().contains(c->geometry())) << n;
  }
  win.resize(1920, 1080);
  QApplication::processEvents();
  std::vector<double> big = sizes();
  for (size_t i = 0; i < small.size(); ++i) EXPECT_GT(big[i], small[i] * 1.5) << i;
  // Tick labels stay beside their grid lines: lblY5 (zero) on the plot's centre line.
  QWidget* plot = win.FindControl("picPlot");
  QWidget* y5 = win.FindControl("lblY5");
  EXPECT_NEAR(y5->geometry().center().y(), plot->geometry().center().y(), 3);
  EXPECT_EQ(win.FindControl("lblAbort")->font().family(), "MS Sans Serif");
  EXPECT_EQ(win.FindControl("LblAcc")->font().family(), "Arial");
  EXPECT_EQ(win.FindControl("LblFreq")->font().family(), "Arial");
}

TEST(QtCursor, ReadsAgainstThePictureBoxsCurrentSize) {
  qtui::QtPlatform qp;
  Program qprog(qp);
  qtui::MainWindow qwin(qprog, qp.Canvas());
  qp.SetWindow(&qwin);
  qprog.plot.XZoom = 1;
  qprog.plot.YZoom = 1;
  qwin.show();
  qwin.resize(1000, 700);
  QApplication::processEvents();
  QWidget* plot = qwin.FindControl("picPlot");
  auto clickRightEdge = [&] {
    QTest::mouseClick(plot, Qt::LeftButton, {}, QPoint(plot->width() - 1, plot->height() / 2));
    return qwin.findChild<QLabel*>("lblCursor")->text().toStdString();
  };
  // The picture in the box was drawn at another size (never redrawn since the resize).
  ASSERT_NE(qp.Canvas().Picture().width(), plot->width());
  std::string expect =
      "  Time = " + common::FormatMask(100.0 * (plot->width() - 1) / plot->width(), "###.#") +
      " Msec. , G = " +
      common::FormatMask((0.5 * plot->height() - plot->height() / 2) / plot->height() * 200,
                         "###.##");
  EXPECT_EQ(clickRightEdge(), expect);
  // Open Report loads a picture of its own size into the box.
  testing_support::TempDir dir;
  QImage small(200, 100, QImage::Format_RGB32);
  small.fill(Qt::black);
  std::string bmp = dir / "KRXTestC.001";
  ASSERT_TRUE(small.save(QString::fromStdString(bmp), "BMP"));
  ASSERT_TRUE(qp.Canvas().LoadPicture(bmp));
  EXPECT_EQ(clickRightEdge(), expect);
  EXPECT_EQ(qprog.plot.PlotWidth, plot->width());
  EXPECT_EQ(qprog.plot.PlotHeight, plot->height());
}

}  // namespace

int RecordWithDialogs(const char* folder);  // history_dialog_test.cpp

// The application lives on main's stack: a static one would be destroyed after Qt's own
// statics at exit.
int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  // The recording program of the history's dialog test.
  if (argc == 3 && std::string(argv[1]) == "--history-recorder") return RecordWithDialogs(argv[2]);
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}

// While a procedure runs the window shows its commands disabled, and closing it asks as
// File > Exit does: No keeps it open and running, Yes ends the procedure and the program.
TEST_F(QtFixture, DuringAProcedureCommandsAreDisabledAndClosingAsks) {
  prog.daq.DemoMode = 1;
  prog.procedure.Proc.Steps.resize(1);
  prog.procedure.Steps.resize(1);
  prog.procedure.At = procedure::Phase::Running;
  prog.win.Check(ui::MenuId::mnuRunStart, true);
  prog.win.Shown = true;
  win.Forward(app::Event::MenuClick(ui::MenuId::mnuViewRefresh));
  ASSERT_TRUE(win.isVisible());
  EXPECT_FALSE(win.findChild<QPushButton*>("cmdStart")->isEnabled());
  EXPECT_FALSE(win.FindControl("SpnLevel")->isEnabled());
  EXPECT_TRUE(win.FindControl("spnXaxis")->isEnabled());
  EXPECT_FALSE(win.ActionFor(ui::MenuId::mnuRunStart)->isEnabled());
  EXPECT_TRUE(win.ActionFor(ui::MenuId::mnuRunAbort)->isEnabled());

  plat.Answers = {ui::Answer::No};
  win.close();
  ASSERT_EQ(plat.Boxes.size(), 1u);
  EXPECT_EQ(plat.Boxes[0].Text, "Exit VAV Program?");
  EXPECT_TRUE(win.isVisible());
  EXPECT_FALSE(prog.run.Ended);
  EXPECT_TRUE(procedure::Active(prog));
  plat.Answers = {ui::Answer::Yes};
  win.close();
  EXPECT_TRUE(prog.run.Ended);
  EXPECT_EQ(prog.procedure.End, procedure::Ending::Aborted);
}
