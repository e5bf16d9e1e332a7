#include "qt/history_window.h"

#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGuiApplication>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

namespace qtui {

namespace {

constexpr int kIdRole = Qt::UserRole;

QTableWidget* Table(const QStringList& headers, const QString& name, QWidget* parent) {
  auto* t = new QTableWidget(0, static_cast<int>(headers.size()), parent);
  t->setHorizontalHeaderLabels(headers);
  t->setSelectionBehavior(QAbstractItemView::SelectRows);
  t->setSelectionMode(QAbstractItemView::SingleSelection);
  t->setEditTriggers(QAbstractItemView::NoEditTriggers);
  t->verticalHeader()->setVisible(false);
  t->horizontalHeader()->setStretchLastSection(true);
  t->setAccessibleName(name);
  return t;
}

void Row(QTableWidget* t, int64_t id, const std::vector<std::string>& cells) {
  const int r = t->rowCount();
  t->insertRow(r);
  for (size_t c = 0; c < cells.size(); ++c) {
    auto* item = new QTableWidgetItem(QString::fromStdString(cells[c]));
    item->setData(kIdRole, static_cast<qlonglong>(id));
    t->setItem(r, static_cast<int>(c), item);
  }
}

int64_t SelectedId(const QTableWidget* t) {
  const auto rows = t->selectionModel()->selectedRows();
  if (rows.isEmpty()) return 0;
  const auto* item = t->item(rows.front().row(), 0);
  return item ? item->data(kIdRole).toLongLong() : 0;
}

}  // namespace

HistoryWindow::HistoryWindow(ui::HistoryModel& model, QWidget* parent)
    : QDialog(parent), model_(model) {
  setWindowTitle("Test History");
  setAccessibleName("Test History");
  auto* layout = new QVBoxLayout(this);
  auto* runsLabel = new QLabel("&Runs", this);
  runs_ =
      Table({"Started (UTC)", "Profile", "Kind", "Procedure", "Pulses", "Ended by"}, "Runs", this);
  runsLabel->setBuddy(runs_);
  auto* pulsesLabel = new QLabel("P&ulses of the selected run", this);
  pulses_ = Table({"Time (UTC)", "Kind", "Level G", "Control peak G", "Verdict"},
                  "Pulses of the selected run", this);
  pulsesLabel->setBuddy(pulses_);
  empty_ = new QCheckBox("Show runs &without pulses", this);
  layout->addWidget(runsLabel);
  layout->addWidget(runs_, 3);
  layout->addWidget(empty_);
  layout->addWidget(pulsesLabel);
  layout->addWidget(pulses_, 2);

  auto* buttons = new QDialogButtonBox(this);
  show_ = buttons->addButton("&Show", QDialogButtonBox::ActionRole);
  export_ = buttons->addButton("&Export", QDialogButtonBox::ActionRole);
  auto* close = buttons->addButton(QDialogButtonBox::Close);
  close->setText("&Close");
  layout->addWidget(buttons);

  connect(runs_, &QTableWidget::itemSelectionChanged, this, [this] { FillPulses(); });
  connect(empty_, &QCheckBox::toggled, this, [this] { FillRuns(); });
  connect(pulses_, &QTableWidget::itemSelectionChanged, this, [this] {
    show_->setEnabled(SelectedPulse() != 0);
    export_->setEnabled(SelectedPulse() != 0);
  });
  connect(show_, &QPushButton::clicked, this, [this] {
    if (int64_t id = SelectedPulse()) model_.Show(id);
  });
  connect(export_, &QPushButton::clicked, this, [this] {
    if (int64_t id = SelectedPulse()) model_.Export(id);
  });
  connect(pulses_, &QTableWidget::itemDoubleClicked, this, [this] {
    if (int64_t id = SelectedPulse()) model_.Show(id);
  });
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  setSizeGripEnabled(true);
  FillRuns();
  // Wide enough for every column of the runs, within the screen.
  int width = 0;
  for (int c = 0; c < runs_->columnCount(); ++c) width += runs_->columnWidth(c);
  const QScreen* screen = QGuiApplication::primaryScreen();
  const int most = screen ? screen->availableGeometry().width() * 9 / 10 : 1200;
  resize(std::clamp(width + 60, 760, std::max(760, most)), 560);
}

void HistoryWindow::FillRuns() {
  runs_->setRowCount(0);
  for (const auto& r : model_.Runs(empty_->isChecked()))
    Row(runs_, r.Id, {r.Date, r.Profile, r.Kind, r.Procedure, r.Pulses, r.EndedBy});
  runs_->resizeColumnsToContents();
  // The latest run first in view.
  if (runs_->rowCount() > 0) runs_->selectRow(runs_->rowCount() - 1);
  FillPulses();
}

void HistoryWindow::FillPulses() {
  pulses_->setRowCount(0);
  if (int64_t run = SelectedId(runs_))
    for (const auto& r : model_.Pulses(run))
      Row(pulses_, r.Id, {r.Time, r.Kind, r.Level, r.ControlPeak, r.Verdict});
  pulses_->resizeColumnsToContents();
  show_->setEnabled(false);
  export_->setEnabled(false);
}

int64_t HistoryWindow::SelectedPulse() const {
  return SelectedId(pulses_);
}

}  // namespace qtui
