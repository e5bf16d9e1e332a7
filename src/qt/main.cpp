// The program: the splash, then the main window driven by the core.
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <cstdio>
#include <cstring>
#include <iostream>

#include "analysis/srs_command.h"
#include "app/events.h"
#include "app/startup.h"
#include "qt/main_window.h"
#include "qt/qt_platform.h"
#include "qt/splash.h"

int main(int argc, char** argv) {
  // The reference's spectra on standard output: no window, no board, no boxes.
  if (analysis::IsSrsCommandLine(argc, argv))
    return analysis::SrsCommandLine(argc, argv, std::cout, std::cerr);

  QElapsedTimer clock;
  clock.start();
  bool noSplash = false, reportStartup = false;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--no-splash") == 0) noSplash = true;
    if (std::strcmp(argv[i], "--startup-time") == 0) reportStartup = true;
  }
  QApplication qapp(argc, argv);
  qtui::QtPlatform platform;
  Program prog(platform);
  qtui::MainWindow window(prog, platform.Canvas());
  platform.SetWindow(&window);

  if (reportStartup)
    window.OnFirstShown = [&clock] {
      std::fprintf(stderr, "krx8: main window shown %lld ms after launch\n",
                   static_cast<long long>(clock.elapsed()));
    };
  auto initialize = [&] { window.Forward(app::Event::Of(app::EventKind::SplashDone)); };
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
