// Every file dialog of the program, opened and cancelled in the history's folder while the
// program records, must leave the history whole: another program reads it, the recording
// program is killed, and every committed pulse is still there.
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QFileDialog>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <cstdio>
#include <iostream>
#include <sstream>

#include "commands/history_command.h"
#include "history/history.h"
#include "history/writer.h"
#include "qt/history_window.h"
#include "qt/main_window.h"
#include "qt/qt_platform.h"
#include "support/temp_dir.h"

extern char** environ;

namespace {

constexpr int kPulses = 6;  // committed before the dialogs and again after the reader

void Commit(Program& prog, int pulses) {
  auto& out = *prog.history.Out;
  {
    auto run = out.Next();
    run->What = history::Job::BeginRun;
    run->Run.Kind = "Start";
  }
  for (int i = 0; i < pulses; ++i) {
    auto j = out.Next();
    j->What = history::Job::Pulse;
    j->Record.Kind = "full level";
    j->Record.Index = i + 1;
    j->Record.Channels = 1;
    j->Record.Counts.assign(history::kRecordScans, static_cast<int16_t>(i));
  }
  out.Flush();
  if (auto why = out.Failure()) std::cerr << *why << '\n';
}

// Cancels whatever modal dialog is up once it has had time to list the folder; in the
// history window it first asks for an export of the first pulse.
void CancelDialogs(QTimer& timer) {
  QObject::connect(&timer, &QTimer::timeout, [] {
    static QWidget* seen = nullptr;
    static int ticks = 0;
    QWidget* w = QApplication::activeModalWidget();
    if (w != seen) seen = w, ticks = 0;
    if (!w || ++ticks < 5) return;
    if (w->windowTitle() == "Test History" && !w->property("exported").toBool()) {
      w->setProperty("exported", true);
      auto* pulses = w->findChild<QTableWidget*>();
      for (auto* t : w->findChildren<QTableWidget*>())
        if (t->accessibleName().startsWith("Pulses")) pulses = t;
      pulses->selectRow(0);
      for (auto* b : w->findChildren<QPushButton*>())
        if (b->text() == "&Export") QTimer::singleShot(0, b, &QPushButton::click);
      return;
    }
    if (auto* d = qobject_cast<QDialog*>(w)) d->reject();
  });
  timer.start(100);
}

}  // namespace

// The recording program: records, opens every file dialog in turn, and records again when
// told. Each step answers one line on standard output.
int RecordWithDialogs(const char* folder) {
  using ui::MenuId;
  ::chdir(folder);  // the working folder: where the dialogs open and the history lives
  qtui::QtPlatform qp;
  Program prog(qp);
  qtui::MainWindow win(prog, qp.Canvas());
  qp.SetWindow(&win);
  history::Attach(prog, history::kFileName);
  prog.history.Out =
      std::make_unique<history::Writer>(std::make_unique<history::Store>(prog.history.Path));
  win.show();
  Commit(prog, kPulses);
  QTimer canceller;
  CancelDialogs(canceller);
  for (MenuId m : {MenuId::mnuFileOpenProfile, MenuId::mnuFileOpenLegacyProfile,
                   MenuId::mnuFileOpenReport, MenuId::mnuFileSaveProfile, MenuId::mnuFileSaveReport,
                   MenuId::mnuFileExport, MenuId::mnuFileExportSRS, MenuId::mnuShockShapeCustom,
                   MenuId::mnuRunProcedure, MenuId::mnuFilePrinterSetup, MenuId::mnuFileHistory})
    win.ActionFor(m)->trigger();
  std::cout << "dialogs done" << std::endl;
  std::string line;
  std::getline(std::cin, line);  // the other program has read the history
  Commit(prog, kPulses);
  std::cout << "committed" << std::endl;
  std::getline(std::cin, line);  // killed here
  return 0;
}

