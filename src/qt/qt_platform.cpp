#include "qt/qt_platform.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QDateTime>
#include <QDialog>
#include <QDialogButtonBox>
#include <QEventLoop>
#include <QFileDialog>
#include <QFormLayout>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPushButton>
#include <QTextBrowser>
#include <QTimer>
#include <QVBoxLayout>

#include "qt/history_window.h"
#include "qt/main_window.h"

namespace qtui {

QtPlatform::QtPlatform()
    : printer_([this] { return canvas_.Picture(); }), rng_(std::random_device{}()) {}

ui::Answer QtPlatform::PauseBox(const std::string& text, const std::string& title) {
  SyncWindow();
  QMessageBox box(Parent());
  box.setWindowTitle(QString::fromStdString(title));
  box.setText(QString::fromStdString(text));
  box.setIcon(QMessageBox::Information);
  QPushButton* go = box.addButton("Continue", QMessageBox::AcceptRole);
  box.addButton("Abort", QMessageBox::RejectRole);
  box.setDefaultButton(go);
  box.exec();
  return box.clickedButton() == go ? ui::Answer::OK : ui::Answer::Cancel;
}

std::unique_ptr<ui::Printer> QtPlatform::PdfPrinter(const std::string& path) {
  return QtPrinter::PdfWriter(path, [this] { return canvas_.Picture(); });
}

QWidget* QtPlatform::Parent() const {
  return window_ && window_->isVisible() ? window_ : nullptr;
}

void QtPlatform::SyncWindow() {
  if (window_) window_->Sync();
}

ui::Answer QtPlatform::MessageBox(const std::string& text, ui::Buttons b, ui::Icon i,
                                  const std::string& title) {
  SyncWindow();
  QMessageBox box(Parent());
  // A box with no title of its own carries the application's default caption.
  box.setWindowTitle(title.empty() ? QString("KRX8VAV") : QString::fromStdString(title));
  box.setText(QString::fromStdString(text));
  switch (i) {
    case ui::Icon::Critical:
      box.setIcon(QMessageBox::Critical);
      break;
    case ui::Icon::Question:
      box.setIcon(QMessageBox::Question);
      break;
    case ui::Icon::Exclamation:
      box.setIcon(QMessageBox::Warning);
      break;
    case ui::Icon::Information:
      box.setIcon(QMessageBox::Information);
      break;
    case ui::Icon::None:
      box.setIcon(QMessageBox::NoIcon);
      break;
  }
  switch (b) {
    case ui::Buttons::OK:
      box.setStandardButtons(QMessageBox::Ok);
      break;
    case ui::Buttons::OKCancel:
      box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel);
      break;
    case ui::Buttons::YesNo:
      box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
      break;
    case ui::Buttons::RetryCancel:
      box.setStandardButtons(QMessageBox::Retry | QMessageBox::Cancel);
      break;
  }
  switch (box.exec()) {
    case QMessageBox::Yes:
      return ui::Answer::Yes;
    case QMessageBox::No:
      return ui::Answer::No;
    case QMessageBox::Retry:
      return ui::Answer::Retry;
    case QMessageBox::Cancel:
      return ui::Answer::Cancel;
    case QMessageBox::Ok:
      return ui::Answer::OK;
    default:
      // Closing the box with Escape or the title bar counts as its cancelling answer.
      if (b == ui::Buttons::YesNo) return ui::Answer::No;
      if (b == ui::Buttons::OK) return ui::Answer::OK;
      return ui::Answer::Cancel;
  }
}

std::string QtPlatform::InputBox(const std::string& prompt, const std::string& title,
                                 const std::string& def) {
  SyncWindow();
  bool ok = false;
  QString s =
      QInputDialog::getText(Parent(), QString::fromStdString(title), QString::fromStdString(prompt),
                            QLineEdit::Normal, QString::fromStdString(def), &ok);
  return ok ? s.toStdString() : std::string();
}

bool QtPlatform::FormDialog(const std::string& title, const std::string& note,
                            std::vector<ui::FormField>& fields) {
  SyncWindow();
  QDialog dlg(Parent());
  dlg.setWindowTitle(QString::fromStdString(title));
  auto* layout = new QVBoxLayout(&dlg);
  auto* text = new QLabel(QString::fromStdString(note), &dlg);
  text->setWordWrap(true);
  layout->addWidget(text);
  auto* form = new QFormLayout;
  layout->addLayout(form);
  std::vector<QCheckBox*> checks(fields.size(), nullptr);
  std::vector<QLineEdit*> edits(fields.size(), nullptr);
  for (size_t i = 0; i < fields.size(); ++i) {
    const QString caption = QString::fromStdString(fields[i].Caption);
    if (fields[i].IsCheck) {
      checks[i] = new QCheckBox(caption, &dlg);
      checks[i]->setChecked(fields[i].Checked);
      form->addRow(checks[i]);
    } else {
      edits[i] = new QLineEdit(QString::fromStdString(fields[i].Text), &dlg);
      // The field is spoken by its caption.
      edits[i]->setAccessibleName(caption);
      form->addRow(caption, edits[i]);
    }
  }
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dlg);
  QObject::connect(buttons, &QDialogButtonBox::accepted, &dlg, &QDialog::accept);
  QObject::connect(buttons, &QDialogButtonBox::rejected, &dlg, &QDialog::reject);
  layout->addWidget(buttons);
  if (dlg.exec() != QDialog::Accepted) return false;
  for (size_t i = 0; i < fields.size(); ++i) {
    if (checks[i]) fields[i].Checked = checks[i]->isChecked();
    if (edits[i]) fields[i].Text = edits[i]->text().toStdString();
  }
  return true;
}

