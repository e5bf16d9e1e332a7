#pragma once
// The command line: parsed before any window exists, so that --help and --version work
// with no display. The same option table gives the help text and the manual page.
#include <cstdint>
#include <optional>
#include <string>

namespace app {

enum class OptionAction { Run, Help, Version, Srs, Accept, Procedure, History, Error };

struct Options {
  OptionAction Action = OptionAction::Run;
  bool NoSplash = false;
  bool StartupTime = false;
  std::string SrsProfileFile;         // --srs
  std::string AcceptDataFile;         // --accept
  std::string CustomWaveshapeFile;    // --custom, with --srs or --accept
  std::optional<double> Q;            // --q, with --srs; else the profile's
  std::string ProcedureFile;          // --procedure
  bool Headless = false;              // --headless, with --procedure
  bool Check = false;                 // --check, with --procedure
  std::optional<int64_t> HistoryRun;  // --history RUN_ID (--history alone: the runs)
  std::optional<int64_t> Pulse;       // --pulse
  std::string Database;               // --db, with --history or --pulse
  std::string Error;                  // one line, when Action is Error
};

// The exit status of a wrong command line.
inline constexpr int kUsageExitStatus = 2;

Options ParseOptions(int argc, const char* const* argv);

std::string VersionText();  // "krx8 x.y.z\n"
std::string HelpText();
std::string ManPage();  // the same text as a manual page (section 1)

}  // namespace app
