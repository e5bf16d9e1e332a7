#pragma once
// The test history window: the runs, the selected run's pulses, Show and Export. The rows and
// both commands come from the core.
#include <QDialog>

#include "ui/platform.h"

class QTableWidget;
class QPushButton;

namespace qtui {

class HistoryWindow : public QDialog {
 public:
  HistoryWindow(ui::HistoryModel& model, QWidget* parent);

 private:
  void FillRuns();
  void FillPulses();
  int64_t SelectedPulse() const;
  ui::HistoryModel& model_;
  QTableWidget* runs_;
  QTableWidget* pulses_;
  QPushButton* show_;
  QPushButton* export_;
};

}  // namespace qtui
