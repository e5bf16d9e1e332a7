#include "qt/main_window.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

#include "qt/palette.h"

namespace qtui {

using ui::MenuId;

// ---- plot ----

PlotWidget::PlotWidget(QtCanvas& canvas, QWidget* parent) : QWidget(parent), canvas_(canvas) {
  setObjectName("picPlot");
  setAccessibleName("Plot");
  setAccessibleDescription("picPlot");
  setMinimumSize(320, 200);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
}

void PlotWidget::paintEvent(QPaintEvent*) {
  QPainter pt(this);
  // The last drawing again at this size: a resize never runs the refresh.
  pt.drawImage(QPointF(0, 0), canvas_.Screen(size(), devicePixelRatioF()));
}

void PlotWidget::mousePressEvent(QMouseEvent* e) {
  emit pressed(e->position().x(), e->position().y());
}

void PlotWidget::resizeEvent(QResizeEvent*) {
  canvas_.SetTargetSize(width(), height());
  emit resized();
}

PlotArea::PlotArea(QtCanvas& canvas, QWidget* parent) : QWidget(parent) {
  plot = new PlotWidget(canvas, this);
  setMinimumSize(380, 250);
}

void PlotArea::resizeEvent(QResizeEvent*) {
  Relayout();
}

void PlotArea::Relayout() {
  // Margins from the tick labels' font, which follows the window's size.
  const QFontMetrics fm(yLabels[0] ? yLabels[0]->font() : font());
  const int lh = fm.height();
  const int left = fm.horizontalAdvance("-0000") + 8;
  const int xw = fm.horizontalAdvance(" 00000") + 4;
  const int top = lh / 2 + 2, right = xw / 2 + 2, bottom = 2 * lh + 4;
  const int w = width() - left - right, h = height() - top - bottom;
  plot->setGeometry(left, top, w, h);
  // Label j sits on the grid line j tenths of the height from the top: zero is the centre.
  for (int i = 0; i < 9; ++i) {
    if (!yLabels[i]) continue;
    yLabels[i]->setGeometry(0, top + h * i / 10 - lh / 2, left - 4, lh);
  }
  for (int i = 0; i < 5; ++i) {
    if (!xLabels[i]) continue;
    xLabels[i]->setGeometry(left + w * (i + 1) / 5 - xw / 2, top + h + 2, xw, lh);
  }
  if (xAxis) {
    const int aw = fm.horizontalAdvance(" M-SEC. ") + 8;
    xAxis->setGeometry(left + w / 2 - aw / 2, top + h + 2 + lh, aw, lh);
  }
}

// ---- window ----

namespace {
// The size the layout was drawn at; fonts and control sizes scale from it with the window,
// as the resize control of a classic form does.
constexpr double kDesignW = 1024, kDesignH = 700;
// The window's font; LblAcc and LblFreq use Arial.
QFont WindowFont(double points = 8) {
  QFont f("MS Sans Serif");
  f.setStyleHint(QFont::SansSerif);
  f.setPointSizeF(points);
  return f;
}
QFont BigFont() {
  QFont f("Arial");
  f.setStyleHint(QFont::SansSerif);
  f.setPointSizeF(24);
  f.setBold(true);
  return f;
}
}  // namespace

MainWindow::MainWindow(Program& prog, QtCanvas& canvas) : prog_(prog), canvas_(canvas) {
  setObjectName("frmVAV");
  setWindowTitle(QString::fromStdString(prog_.win.Caption));
  BuildMenus();
  BuildBody();
  for (int i = 0; i < 3; ++i) {
    timers_[i] = new QTimer(this);
    timers_[i]->setTimerType(Qt::PreciseTimer);  // a coarse timer may be 5 % late
    timers_[i]->setObjectName(QString::fromUtf8(ui::TimerName(static_cast<ui::TimerId>(i)).data()));
    connect(timers_[i], &QTimer::timeout, this,
            [this, i] { Forward(app::Event::Tick(static_cast<ui::TimerId>(i))); });
  }
  // A tick's countdown restarts when the core writes the interval, at the start of the
  // tick, not when the tick's handler returns: pulses keep their period.
  prog_.win.TimerWritten = [this](ui::TimerId id) { SyncTimer(static_cast<int>(id)); };
  resize(1180, 760);
  ApplyScale();
  Sync();
}

MainWindow::~MainWindow() {
  prog_.win.TimerWritten = nullptr;
}

void MainWindow::SyncTimer(int i) {
  // The window's timers run once start-up loads it, never during the splash.
  if (!prog_.win.Shown) return;
  const ui::Timer& t = prog_.win.GetTimer(static_cast<ui::TimerId>(i));
  if (t.Epoch == timerEpochs_[i]) return;
  timerEpochs_[i] = t.Epoch;
  if (t.Enabled && t.Interval > 0)
    timers_[i]->start(t.Interval);
  else
    timers_[i]->stop();
}

void MainWindow::BuildMenus() {
  for (const auto& d : ui::MenuTree()) {
    QString caption = QString::fromUtf8(d.Caption.data(), static_cast<int>(d.Caption.size()));
    QString name = QString::fromUtf8(d.Name.data(), static_cast<int>(d.Name.size()));
    int id = static_cast<int>(d.Id);
    QMenu* parent = d.Parent == MenuId::None ? nullptr : menus_[static_cast<int>(d.Parent)];
    switch (d.Kind) {
      case ui::MenuKind::Top: {
        QMenu* m = menuBar()->addMenu(caption);
        m->setObjectName(name);
        m->menuAction()->setObjectName(name);
        menus_[id] = m;
        break;
      }
      case ui::MenuKind::Sub: {
        QMenu* m = parent->addMenu(caption);
        m->setObjectName(name);
        m->menuAction()->setObjectName(name);
        menus_[id] = m;
        break;
      }
      case ui::MenuKind::Sep: {
        QAction* a = parent->addSeparator();
        a->setObjectName(name);
        break;
      }
      case ui::MenuKind::Item:
      case ui::MenuKind::Array: {
        int n = d.Kind == ui::MenuKind::Array ? 16 : 1;
        for (int i = 0; i < n; ++i) {
          QAction* a = parent->addAction(QString::fromStdString(ui::MenuCaption(d.Id, i)));
          QString oname = n > 1 ? QString("%1_%2").arg(name).arg(i) : name;
          a->setObjectName(oname);
          a->setToolTip(oname);
          connect(a, &QAction::triggered, this,
                  [this, did = d.Id, i] { Forward(app::Event::MenuClick(did, i)); });
          actions_[{id, i}] = a;
        }
        break;
      }
    }
  }
}

QLabel* MainWindow::MakeLabel(ui::LabelId id, QWidget* parent) {
  auto* l = new QLabel(parent);
  QString name = QString::fromUtf8(ui::LabelName(id).data());
  l->setObjectName(name);
  // A screen reader speaks the text (Qt's default name); the control name is for tools.
  l->setAccessibleDescription(name);
  // Hiding a read-out must not move the others; a long text is cut, not widening the window.
  QSizePolicy sp = l->sizePolicy();
  sp.setRetainSizeWhenHidden(true);
  sp.setHorizontalPolicy(QSizePolicy::Ignored);
  l->setSizePolicy(sp);
  Scaled(l, WindowFont());
  labels_[static_cast<int>(id)] = l;
  return l;
}

void MainWindow::Scaled(QWidget* w, const QFont& base) {
  for (auto& s : scaled_)
    if (s.first == w) {
      s.second = base;
      return;
    }
  scaled_.emplace_back(w, base);
}

void MainWindow::ApplyScale() {
  double s = std::min(width() / kDesignW, height() / kDesignH);
  s = std::clamp(s, 0.8, 3.0);  // still legible in a small window
  if (std::fabs(s - scale_) < 0.005) return;
  scale_ = s;
  for (auto& [w, base] : scaled_) {
    QFont f = base;
    f.setPointSizeF(base.pointSizeF() * s);
    w->setFont(f);
  }
  for (QPushButton* b : buttons_)
    if (b) b->setMinimumHeight(static_cast<int>(32 * s));
  for (QWidget* a : arrows_) a->setFixedSize(static_cast<int>(22 * s), static_cast<int>(20 * s));
  if (panel_) panel_->setMinimumWidth(static_cast<int>(230 * s));
  canvas_.SetTextScale(s);
  if (plotArea_) plotArea_->Relayout();
}

void MainWindow::resizeEvent(QResizeEvent* e) {
  QMainWindow::resizeEvent(e);
  ApplyScale();
}

QWidget* MainWindow::MakeSpin(ui::SpinId id, const QString& caption, const QString& spoken) {
  auto* box = new QWidget;
  QString name = QString::fromUtf8(ui::SpinName(id).data());
  box->setObjectName(name);
  box->setAccessibleName(spoken);
  box->setAccessibleDescription(name);
  auto* lay = new QHBoxLayout(box);
  lay->setContentsMargins(0, 0, 0, 0);
  lay->setSpacing(1);
  auto* up = new QToolButton(box);
  up->setArrowType(Qt::UpArrow);
  up->setObjectName(name + "_Up");
  up->setAccessibleName(spoken + " up");
  up->setAccessibleDescription(name);
  auto* down = new QToolButton(box);
  down->setArrowType(Qt::DownArrow);
  down->setObjectName(name + "_Down");
  down->setAccessibleName(spoken + " down");
  down->setAccessibleDescription(name);
  auto* cap = new QLabel(caption, box);
  Scaled(cap, WindowFont());
  arrows_.push_back(up);
  arrows_.push_back(down);
  lay->addWidget(up);
  lay->addWidget(down);
  lay->addWidget(cap);
  connect(up, &QToolButton::clicked, this, [this, id] {
    app::Event e = app::Event::Of(app::EventKind::SpinUp);
    e.Spin = id;
    Forward(e);
  });
  connect(down, &QToolButton::clicked, this, [this, id] {
    app::Event e = app::Event::Of(app::EventKind::SpinDown);
    e.Spin = id;
    Forward(e);
  });
  spins_[static_cast<int>(id)] = box;
  return box;
}

void MainWindow::BuildBody() {
  using L = ui::LabelId;
  auto* central = new QWidget(this);
  central->setFont(WindowFont());  // the menu bar keeps the system's menu font
  setCentralWidget(central);
  auto* outer = new QVBoxLayout(central);
  outer->setContentsMargins(6, 4, 6, 4);

  QLabel* title = MakeLabel(L::lblTestTitle, central);
  QFont tf = WindowFont(9);
  tf.setBold(true);
  Scaled(title, tf);
  title->setAlignment(Qt::AlignCenter);
  outer->addWidget(title);

  auto* middle = new QHBoxLayout;
  outer->addLayout(middle, 1);

  // Plot with its tick labels.
  plotArea_ = new PlotArea(canvas_, central);
  const L ys[9] = {L::lblY0, L::lblY1, L::lblY2, L::lblY3, L::lblY4,
                   L::lblY5, L::lblY6, L::lblY7, L::lblY8};
  for (int i = 0; i < 9; ++i) {
    plotArea_->yLabels[i] = MakeLabel(ys[i], plotArea_);
    plotArea_->yLabels[i]->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  }
  const L xs[5] = {L::lblX1, L::lblX2, L::lblX3, L::lblX4, L::lblX5};
  for (int i = 0; i < 5; ++i) {
    plotArea_->xLabels[i] = MakeLabel(xs[i], plotArea_);
    plotArea_->xLabels[i]->setAlignment(Qt::AlignCenter);
  }
  plotArea_->xAxis = MakeLabel(L::lblXaxis, plotArea_);
  plotArea_->xAxis->setAlignment(Qt::AlignCenter);
  connect(plotArea_->plot, &PlotWidget::pressed, this, [this](double x, double y) {
    app::Event e = app::Event::Of(app::EventKind::PlotMouseDown);
    e.X = x;
    e.Y = y;
    Forward(e);
  });
  middle->addWidget(plotArea_, 4);

  // Status panel.
  auto* panel = new QFrame(central);
  panel_ = panel;
  panel->setObjectName("StatusPanel");
  panel->setAccessibleName("Status panel");
  panel->setFrameShape(QFrame::StyledPanel);
  auto* grid = new QGridLayout(panel);
  grid->setVerticalSpacing(2);
  int r = 0;
  auto add = [&](L id, int col = 0, int span = 2) {
    QLabel* l = MakeLabel(id, panel);
    grid->addWidget(l, r, col, 1, span);
    return l;
  };
  // A trip message in the mode read-out wraps rather than being cut.
  add(L::lblMode, 0, 1)->setWordWrap(true);
  add(L::lblControlMode, 1, 1)->setWordWrap(true);
  ++r;
  add(L::Label1, 0, 1);
  add(L::Label33, 1, 1);
  ++r;
  Scaled(add(L::LblFreq, 0, 1), BigFont());
  Scaled(add(L::LblAcc, 1, 1), BigFont());
  ++r;
  add(L::Label9, 0, 1);
  add(L::Label2, 1, 1);
  ++r;
  for (L id : {L::lblShockNo, L::lblElapsedTime, L::lblTime, L::lblDate, L::lblProfile, L::lblAbort,
               L::lblPreTest, L::lblTestLevel, L::lblDuration, L::lblComp, L::lblAref, L::lblVref,
               L::lblDref, L::lblAccBottom, L::lblVel, L::lblDisp}) {
    add(id);
    ++r;
  }
  for (int i = 0; i < 2; ++i) {
    auto* img = new QLabel(panel);
    QString n = QString::fromUtf8(ui::ImageName(static_cast<ui::ImageId>(i)).data());
    img->setObjectName(n);
    img->setAccessibleName(i == 0 ? "Run armed" : "STOP");
    img->setAccessibleDescription(n);
    img->setFixedSize(40, 28);
    QSizePolicy isp = img->sizePolicy();
    isp.setRetainSizeWhenHidden(true);
    img->setSizePolicy(isp);
    images_[i] = img;
  }
  // imgSine: a sine picture shown while a run is armed; Image3: the stop picture.
  {
    QPixmap sine(40, 28);
    sine.fill(Qt::transparent);
    QPainter pt(&sine);
    pt.setPen(QPen(QColor(0, 128, 0), 2));
    QPointF last(0, 14);
    for (int x = 1; x < 40; ++x) {
      QPointF q(x, 14 - 10 * std::sin(x / 40.0 * 2 * 3.14159265));
      pt.drawLine(last, q);
      last = q;
    }
    images_[0]->setPixmap(sine);
    QPixmap stop(40, 28);
    stop.fill(Qt::transparent);
    QPainter ps(&stop);
    ps.setBrush(QColor(200, 0, 0));
    ps.setPen(Qt::NoPen);
    ps.drawEllipse(QRectF(6, 0, 28, 28));
    ps.setPen(Qt::white);
    QFont f = ps.font();
    f.setPointSize(7);
    f.setBold(true);
    ps.setFont(f);
    ps.drawText(QRectF(6, 0, 28, 28), Qt::AlignCenter, "STOP");
    images_[1]->setPixmap(stop);
    images_[1]->setToolTip("Abort");
    images_[1]->installEventFilter(this);
  }
  // Aligned, so that their fixed size does not cap the columns' width.
  grid->addWidget(images_[0], r, 0, Qt::AlignCenter);
  grid->addWidget(images_[1], r, 1, Qt::AlignCenter);
  // The rows spread over the panel's height as the window grows, the columns share its width.
  for (int i = 0; i <= r; ++i) grid->setRowStretch(i, 1);
  grid->setColumnStretch(0, 1);
  grid->setColumnStretch(1, 1);
  middle->addWidget(panel, 1);

  // Status line, cursor read-out, plotted quantity.
  auto* info = new QHBoxLayout;
  info->addWidget(MakeLabel(L::lblStatus, central), 3);
  labels_[static_cast<int>(L::lblStatus)]->setWordWrap(true);
  {
    // The acceptance verdict, read at a glance: bold, in its own colour.
    QLabel* verdict = MakeLabel(L::lblAccept, central);
    QFont vf = WindowFont();
    vf.setBold(true);
    Scaled(verdict, vf);
    verdict->setWordWrap(true);
    // Hidden (acceptance off), it leaves the status line its whole width.
    QSizePolicy vp = verdict->sizePolicy();
    vp.setRetainSizeWhenHidden(false);
    verdict->setSizePolicy(vp);
    info->addWidget(verdict, 2);
    // The waveform control's error beside the verdict; hidden until a shaped pulse.
    // One line at the design size: its width is that of the longest figures it shows.
    QLabel* shaped = MakeLabel(L::lblWaveform, central);
    shaped->setMinimumWidth(
        shaped->fontMetrics().horizontalAdvance("WAVEFORM CONTROL  error 100.0 %  pulse 100"));
    QSizePolicy wp = shaped->sizePolicy();
    wp.setRetainSizeWhenHidden(false);
    shaped->setSizePolicy(wp);
    info->addWidget(shaped, 2);
  }
  {
    // The plotted quantity stays whole beside the verdict and the waveform control's line.
    QLabel* quantity = MakeLabel(L::lblDisplay, central);
    quantity->setMinimumWidth(quantity->fontMetrics().horizontalAdvance("MAXIMAX SRS  Q = 50 "));
    info->addWidget(quantity, 1);
  }
  info->addWidget(MakeLabel(L::lblCursor, central), 2);
  outer->addLayout(info);

  // Command buttons and spin buttons.
  auto* cmds = new QHBoxLayout;
  const char* names[3] = {"cmdEqual", "cmdPreTest", "cmdStart"};
  for (int i = 0; i < 3; ++i) {
    auto* b = new QPushButton(
        QString::fromStdString(prog_.win.Button(static_cast<ui::ButtonId>(i)).Caption), central);
    b->setObjectName(names[i]);
    b->setAccessibleDescription(names[i]);
    QFont bf = WindowFont(9);
    bf.setBold(true);
    Scaled(b, bf);
    b->setFocusPolicy(Qt::NoFocus);
    connect(b, &QPushButton::clicked, this,
            [this, i] { Forward(app::Event::ButtonClick(static_cast<ui::ButtonId>(i))); });
    buttons_[i] = b;
    cmds->addWidget(b, 2);
  }
  cmds->addSpacing(12);
  cmds->addWidget(MakeSpin(ui::SpinId::SpnLevel, "Level", "Level"));
  cmds->addWidget(MakeSpin(ui::SpinId::spnXaxis, "X", "X zoom"));
  cmds->addWidget(MakeSpin(ui::SpinId::spnYaxis, "Y", "Y zoom"));
  outer->addLayout(cmds);
  for (QToolButton* tb : central->findChildren<QToolButton*>()) tb->setFocusPolicy(Qt::NoFocus);
}

bool MainWindow::eventFilter(QObject* o, QEvent* e) {
  if (o == images_[1] && e->type() == QEvent::MouseButtonPress) {
    app::Event ev = app::Event::Of(app::EventKind::ImageClick);
    ev.Image = ui::ImageId::Image3;
    Forward(ev);
    return true;
  }
  return QMainWindow::eventFilter(o, e);
}

QAction* MainWindow::ActionFor(ui::MenuId id, int index) const {
  auto it = actions_.find({static_cast<int>(id), index});
  return it == actions_.end() ? nullptr : it->second;
}

QWidget* MainWindow::FindControl(const QString& name) const {
  return findChild<QWidget*>(name);
}

void MainWindow::Sync() {
  const ui::Window& w = prog_.win;
  QString cap = QString::fromStdString(w.Caption);
  if (windowTitle() != cap) setWindowTitle(cap);
  for (auto& [key, a] : actions_) {
    const ui::MenuItem& m = w.Menu(static_cast<MenuId>(key.first), key.second);
    QString c = QString::fromStdString(m.Caption);
    if (a->text() != c) a->setText(c);
    // Only a checked item shows its mark box, as a classic menu does.
    if (a->isCheckable() != m.Checked) a->setCheckable(m.Checked);
    if (a->isChecked() != m.Checked) a->setChecked(m.Checked);
    a->setEnabled(m.Enabled);
    a->setVisible(m.Visible);
  }
  for (auto& [id, menu] : menus_) {
    const ui::MenuItem& m = w.Menu(static_cast<MenuId>(id));
    menu->menuAction()->setEnabled(m.Enabled);
    menu->menuAction()->setVisible(m.Visible);
  }
  for (int i = 0; i < ui::kLabelCount; ++i) {
    QLabel* l = labels_[i];
    if (!l) continue;
    const ui::Label& m = w.Lbl(static_cast<ui::LabelId>(i));
    QString c = QString::fromStdString(m.Caption);
    if (l->text() != c) l->setText(c);
    QString style = QString("color: %1;").arg(LongColor(m.ForeColor).name());
    if (l->styleSheet() != style) l->setStyleSheet(style);
    l->setVisible(m.Visible);
  }
  for (int i = 0; i < 3; ++i) {
    const ui::CommandButton& b = w.Button(static_cast<ui::ButtonId>(i));
    buttons_[i]->setText(QString::fromStdString(b.Caption));
    // The run colour would hide that a refused button is disabled: it then greys as usual.
    QString style = QString("QPushButton { color: %1; } QPushButton:disabled { color: #808080; }")
                        .arg(LongColor(b.ForeColor).name());
    if (buttons_[i]->styleSheet() != style) buttons_[i]->setStyleSheet(style);
    buttons_[i]->setEnabled(b.Enabled);
    const ui::SpinButton& s = w.Spin(static_cast<ui::SpinId>(i));
    spins_[i]->setVisible(s.Visible);
    spins_[i]->setEnabled(s.Enabled);
  }
  for (int i = 0; i < 2; ++i) images_[i]->setVisible(w.Img(static_cast<ui::ImageId>(i)).Visible);
  for (int i = 0; i < 3; ++i) SyncTimer(i);
  if (canvas_.Version() != shownVersion_) {
    shownVersion_ = canvas_.Version();
    plotArea_->plot->update();
  }
  if (w.Shown && !isVisible() && !closing_) {
    show();
    if (OnFirstShown) {
      auto first = std::move(OnFirstShown);
      OnFirstShown = nullptr;
      first();
    }
  }
}

void MainWindow::Forward(const app::Event& e) {
  app::HandleEvent(prog_, e);
  if (prog_.run.Ended) {
    closing_ = true;
    for (QTimer* t : timers_) t->stop();
    qApp->quit();
    return;
  }
  Sync();
}

void MainWindow::keyPressEvent(QKeyEvent* e) {
  QString t = e->text();
  if (t.isEmpty()) {
    QMainWindow::keyPressEvent(e);
    return;
  }
  Forward(app::Event::KeyPress(t.at(0).unicode()));
}

void MainWindow::closeEvent(QCloseEvent* e) {
  if (!prog_.run.Ended) {
    // The core may be inside a handler (a modal box is open): refuse until it ends.
    if (prog_.run.Busy) {
      e->ignore();
      return;
    }
    Forward(app::Event::Of(app::EventKind::Unload));
    // The core asked and was told to go on.
    if (!prog_.run.Ended) {
      e->ignore();
      return;
    }
  }
  e->accept();
}

}  // namespace qtui
