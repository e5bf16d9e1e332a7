// The program: the splash, then the main window driven by the core.
#include <QApplication>
#include <QElapsedTimer>
#include <QIcon>
#include <QTimer>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

#include "commands/accept_command.h"
#include "commands/srs_command.h"
#include "app/events.h"
#include "app/options.h"
#include "app/startup.h"
#include "app/work_folder.h"
#include "commands/history_command.h"
#include "history/history.h"
#include "commands/headless.h"
#include "procedure/plan.h"
#include "procedure/runner.h"
#include "qt/main_window.h"
#include "qt/qt_platform.h"
#include "qt/splash.h"

namespace {

volatile std::sig_atomic_t stopRequested = 0;
void OnStopSignal(int) {
  stopRequested = 1;
}

// A procedure without a window: Qt only writes the report's PDF, on the offscreen platform.
int RunProcedureHeadless(int argc, char** argv, const std::string& file) {
  struct sigaction sa {};
  sa.sa_handler = OnStopSignal;
  sigemptyset(&sa.sa_mask);
  sigaction(SIGINT, &sa, nullptr);
  sigaction(SIGTERM, &sa, nullptr);
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication qapp(argc, argv);
  procedure::HeadlessSetup setup;
  setup.File = file;
  setup.Stop = &stopRequested;
  setup.Pdf = [](const std::string& path) -> std::unique_ptr<ui::Printer> {
    return qtui::QtPrinter::PdfWriter(path, [] { return QImage(); });
  };
  return procedure::RunHeadless(setup, std::cerr);
}

}  // namespace

int main(int argc, char** argv) {
  QElapsedTimer clock;
  clock.start();
  // Before any window: --help and --version need no display.
  const app::Options opts = app::ParseOptions(argc, argv);
  switch (opts.Action) {
    case app::OptionAction::Help:
      std::fputs(app::HelpText().c_str(), stdout);
      return std::fflush(stdout) == 0 ? 0 : 1;
    case app::OptionAction::Version:
      std::fputs(app::VersionText().c_str(), stdout);
      return std::fflush(stdout) == 0 ? 0 : 1;
    case app::OptionAction::Error:
      std::fprintf(stderr, "%s\n", opts.Error.c_str());
      return app::kUsageExitStatus;
    case app::OptionAction::Srs:
      // The reference's spectra on standard output: no window, no board, no boxes.
      return analysis::RunSrsCommand(opts.SrsProfileFile, opts.CustomWaveshapeFile, opts.Q,
                                     std::cout, std::cerr);
    case app::OptionAction::Accept:
      return analysis::RunAcceptCommand(opts.AcceptDataFile, opts.CustomWaveshapeFile, std::cout,
                                        std::cerr);
    case app::OptionAction::History:
      return history::RunHistoryCommand({opts.Database, opts.HistoryRun, opts.Pulse}, std::cout,
                                        std::cerr);
    case app::OptionAction::Run:
    case app::OptionAction::Procedure:
      break;
  }
  // The procedure's names are relative to where it was started, not to the working folder.
  std::string procedureFile;
  if (!opts.ProcedureFile.empty()) {
    std::error_code ec;
    procedureFile = std::filesystem::absolute(opts.ProcedureFile, ec).string();
    if (ec) procedureFile = opts.ProcedureFile;
  }
  // The plan alone: no window, no board, nothing written.
  if (opts.Check) return procedure::RunCheck(procedureFile, std::cout, std::cerr);
  const bool noSplash = opts.NoSplash, reportStartup = opts.StartupTime;
  std::string why;
  if (!app::SettleWorkFolder(why)) std::fprintf(stderr, "krx8: %s\n", why.c_str());
  if (opts.Headless) return RunProcedureHeadless(argc, argv, procedureFile);

  QApplication qapp(argc, argv);
  QApplication::setDesktopFileName("krx8");
  QApplication::setWindowIcon(QIcon::fromTheme("krx8"));
  qtui::QtPlatform platform;
  Program prog(platform);
  history::Attach(prog, history::PathFrom(std::getenv("KRX8_HISTORY")));
  qtui::MainWindow window(prog, platform.Canvas());
  platform.SetWindow(&window);

  if (reportStartup)
    window.OnFirstShown = [&clock] {
      std::fprintf(stderr, "krx8: main window shown %lld ms after launch\n",
                   static_cast<long long>(clock.elapsed()));
    };
  auto initialize = [&] {
    window.Forward(app::Event::Of(app::EventKind::SplashDone));
    if (!procedureFile.empty() && procedure::BeginFile(prog, procedureFile))
      window.Forward(app::Event::Of(app::EventKind::Procedure));
  };
  if (noSplash) {
    QTimer::singleShot(0, initialize);
  } else {
    QWidget* splash = qtui::MakeSplash(prog.profile.DealerIndex);
    splash->show();
    QTimer::singleShot(app::kSplashMs, [splash, initialize] {
      splash->close();  // gone before any initialisation work begins
      initialize();
    });
  }
  return qapp.exec();
}