QStringList TranslateFilter(const std::string& filter) {
  QStringList parts = QString::fromStdString(filter).split('|');
  QStringList out;
  for (int i = 0; i + 1 < parts.size(); i += 2) {
    QString pats = parts[i + 1];
    pats.replace(';', ' ');
    out << QString("%1 (%2)").arg(parts[i], pats);
  }
  if (out.isEmpty()) out << "All Files (*)";
  return out;
}

namespace {
std::string RunFileDialog(QWidget* parent, bool save, const std::string& title,
                          const std::string& filter, int idx, const std::string& name) {
  QFileDialog dlg(parent, QString::fromStdString(title));
  dlg.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
  dlg.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
  dlg.setOption(QFileDialog::DontUseNativeDialog, true);
  QStringList filters = TranslateFilter(filter);
  dlg.setNameFilters(filters);
  if (idx >= 1 && idx <= filters.size()) dlg.selectNameFilter(filters[idx - 1]);
  if (!name.empty()) dlg.selectFile(QString::fromStdString(name));
  if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return name;
  return dlg.selectedFiles().first().toStdString();
}
}  // namespace

std::string QtPlatform::OpenFileDialog(const std::string& title, const std::string& filter, int idx,
                                       const std::string& name) {
  SyncWindow();
  return RunFileDialog(Parent(), false, title, filter, idx, name);
}

std::string QtPlatform::SaveFileDialog(const std::string& title, const std::string& filter, int idx,
                                       const std::string& name) {
  SyncWindow();
  return RunFileDialog(Parent(), true, title, filter, idx, name);
}

bool QtPlatform::PrinterSetupDialog() {
  SyncWindow();
  QPrintDialog dlg(&printer_.Device(), Parent());
  return dlg.exec() == QDialog::Accepted;
}

void QtPlatform::ClipboardClear() {
  QApplication::clipboard()->clear();
}
void QtPlatform::ClipboardSetText(const std::string& t) {
  QApplication::clipboard()->setText(QString::fromStdString(t));
}
void QtPlatform::ClipboardSetPlot() {
  QApplication::clipboard()->setImage(canvas_.Picture());
}

double QtPlatform::SecondsSinceMidnight() {
  QTime t = QTime::currentTime();
  return t.msecsSinceStartOfDay() / 1000.0;
}
std::string QtPlatform::ShortDate() {
  return QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat).toStdString();
}
std::string QtPlatform::ShortTime() {
  return QTime::currentTime().toString("HH:mm:ss").toStdString();
}

void QtPlatform::ShowHelp(const std::string&) {
  SyncWindow();
  auto* dlg = new QDialog(Parent());
  dlg->setAttribute(Qt::WA_DeleteOnClose);
  dlg->setObjectName("HelpWindow");
  dlg->setWindowTitle("KRX-8 Help");
  auto* lay = new QVBoxLayout(dlg);
  auto* view = new QTextBrowser(dlg);
  view->setSearchPaths({":/help"});
  view->setSource(QUrl("qrc:/help/index.html"));
  view->setOpenExternalLinks(false);
  lay->addWidget(view);
  dlg->resize(720, 600);
  dlg->show();
}

double QtPlatform::Random() {
  return std::uniform_real_distribution<double>(0.0, 1.0)(rng_);
}

void QtPlatform::Refresh() {
  SyncWindow();
  if (window_) window_->repaint();
  // Paint only: no input reaches the window, and timer ticks meet a busy core.
  QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void QtPlatform::Pump(int ms) {
  SyncWindow();
  if (ms <= 0) {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    return;
  }
  // Input reaches the window too: the core, busy, admits only Abort.
  QEventLoop loop;
  QTimer::singleShot(ms, Qt::PreciseTimer, &loop, &QEventLoop::quit);
  loop.exec();
}

void QtPlatform::EndProgram() {
  if (window_) window_->hide();
  QCoreApplication::quit();
}

void QtPlatform::HistoryWindow(ui::HistoryModel& model) {
  qtui::HistoryWindow w(model, Parent());
  w.exec();
  SyncWindow();
}

}  // namespace qtui
