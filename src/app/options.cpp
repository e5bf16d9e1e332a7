#include "app/options.h"

#include <charconv>
#include <cmath>
#include <string_view>

#ifndef KRX8_VERSION
#error "KRX8_VERSION comes from the project version in CMakeLists.txt"
#endif

namespace app {

namespace {

enum class Opt {
  NoSplash,
  StartupTime,
  Srs,
  Accept,
  Custom,
  Q,
  Procedure,
  Headless,
  Check,
  History,
  Pulse,
  Db,
  Help,
  Version
};

struct OptionDoc {
  Opt Id;
  const char* Name;
  const char* Alias;  // a short form, or null
  const char* Arg;    // the value's name, or null for a switch
  const char* Text;
  bool OptionalArg = false;  // the value may be left out
};

struct VariableDoc {
  const char* Name;
  const char* Text;
};

// The one description of the command line; the help text and the manual page are both
// printed from it.
constexpr OptionDoc kOptions[] = {
    {Opt::NoSplash, "--no-splash", nullptr, nullptr, "Start without the 4-second splash window."},
    {Opt::StartupTime, "--startup-time", nullptr, nullptr,
     "Print on standard error how long the start-up took, once the main window shows."},
    {Opt::Srs, "--srs", nullptr, "PROFILE_FILE",
     "Print the shock response spectrum of a profile's reference pulse as CSV and exit."},
    {Opt::Accept, "--accept", nullptr, "DATA_FILE",
     "Judge channels 1 to 8 of a test data file against the reference of its own profile "
     "rows, with their tolerance settings, print one CSV line per channel and exit: 0 when "
     "channel 1 passes, 1 when it fails."},
    {Opt::Custom, "--custom", nullptr, "WAVESHAPE_FILE",
     "With --srs or --accept: the custom waveshape file of a profile with a custom pulse "
     "shape."},
    {Opt::Q, "--q", nullptr, "Q",
     "With --srs: the quality factor of the spectrum's oscillators, 2 to 50 (default: the "
     "profile's, 10 when it holds none)."},
    {Opt::Procedure, "--procedure", nullptr, "FILE",
     "Open the window and run the test procedure FILE (a TOML file of steps, each a profile "
     "with its level, polarity, pulses, period, pre-test pulses, waveform control and "
     "equalisation, or a pause for the operator); the whole file is checked before anything is "
     "driven, and one PDF report is "
     "written beside it (or where its report key says)."},
    {Opt::Headless, "--headless", nullptr, nullptr,
     "With --procedure: run without a window, on the board driver (or demo mode), printing one "
     "line per pulse on standard error (with the waveform error of a shaped pulse); a pause prints "
     "its text and waits for a line on "
     "standard input (Enter or c continues, a aborts). SIGINT and SIGTERM abort the run."},
    {Opt::Check, "--check", nullptr, nullptr,
     "With --procedure: check the whole procedure as a run would, then print its plan, one "
     "line per step (profile, shape, duration, polarity, level in % and G, pulses and period, "
     "pre-test, equalisation, and the reference's peak acceleration, velocity and "
     "displacement against the system limits in the profile's units), without a window and "
     "without opening a board; exit 0 when it would be accepted, 2 otherwise."},
    {Opt::History, "--history", nullptr, "[RUN_ID]",
     "Print the runs of the test history as CSV (Run, Started UTC, Ended UTC, Profile, Kind, "
     "Pulses, "
     "Ended by, Control mode, Board, Folder, Procedure, Step) and exit; with RUN_ID, that run's "
     "pulses (Pulse, Time UTC, Kind, Level G, Drive counts, Control peak G, Verdict, then the "
     "level, gain, measured and reference peaks, trip code and acceptance measures, and last "
     "Waveform error %, empty where the drive was not shaped).",
     true},
    {Opt::Pulse, "--pulse", nullptr, "PULSE_ID",
     "Print one pulse of the test history as CSV and exit: Time ms, Channel 1 G to Channel 16 "
     "G (an inactive channel's field empty), Drive G and last Drive V (the drive played, in "
     "volts), one line per scan."},
    {Opt::Db, "--db", nullptr, "FILE",
     "With --history or --pulse: the test history file to read instead of the program's."},
    {Opt::Help, "--help", "-h", nullptr, "Print this help and exit."},
    {Opt::Version, "--version", nullptr, nullptr, "Print the version and exit."},
};

constexpr VariableDoc kVariables[] = {
    {"KRX8_DAQX_LIBRARY",
     "The board driver library to load (a path), tried before libdaqx.so on the system's "
     "library path; without a loadable library the program runs in demo mode. The simulated "
     "driver installed with the program (lib/krx8/libdaqx.so under the installation prefix, "
     "/usr/lib/krx8/libdaqx.so from the package) runs the whole hardware path without a board."},
    {"KRX8_PRINT_PDF", "Print the report page into this PDF file instead of on the printer."},
    {"KRX8_CONTROL_FILE",
     "The remote-control file that another program writes (default KRXControl.dat in the "
     "working folder)."},
    {"KRX8_HISTORY",
     "The test history file (default krx8-history.sqlite in the working folder); the empty "
     "string keeps no history."},
    {"XDG_DATA_HOME",
     "The base folder of per-user data; the working folder is krx8 in it (default "
     "~/.local/share)."},
};

constexpr const char* kDescription =
    "The operator program of the KRX-8 classical shock controller for an electrodynamic "
    "shaker: it synthesises the reference pulse and its drive, equalises, fires pre-test and "
    "full-level pulses, records up to sixteen accelerometer channels and stops the run on "
    "trips. Without a board it runs in demo mode and simulates the response.";

constexpr const char* kWorkFolder =
    "Started in a folder that holds the profile KRXFileC.000, the program works in that "
    "folder. Otherwise it works in $XDG_DATA_HOME/krx8, by default ~/.local/share/krx8, which "
    "it creates on first start and seeds with the sample profile KRXFileC.000 and calibration "
    "file KRX8Cal.Dat when they are missing there. Profiles, calibration factors, reports and "
    "test data are read and written in the working folder.";

constexpr const char* kHistory =
    "Every Equalize, Pre-test and Start is kept in the test history, an SQLite file: a run row "
    "(start and end in UTC, folder, profile file and the whole profile record, control mode, "
    "demo or board, how it ended), a pulse row for every pulse (kind, index, level, drive, "
    "gain, peaks, trip code, acceptance, the waveform control's error on a shaped pulse, the "
    "drive codes played and the raw counts of every active channel with the zero count and "
    "scales) and an event row for every message box of a run. Each pulse is "
    "committed before the next one fires; a run a killed program left open is told at the next "
    "start and ended as interrupted. File, Test History... lists the runs and pulses, "
    "shows a pulse in the plot and exports it. --history and --pulse only read: they change "
    "nothing in the file and create no file beside it, so a history being recorded, on a "
    "read-only disk or in an archive folder is read as it is.";

constexpr const char* kWaveformControl =
    "Test Setup, Waveform Control... (off by default, and off the drive is exactly as without "
    "it) shapes the drive from the response of shaker, fixture and specimen that every pulse of "
    "the profile teaches: the equalisation identifies, then the pre-test and full-level pulses "
    "of Auto mode fire the shaped drive at their level, never beyond the maximum drive level. "
    "The form takes the correction gain (0.1 to 1.5), the regularisation (0.1 to 30 %), the "
    "band limit (10 to 50 % of the sampling frequency) and the give-up factor (1.2 to 4 times "
    "the synthesised drive's peak), each refused out of its bounds. The line \"WAVEFORM "
    "CONTROL  error 3.2 %  pulse 4\" beside the verdict gives the last shaped pulse's error. "
    "View, System Response draws the learnt response in G per volt over frequency on log axes "
    "with its noise weight (0 to 1) and the band limit; the printed page draws it too. When "
    "the next drive would exceed the give-up factor or the drive limit, or the error stops "
    "falling while full-level pulses fail the band, the run stops with one box \"Waveform "
    "Control Gave Up: The Response Cannot Follow The Reference\", the measure and what to try "
    "(a lower level, a stiffer fixture, a smoother pulse, or waveform control off). A "
    "procedure step takes waveform_control = true or false (default: the profile's) and "
    "pretest_pulses (0 to 20, default 1), the learning pulses at the pre-test level.";

constexpr const char* kExitStatus =
    "0 on success, 2 on a wrong command line, a file that cannot be read or a missing test "
    "history, run or pulse; --accept exits with 1 when channel 1 fails. With --procedure "
    "--headless: 0 when every step completed and no judged pulse failed, 1 when a step failed (an "
    "acceptance FAIL, or the waveform control gave up), tripped, hit a board error or was aborted, "
    "2 when the procedure file was refused, 3 when "
    "it stopped at a pause with nobody to answer. With --procedure --check: 0 when the "
    "procedure would be accepted, 2 when it would be refused.";

constexpr size_t kShownArgument = 60;

const OptionDoc* Find(std::string_view name) {
  for (const auto& o : kOptions)
    if (name == o.Name || (o.Alias != nullptr && name == o.Alias)) return &o;
  return nullptr;
}

// An argument as it may be echoed on one line of a terminal: no control characters, bounded.
std::string Shown(std::string_view arg) {
  std::string s;
  for (char c : arg.substr(0, kShownArgument)) {
    const auto u = static_cast<unsigned char>(c);
    s += (u < 0x20 || u == 0x7f) ? '?' : c;
  }
  if (arg.size() > kShownArgument) s += "...";
  return s;
}

Options Failure(const std::string& what) {
  Options o;
  o.Action = OptionAction::Error;
  o.Error = "krx8: " + what + " (krx8 --help lists the options)";
  return o;
}

// A row id: a whole number from 1.
bool ParseId(std::string_view text, std::optional<int64_t>& id) {
  int64_t v = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (ec != std::errc() || end != text.data() + text.size() || v < 1) return false;
  id = v;
  return true;
}

// Any finite number; the spectrum command itself holds it to its bounds.
bool ParseQ(std::string_view text, std::optional<double>& q) {
  double v = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (ec != std::errc() || end != text.data() + text.size() || !std::isfinite(v)) return false;
  q = v;
  return true;
}

void Wrap(std::string& out, std::string_view text, size_t indent, size_t column) {
  constexpr size_t kWidth = 79;
  size_t col = column;
  bool first = true;
  while (!text.empty()) {
    const size_t end = text.find(' ');
    const std::string_view word = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (word.empty()) continue;
    if (!first && col + 1 + word.size() > kWidth) {
      out += '\n';
      out.append(indent, ' ');
      col = indent;
    } else if (!first) {
      out += ' ';
      ++col;
    }
    out += word;
    col += word.size();
    first = false;
  }
  out += '\n';
}

// Two columns: the name from column 2, its text from column 27 (on the next line when the
// name does not fit).
void Entry(std::string& out, const std::string& name, const char* text) {
  constexpr size_t kTextColumn = 27;
  out += "  " + name;
  size_t col = 2 + name.size();
  if (col + 2 > kTextColumn) {
    out += '\n';
    col = 0;
  }
  out.append(kTextColumn - col, ' ');
  Wrap(out, text, kTextColumn, kTextColumn);
}

std::string OptionName(const OptionDoc& o) {
  std::string s = o.Alias != nullptr ? std::string(o.Alias) + ", " + o.Name : o.Name;
  if (o.Arg != nullptr) s += std::string(" ") + o.Arg;
  return s;
}

// Text for troff: backslashes and hyphens escaped, no line taken for a request.
std::string Roff(std::string_view text) {
  std::string s;
  for (char c : text) {
    if (c == '\\')
      s += "\\e";
    else if (c == '-')
      s += "\\-";
    else
      s += c;
  }
  if (!s.empty() && (s[0] == '.' || s[0] == '\'')) s.insert(0, "\\&");
  return s;
}

}  // namespace

Options ParseOptions(int argc, const char* const* argv) {
  Options o;
  bool help = false, version = false, srsOnly = false, custom = false, headless = false;
  bool history = false, dbOnly = false, check = false;
  for (int i = 1; i < argc; ++i) {
    const std::string_view arg = argv[i] != nullptr ? argv[i] : "";
    std::string_view name = arg, value;
    bool inlineValue = false;
    if (arg.starts_with("--") && arg.find('=') != std::string_view::npos) {
      name = arg.substr(0, arg.find('='));
      value = arg.substr(arg.find('=') + 1);
      inlineValue = true;
    }
    const OptionDoc* opt = Find(name);
    if (opt == nullptr)
      return Failure((arg.starts_with("-") ? "unknown option '" : "unexpected argument '") +
                     Shown(arg) + "'");
    if (opt->Arg == nullptr && inlineValue) return Failure(Shown(name) + " takes no value");
    if (opt->OptionalArg && !inlineValue) {
      if (i + 1 < argc && argv[i + 1] != nullptr && argv[i + 1][0] != '-') value = argv[++i];
    } else if (opt->Arg != nullptr && !inlineValue) {
      if (i + 1 >= argc || argv[i + 1] == nullptr)
        return Failure(std::string(opt->Name) + " needs " + opt->Arg);
      value = argv[++i];
    }
    if (opt->Arg != nullptr && !opt->OptionalArg && value.empty())
      return Failure(std::string(opt->Name) + " needs " + opt->Arg);
    switch (opt->Id) {
      case Opt::NoSplash:
        o.NoSplash = true;
        break;
      case Opt::StartupTime:
        o.StartupTime = true;
        break;
      case Opt::Help:
        help = true;
        break;
      case Opt::Version:
        version = true;
        break;
      case Opt::Srs:
        o.SrsProfileFile = value;
        break;
      case Opt::Accept:
        o.AcceptDataFile = value;
        break;
      case Opt::Custom:
        o.CustomWaveshapeFile = value;
        custom = true;
        break;
      case Opt::History:
        history = true;
        if (!value.empty() && !ParseId(value, o.HistoryRun))
          return Failure("--history takes a run number, not '" + Shown(value) + "'");
        break;
      case Opt::Pulse:
        if (!ParseId(value, o.Pulse))
          return Failure("--pulse needs a pulse number, not '" + Shown(value) + "'");
        break;
      case Opt::Db:
        o.Database = value;
        dbOnly = true;
        break;
      case Opt::Q:
        if (!ParseQ(value, o.Q)) return Failure("--q needs a number, not '" + Shown(value) + "'");
        srsOnly = true;
        break;
      case Opt::Procedure:
        o.ProcedureFile = value;
        break;
      case Opt::Headless:
        headless = true;
        break;
      case Opt::Check:
        check = true;
        break;
    }
  }
  if (!o.SrsProfileFile.empty() && !o.AcceptDataFile.empty())
    return Failure("--srs and --accept exclude each other");
  if (srsOnly && o.SrsProfileFile.empty()) return Failure("--q goes with --srs");
  if (custom && o.SrsProfileFile.empty() && o.AcceptDataFile.empty())
    return Failure("--custom goes with --srs or --accept");
  if (headless && o.ProcedureFile.empty()) return Failure("--headless goes with --procedure");
  if (check && o.ProcedureFile.empty()) return Failure("--check goes with --procedure");
  if (check && headless) return Failure("--check and --headless exclude each other");
  o.Check = check;
  if (!o.ProcedureFile.empty() && (!o.SrsProfileFile.empty() || !o.AcceptDataFile.empty()))
    return Failure("--procedure, --srs and --accept are different commands");
  o.Headless = headless;
  if (history && o.Pulse) return Failure("--history and --pulse cannot be combined");
  if ((history || o.Pulse) &&
      (!o.SrsProfileFile.empty() || !o.AcceptDataFile.empty() || !o.ProcedureFile.empty()))
    return Failure("--history and --pulse cannot be combined with another command");
  if (dbOnly && !history && !o.Pulse) return Failure("--db goes with --history or --pulse");
  if (help)
    o.Action = OptionAction::Help;
  else if (version)
    o.Action = OptionAction::Version;
  else if (!o.SrsProfileFile.empty())
    o.Action = OptionAction::Srs;
  else if (!o.AcceptDataFile.empty())
    o.Action = OptionAction::Accept;
  else if (!o.ProcedureFile.empty())
    o.Action = OptionAction::Procedure;
  else if (history || o.Pulse)
    o.Action = OptionAction::History;
  return o;
}

std::string VersionText() {
  return std::string("krx8 ") + KRX8_VERSION + "\n";
}

std::string HelpText() {
  std::string s = "Usage: krx8 [OPTION]...\n";
  Wrap(s, kDescription, 0, 0);
  s += "\nOptions:\n";
  for (const auto& o : kOptions) Entry(s, OptionName(o), o.Text);
  s += "\nEnvironment:\n";
  for (const auto& v : kVariables) Entry(s, v.Name, v.Text);
  s += "\nWorking folder:\n  ";
  Wrap(s, kWorkFolder, 2, 2);
  s += "\nTest history:\n  ";
  Wrap(s, kHistory, 2, 2);
  s += "\nExit status:\n  ";
  Wrap(s, kExitStatus, 2, 2);
  return s;
}

std::string ManPage() {
  std::string s = std::string(".TH KRX8 1 \"\" \"krx8 ") + KRX8_VERSION + "\" \"User Commands\"\n";
  s += ".nh\n.ad l\n";  // file names are neither hyphenated nor stretched
  s += ".SH NAME\nkrx8 \\- KRX\\-8 classical shock controller\n";
  s += ".SH SYNOPSIS\n.B krx8\n[\\fIOPTION\\fR]...\n";
  s += ".SH DESCRIPTION\n" + Roff(kDescription) + "\n";
  s += ".SH OPTIONS\n";
  for (const auto& o : kOptions) {
    s += ".TP\n";
    if (o.Alias != nullptr) s += "\\fB" + Roff(o.Alias) + "\\fR, ";
    s += "\\fB" + Roff(o.Name) + "\\fR";
    if (o.Arg != nullptr) s += " \\fI" + Roff(o.Arg) + "\\fR";
    s += "\n" + Roff(o.Text) + "\n";
  }
  s += ".SH ENVIRONMENT\n";
  for (const auto& v : kVariables) s += ".TP\n.B " + Roff(v.Name) + "\n" + Roff(v.Text) + "\n";
  s += ".SH FILES\n" + Roff(kWorkFolder) + "\n";
  s += ".SH \"WAVEFORM CONTROL\"\n" + Roff(kWaveformControl) + "\n";
  s += ".SH \"TEST HISTORY\"\n" + Roff(kHistory) + "\n";
  s += ".SH \"EXIT STATUS\"\n" + Roff(kExitStatus) + "\n";
  return s;
}

}  // namespace app
