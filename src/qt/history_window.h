#pragma once
// The test history window: the runs (those without pulses when asked), the selected run's
// pulses, Show and Export; resizable. The rows and both commands come from the core.
#include <QDialog>

#include "ui/platform.h"

class QCheckBox;
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
  QCheckBox* empty_;
  QPushButton* show_;
  QPushButton* export_;
};

}  // namespace qtui
