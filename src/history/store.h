#pragma once
// The test history database: runs, their pulses with the raw record, and the messages shown
// during a run. One SQLite file in WAL mode; every write is its own transaction, so a kill
// at any moment loses at most the row being written. No toolkit, no program context.
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

struct sqlite3;

namespace history {

// The schema this program writes; a database of a newer schema is refused untouched.
inline constexpr int kSchemaVersion = 3;
inline constexpr int kRecordScans = 1024;
inline constexpr int kMaxChannels = 16;

// A database that cannot be opened, read or written; what() names the reason.
class StoreError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

struct RunStart {
  std::string Started;  // UTC, ISO 8601
  std::string Kind;     // "Equalize", "Pre-test", "Start"
  std::string Folder, ProfileFile;
  std::string Profile;      // the profile record as the profile file holds it
  std::string ControlMode;  // "Auto", "Manual", "Transient"
  bool Demo = false;
  std::string Procedure, Step;  // empty outside a procedure
};

// The acceptance judgement of a pulse, when acceptance was on.
struct Acceptance {
  bool Judged = false;
  double PeakPct = 0, WidthPct = 0, VelocityChangePct = 0, WorstBandPct = 0;
  int SamplesOutside = 0;
  std::string Verdict;  // "PASS", "FAIL peak", ...
};

// What the plot measured on a pulse and how the checks judged it.
struct PulseOutcome {
  float PeakA = 0, PeakV = 0, PeakD = 0;
  float RefPeakA = 0, RefPeakV = 0, RefPeakD = 0;
  int TripCode = 0;
  Acceptance Accept;
};

struct PulseRecord {
  std::string Time;  // UTC, ISO 8601 with milliseconds
  std::string Kind;  // "equalisation", "pre-test", "full level", "transient"
  int Index = 0;     // 1.. within its run
  float LevelFactor = 1, TestLevelG = 0, DriveGain = 0, ControlPeakG = 0;
  int DrivePeakCounts = 0;
  int SampleFactor = 1;
  int AdcZero = 0;
  int Channels = 0;                             // active channels 1..Channels
  std::array<float, kMaxChannels + 1> Scale{};  // counts per G of channel k at k
  // Channel-major: the 1024 counts of channel 1, then of channel 2 ...
  std::vector<int16_t> Counts;
  std::array<int16_t, kRecordScans> DriveCodes{};
  std::optional<PulseOutcome> Outcome;  // pulses the plot judged
  // The error the waveform control measured on this pulse; empty when its drive was not
  // shaped (and in files older than the column).
  std::optional<double> WaveformErrorPct;
};

struct RunRow {
  int64_t Id = 0;
  std::string Started, Ended, Kind, Folder, ProfileFile, ControlMode, Board, EndedBy;
  std::string Procedure, Step;
  int Pulses = 0;
};

struct PulseRow {
  int64_t Id = 0, Run = 0;
  int Index = 0;
  std::string Time, Kind, Verdict;
  float LevelG = 0, ControlPeakG = 0;
  int DrivePeakCounts = 0;
  std::optional<double> WaveformErrorPct;  // empty when the drive was not shaped
};

struct EventRow {
  std::string Time, Kind, Title, Text;
};

// How a Store opens its file.
enum class Access {
  // Recording: opens or creates it, upgrading an older schema in one transaction.
  Record,
  // Reading with the recorders' locks, never writing; a folder that cannot be written (an
  // archive, a read-only file system) is read as it is on the disk.
  Read,
  // Reading the file as it is on the disk, without locks or companions: nothing is created,
  // not even the -wal and -shm a locked reader leaves behind. Only for a file no program
  // records into (no -wal beside it); the caller checks that it did not change meanwhile.
  Snapshot,
};

class Store {
 public:
  // A newer schema, or a version below 1, is refused before anything is written; an older
  // one is read as it is unless recording. Throws StoreError.
  explicit Store(const std::string& path, Access access = Access::Record);
  ~Store();
  Store(const Store&) = delete;
  Store& operator=(const Store&) = delete;

  int64_t BeginRun(const RunStart& run);
  void EndRun(int64_t run, const std::string& ended, const std::string& endedBy);
  int64_t AddPulse(int64_t run, const PulseRecord& pulse);
  // The outcome completes the pulse, with the waveform error (known only once the pulse was
  // learnt from, after its row was taken).
  void SetOutcome(int64_t pulse, const PulseOutcome& outcome,
                  std::optional<double> waveformErrorPct = std::nullopt);
  void AddEvent(int64_t run, const std::string& time, const std::string& kind,
                const std::string& title, const std::string& text);

  std::vector<RunRow> Runs();
  std::optional<RunRow> Run(int64_t id);
  std::vector<PulseRow> Pulses(int64_t run);
  std::vector<EventRow> Events(int64_t run);
  std::optional<PulseRecord> Pulse(int64_t id, int64_t* run = nullptr);
  std::string RunProfile(int64_t run);

  // The last run when it has no end (its program was killed or lost power): it is ended now
  // as "interrupted" and returned. Only when no other program records into the file.
  std::optional<RunRow> EndInterrupted(const std::string& now);

  const std::string& Path() const { return path_; }
  int Version() const { return version_; }

 private:
  void Exec(const char* sql);
  void Upgrade();
  std::string path_;
  sqlite3* db_ = nullptr;
  int version_ = 0;
};

// True when another program holds the file open through SQLite. Only for a file this
// program has not opened yet: looking opens a descriptor of it.
bool OpenElsewhere(const std::string& path);

// Snapshot for a file no program records into (no -wal beside it), else Read.
Access ReadingAccess(const std::string& path);

// The schema version of a database file without changing it; 0 for a new, empty one.
// Throws StoreError for a version below 1 or above this program's.
int SchemaVersionOf(const std::string& path);

}  // namespace history
