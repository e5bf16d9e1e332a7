#include "commands/history_command.h"

#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <charconv>
#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "app/work_folder.h"
#include "history/history.h"
#include "history/store.h"
#include "shaping/drive_codes.h"

namespace history {

namespace {

int Fail(std::ostream& err, std::string what) {
  for (char& c : what)
    if (c == '\r' || c == '\n') c = ' ';
  err << "krx8: " << what << '\n';
  return 2;
}

// A text field; the format has no escape for a double quote, so it becomes an apostrophe.
std::string Q(std::string s) {
  for (char& c : s)
    if (c == '"')
      c = '\'';
    else if (c == '\r' || c == '\n')
      c = ' ';
  return '"' + s + '"';
}

std::string N(double v) {
  char buf[32];
  auto r = std::to_chars(buf, buf + sizeof buf, static_cast<float>(v));
  return std::string(buf, r.ptr);
}

void RunsCsv(Store& db, std::ostream& out) {
  out << "\"Run\",\"Started UTC\",\"Ended UTC\",\"Profile\",\"Kind\",\"Pulses\",\"Ended by\","
         "\"Control mode\",\"Board\",\"Folder\",\"Procedure\",\"Step\"\n";
  for (const auto& r : db.Runs())
    out << r.Id << ',' << Q(r.Started) << ',' << Q(r.Ended) << ',' << Q(r.ProfileFile) << ','
        << Q(r.Kind) << ',' << r.Pulses << ',' << Q(r.EndedBy) << ',' << Q(r.ControlMode) << ','
        << Q(r.Board) << ',' << Q(r.Folder) << ',' << Q(r.Procedure) << ',' << Q(r.Step) << '\n';
}

void PulsesCsv(Store& db, int64_t run, std::ostream& out) {
  out << "\"Pulse\",\"Time UTC\",\"Kind\",\"Level G\",\"Drive counts\",\"Control peak G\","
         "\"Verdict\",\"Index\",\"Level factor\",\"Test level G\",\"Drive gain\",\"Peak A\","
         "\"Peak V\",\"Peak D\",\"Ref peak A\",\"Ref peak V\",\"Ref peak D\",\"Trip code\","
         "\"Peak %\",\"Width %\",\"Velocity change %\",\"Worst band %\",\"Samples outside\","
         "\"Waveform error %\"\n";
  for (const auto& row : db.Pulses(run)) {
    const auto r = db.Pulse(row.Id);
    if (!r) continue;
    out << row.Id << ',' << Q(r->Time) << ',' << Q(r->Kind) << ','
        << N(static_cast<double>(r->LevelFactor) * r->TestLevelG) << ',' << r->DrivePeakCounts
        << ',' << N(r->ControlPeakG) << ','
        << Q(r->Outcome ? r->Outcome->Accept.Verdict : std::string()) << ',' << r->Index << ','
        << N(r->LevelFactor) << ',' << N(r->TestLevelG) << ',' << N(r->DriveGain);
    if (r->Outcome) {
      const auto& o = *r->Outcome;
      out << ',' << N(o.PeakA) << ',' << N(o.PeakV) << ',' << N(o.PeakD) << ',' << N(o.RefPeakA)
          << ',' << N(o.RefPeakV) << ',' << N(o.RefPeakD) << ',' << o.TripCode;
      if (o.Accept.Judged)
        out << ',' << N(o.Accept.PeakPct) << ',' << N(o.Accept.WidthPct) << ','
            << N(o.Accept.VelocityChangePct) << ',' << N(o.Accept.WorstBandPct) << ','
            << o.Accept.SamplesOutside;
      else
        out << ",,,,,";
    } else {
      out << ",,,,,,,,,,,,";
    }
    // Added last, so that the columns before it keep their places.
    out << ',' << (r->WaveformErrorPct ? N(*r->WaveformErrorPct) : std::string()) << '\n';
  }
}

// What tells a file changed: its identity, size and modification time, and its -wal.
struct FileLook {
  dev_t Dev = 0;
  ino_t Ino = 0;
  off_t Size = 0;
  int64_t ModNs = 0;
  bool Wal = false;
  bool operator==(const FileLook&) const = default;
};

FileLook Look(const std::string& path) {
  FileLook f;
  struct stat st {};
  if (::stat(path.c_str(), &st) == 0) {
    f.Dev = st.st_dev;
    f.Ino = st.st_ino;
    f.Size = st.st_size;
    f.ModNs = static_cast<int64_t>(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec;
  }
  f.Wal = ::access((path + "-wal").c_str(), F_OK) == 0;
  return f;
}

}  // namespace

std::string DefaultDatabase() {
  const std::string name = PathFrom(std::getenv("KRX8_HISTORY"));
  if (name.empty() || std::filesystem::path(name).is_absolute()) return name;
  std::error_code ec;
  const std::string here = std::filesystem::current_path(ec).string();
  return (std::filesystem::path(
              app::ChooseWorkFolder(here, std::getenv("XDG_DATA_HOME"), std::getenv("HOME"))) /
          name)
      .string();
}

int RunHistoryCommand(const Query& q, std::ostream& out, std::ostream& err) {
  const std::string path = q.Database.empty() ? DefaultDatabase() : q.Database;
  if (path.empty()) return Fail(err, "no test history is kept (KRX8_HISTORY is empty)");
  std::error_code ec;
  // Reading must never create a database.
  if (!std::filesystem::is_regular_file(path, ec))
    return Fail(err, path + ": no such test history");
  // Built whole first: a damaged row found halfway prints nothing but the error. A file no
  // program records into is read as it lies, without locks (a locked reader would leave a
  // -wal and -shm behind); when it changed meanwhile (a program began recording) it is read
  // again, with the recorders' locks.
  std::ostringstream text;
  for (int attempt = 0;; ++attempt) {
    const auto before = Look(path);
    const Access access = attempt == 0 && !before.Wal ? Access::Snapshot : Access::Read;
    text.str("");
    try {
      Store db(path, access);
      if (q.Pulse) {
        const auto r = db.Pulse(*q.Pulse);
        if (!r) return Fail(err, path + ": no pulse " + std::to_string(*q.Pulse));
        // Added last: the drive as it was played, its codes at its drive level.
        std::array<float, kRecordScans> volts{};
        shaping::VoltsOfCodes(r->DriveCodes, r->DrivePeakCounts, volts);
        text << PulseCsv(*r, "\n", volts);
      } else if (q.Run) {
        if (!db.Run(*q.Run)) return Fail(err, path + ": no run " + std::to_string(*q.Run));
        PulsesCsv(db, *q.Run, text);
      } else {
        RunsCsv(db, text);
      }
    } catch (const StoreError& e) {
      if (access != Access::Snapshot || Look(path) == before)
        return Fail(err, path + ": " + e.what());
    }
    if (access != Access::Snapshot || Look(path) == before) break;
  }
  out << text.str();
  out.flush();
  return out ? 0 : Fail(err, "the output could not be written");
}

}  // namespace history