TEST(HistoryWithDialogs, EveryCommittedPulseSurvivesDialogsAReaderAndAKill) {
  testing_support::TempDir dir;
  int toChild[2], fromChild[2];
  ASSERT_EQ(::pipe(toChild), 0);
  ASSERT_EQ(::pipe(fromChild), 0);
  posix_spawn_file_actions_t fa;
  posix_spawn_file_actions_init(&fa);
  posix_spawn_file_actions_adddup2(&fa, toChild[0], 0);
  posix_spawn_file_actions_adddup2(&fa, fromChild[1], 1);
  const std::string folder = dir.Path().string();
  // The print dialog's file completer looks in the home folder: that is the history's too.
  const std::string home = "HOME=" + folder;
  std::vector<char*> env;
  for (char** e = environ; *e; ++e)
    if (std::string(*e).rfind("HOME=", 0) != 0) env.push_back(*e);
  env.push_back(const_cast<char*>(home.c_str()));
  env.push_back(nullptr);
  char self[] = "/proc/self/exe";
  char mode[] = "--history-recorder";
  char* argv[] = {self, mode, const_cast<char*>(folder.c_str()), nullptr};
  pid_t child = 0;
  ASSERT_EQ(posix_spawn(&child, self, &fa, nullptr, argv, env.data()), 0);
  ::close(toChild[0]);
  ::close(fromChild[1]);
  FILE* in = ::fdopen(fromChild[0], "r");
  auto expect = [&](const char* what) {
    char buf[256] = {};
    ASSERT_TRUE(std::fgets(buf, sizeof buf, in)) << "the recorder ended before " << what;
    ASSERT_EQ(std::string(buf), std::string(what) + "\n");
  };
  expect("dialogs done");

  // Another program (this one) reads the history while the first records.
  const std::string path = dir / history::kFileName;
  std::ostringstream out, err;
  EXPECT_EQ(history::RunHistoryCommand({path, std::nullopt, std::nullopt}, out, err), 0)
      << err.str();
  ASSERT_EQ(::write(toChild[1], "go\n", 3), 3);
  expect("committed");
  ::kill(child, SIGKILL);
  int status = 0;
  ::waitpid(child, &status, 0);
  std::fclose(in);
  ::close(toChild[1]);

  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
  auto single = [&](const char* sql) {
    sqlite3_stmt* s = nullptr;
    sqlite3_prepare_v2(db, sql, -1, &s, nullptr);
    std::string v = sqlite3_step(s) == SQLITE_ROW
                        ? reinterpret_cast<const char*>(sqlite3_column_text(s, 0))
                        : "(none)";
    sqlite3_finalize(s);
    return v;
  };
  EXPECT_EQ(single("PRAGMA integrity_check"), "ok");
  EXPECT_EQ(single("SELECT count(*) FROM pulses"), std::to_string(2 * kPulses));
  sqlite3_close(db);
}

namespace {

struct TwoRuns : ui::HistoryModel {
  std::vector<ui::HistoryRunRow> Runs(bool withoutPulses) override {
    std::vector<ui::HistoryRunRow> r{{1, "2026-12-09 11:40:35", "KRXFileC.001", "Start",
                                      "A long qualification title: X axis positive", "3",
                                      "completed"}};
    if (withoutPulses)
      r.push_back({2, "2026-12-09 11:41:00", "KRXFileC.001", "Start", "", "0", "aborted"});
    return r;
  }
  std::vector<ui::HistoryPulseRow> Pulses(int64_t) override { return {}; }
  void Show(int64_t) override {}
  void Export(int64_t) override {}
};

}  // namespace

TEST(HistoryWindow, ResizableWithTheProcedureInItsOwnColumnAndEmptyRunsOnlyWhenAsked) {
  TwoRuns model;
  qtui::HistoryWindow w(model, nullptr);
  w.show();
  QApplication::processEvents();
  EXPECT_TRUE(w.isSizeGripEnabled());
  auto* runs = w.findChildren<QTableWidget*>().front();
  QStringList headers;
  for (int c = 0; c < runs->columnCount(); ++c) headers << runs->horizontalHeaderItem(c)->text();
  EXPECT_EQ(headers,
            (QStringList{"Started (UTC)", "Profile", "Kind", "Procedure", "Pulses", "Ended by"}));
  // Every column in view: the long procedure does not push Pulses and Ended by off.
  int right = 0;
  for (int c = 0; c < runs->columnCount(); ++c) right += runs->columnWidth(c);
  EXPECT_LE(right, runs->viewport()->width() + 2);
  EXPECT_EQ(runs->rowCount(), 1);
  w.findChild<QCheckBox*>()->setChecked(true);
  EXPECT_EQ(runs->rowCount(), 2);
}
