#pragma once
// The main window, built from the window model: it forwards every event to the core's
// one entry point and then shows the model again.
#include <QElapsedTimer>
#include <QLabel>
#include <QMainWindow>
#include <QPushButton>
#include <QTimer>
#include <QToolButton>
#include <array>
#include <functional>
#include <map>
#include <vector>

#include "app/events.h"
#include "program/program.h"
#include "qt/qt_canvas.h"

namespace qtui {

class PlotWidget : public QWidget {
  Q_OBJECT
 public:
  explicit PlotWidget(QtCanvas& canvas, QWidget* parent = nullptr);
 signals:
  void pressed(double x, double y);
  void resized();

 protected:
  void paintEvent(QPaintEvent*) override;
  void mousePressEvent(QMouseEvent* e) override;
  void resizeEvent(QResizeEvent*) override;

 private:
  QtCanvas& canvas_;
};

// The plot with its tick labels placed along its edges.
class PlotArea : public QWidget {
  Q_OBJECT
 public:
  PlotArea(QtCanvas& canvas, QWidget* parent = nullptr);
  // Places the plot and its tick labels for the labels' current font.
  void Relayout();
  PlotWidget* plot;
  std::array<QLabel*, 9> yLabels{};
  std::array<QLabel*, 5> xLabels{};
  QLabel* xAxis = nullptr;

 protected:
  void resizeEvent(QResizeEvent*) override;
};

class MainWindow : public QMainWindow {
  Q_OBJECT
 public:
  MainWindow(Program& prog, QtCanvas& canvas);
  ~MainWindow() override;
  // Shows the model: captions, marks, colours, visibility, timers.
  void Sync();
  // Forwards an event to the core and shows the result.
  void Forward(const app::Event& e);
  QWidget* FindControl(const QString& name) const;
  QAction* ActionFor(ui::MenuId id, int index = 0) const;
  // Called once, when the window first appears.
  std::function<void()> OnFirstShown;

 protected:
  void keyPressEvent(QKeyEvent* e) override;
  void closeEvent(QCloseEvent* e) override;
  void resizeEvent(QResizeEvent* e) override;
  bool eventFilter(QObject* o, QEvent* e) override;

 private:
  // Restarts a QTimer from the model; called at the moment the core writes the timer.
  void SyncTimer(int i);
  void BuildMenus();
  void BuildBody();
  QLabel* MakeLabel(ui::LabelId id, QWidget* parent);
  QWidget* MakeSpin(ui::SpinId id, const QString& caption, const QString& spoken);
  // Gives `w` the font `base` scaled with the window from now on.
  void Scaled(QWidget* w, const QFont& base);
  // Fonts and sizes of the controls for the window's current size.
  void ApplyScale();

  Program& prog_;
  QtCanvas& canvas_;
  PlotArea* plotArea_ = nullptr;
  QWidget* panel_ = nullptr;
  std::vector<std::pair<QWidget*, QFont>> scaled_;
  std::vector<QWidget*> arrows_;
  double scale_ = 0;
  std::map<std::pair<int, int>, QAction*> actions_;
  std::map<int, QMenu*> menus_;
  std::array<QLabel*, ui::kLabelCount> labels_{};
  std::array<QPushButton*, 3> buttons_{};
  std::array<QWidget*, 3> spins_{};
  std::array<QLabel*, 2> images_{};
  std::array<QTimer*, 3> timers_{};
  std::array<uint32_t, 3> timerEpochs_{~0u, ~0u, ~0u};
  bool closing_ = false;
  uint32_t shownVersion_ = ~0u;  // the canvas version last painted
};

}  // namespace qtui
