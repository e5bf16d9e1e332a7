#include "history/store.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cctype>
#include <cstring>
#include <filesystem>

namespace history {

namespace {

// Another program holding the file locked gets this long before the write gives up.
constexpr int kBusyTimeoutMs = 500;

// Each step takes the schema from version i to i + 1; all steps of an upgrade run in one
// transaction.
constexpr const char* kSteps[] = {
    // 1: runs, pulses with their raw record, events.
    "CREATE TABLE schema_version(version INTEGER NOT NULL);"
    "INSERT INTO schema_version VALUES(0);"
    "CREATE TABLE runs("
    " id INTEGER PRIMARY KEY, started TEXT NOT NULL, ended TEXT, kind TEXT NOT NULL,"
    " folder TEXT NOT NULL, profile_file TEXT NOT NULL, profile TEXT NOT NULL,"
    " control_mode TEXT NOT NULL, board TEXT NOT NULL, ended_by TEXT);"
    "CREATE TABLE pulses("
    " id INTEGER PRIMARY KEY, run_id INTEGER NOT NULL REFERENCES runs(id),"
    " time TEXT NOT NULL, kind TEXT NOT NULL, run_index INTEGER NOT NULL,"
    " level_factor REAL, test_level_g REAL, drive_peak_counts INTEGER, drive_gain REAL,"
    " control_peak_g REAL, peak_a REAL, peak_v REAL, peak_d REAL,"
    " ref_peak_a REAL, ref_peak_v REAL, ref_peak_d REAL, trip_code INTEGER,"
    " accept_peak_pct REAL, accept_width_pct REAL, accept_velocity_pct REAL,"
    " accept_worst_band_pct REAL, accept_samples_outside INTEGER, verdict TEXT,"
    " sample_factor INTEGER NOT NULL, adc_zero INTEGER NOT NULL, channels INTEGER NOT NULL,"
    " scales BLOB NOT NULL, counts BLOB NOT NULL, drive_codes BLOB NOT NULL);"
    "CREATE INDEX pulses_run ON pulses(run_id);"
    "CREATE TABLE events("
    " id INTEGER PRIMARY KEY, run_id INTEGER NOT NULL REFERENCES runs(id),"
    " time TEXT NOT NULL, kind TEXT NOT NULL, title TEXT NOT NULL, text TEXT NOT NULL);",
    // 2: the procedure and step a run belongs to.
    "ALTER TABLE runs ADD COLUMN procedure TEXT NOT NULL DEFAULT '';"
    "ALTER TABLE runs ADD COLUMN step TEXT NOT NULL DEFAULT '';",
    // 3: the waveform control's error on each pulse, NULL where the drive was not shaped.
    "ALTER TABLE pulses ADD COLUMN waveform_error_pct REAL;",
};
static_assert(std::size(kSteps) == kSchemaVersion);

class Stmt {
 public:
  Stmt(sqlite3* db, const char* sql) : db_(db) {
    if (sqlite3_prepare_v2(db, sql, -1, &s_, nullptr) != SQLITE_OK)
      throw StoreError(sqlite3_errmsg(db));
  }
  ~Stmt() { sqlite3_finalize(s_); }
  Stmt(const Stmt&) = delete;
  Stmt& operator=(const Stmt&) = delete;

  Stmt& Bind(int i, int64_t v) { return Check(sqlite3_bind_int64(s_, i, v)); }
  Stmt& Bind(int i, int v) { return Bind(i, static_cast<int64_t>(v)); }
  Stmt& Bind(int i, double v) { return Check(sqlite3_bind_double(s_, i, v)); }
  Stmt& Bind(int i, float v) { return Bind(i, static_cast<double>(v)); }
  Stmt& Bind(int i, const std::optional<double>& v) {
    return v ? Bind(i, *v) : Check(sqlite3_bind_null(s_, i));
  }
  Stmt& Bind(int i, const std::string& v) {
    return Check(sqlite3_bind_text(s_, i, v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT));
  }
  Stmt& Blob(int i, const void* data, size_t bytes) {
    return Check(sqlite3_bind_blob(s_, i, data, static_cast<int>(bytes), SQLITE_TRANSIENT));
  }
  // True while a row is there.
  bool Step() {
    int rc = sqlite3_step(s_);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    throw StoreError(sqlite3_errmsg(db_));
  }
  int64_t Int(int c) const { return sqlite3_column_int64(s_, c); }
  double Real(int c) const { return sqlite3_column_double(s_, c); }
  bool Null(int c) const { return sqlite3_column_type(s_, c) == SQLITE_NULL; }
  std::string Text(int c) const {
    auto t = reinterpret_cast<const char*>(sqlite3_column_text(s_, c));
    return t ? std::string(t, static_cast<size_t>(sqlite3_column_bytes(s_, c))) : std::string();
  }
  // Copies a blob into `out` when it has exactly `bytes` bytes.
  bool BlobInto(int c, void* out, size_t bytes) const {
    const void* b = sqlite3_column_blob(s_, c);
    if (static_cast<size_t>(sqlite3_column_bytes(s_, c)) != bytes || (bytes && !b)) return false;
    if (bytes) std::memcpy(out, b, bytes);
    return true;
  }
  size_t BlobBytes(int c) const { return static_cast<size_t>(sqlite3_column_bytes(s_, c)); }

 private:
  Stmt& Check(int rc) {
    if (rc != SQLITE_OK) throw StoreError(sqlite3_errmsg(db_));
    return *this;
  }
  sqlite3* db_;
  sqlite3_stmt* s_ = nullptr;
};

// Rolls back unless committed: a failed write leaves no half pulse.
class Transaction {
 public:
  explicit Transaction(sqlite3* db) : db_(db) { Run("BEGIN IMMEDIATE"); }
  ~Transaction() {
    if (!done_) sqlite3_exec(db_, "ROLLBACK", nullptr, nullptr, nullptr);
  }
  void Commit() {
    Run("COMMIT");
    done_ = true;
  }

 private:
  void Run(const char* sql) {
    char* msg = nullptr;
    if (sqlite3_exec(db_, sql, nullptr, nullptr, &msg) != SQLITE_OK) {
      std::string why = msg ? msg : sqlite3_errmsg(db_);
      sqlite3_free(msg);
      throw StoreError(why);
    }
  }
  sqlite3* db_;
  bool done_ = false;
};

sqlite3* OpenFile(const std::string& path, int flags) {
  sqlite3* db = nullptr;
  int rc = sqlite3_open_v2(path.c_str(), &db, flags, nullptr);
  if (rc != SQLITE_OK) {
    std::string why = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
    sqlite3_close(db);
    throw StoreError(why);
  }
  sqlite3_busy_timeout(db, kBusyTimeoutMs);
  sqlite3_extended_result_codes(db, 1);
  return db;
}

// The file as a URI with the given parameters: any byte outside the plain set is escaped.
std::string Uri(const std::string& path, const char* query) {
  std::error_code ec;
  const std::string full = std::filesystem::absolute(path, ec).string();
  std::string uri = "file:";
  for (unsigned char c : ec ? path : full) {
    if (std::isalnum(c) || (c != 0 && std::strchr("/-._~", c))) {
      uri += static_cast<char>(c);
    } else {
      char hex[4];
      std::snprintf(hex, sizeof hex, "%%%02X", c);
      uri += hex;
    }
  }
  return uri + "?" + query;
}

bool FolderWritable(const std::string& path) {
  std::error_code ec;
  std::filesystem::path dir = std::filesystem::absolute(path, ec).parent_path();
  return !ec && ::access(dir.c_str(), W_OK) == 0 && ::access(path.c_str(), W_OK) == 0;
}

sqlite3* OpenReading(const std::string& path, Access access) {
  constexpr int ro = SQLITE_OPEN_READONLY | SQLITE_OPEN_URI;
  if (access == Access::Snapshot || !FolderWritable(path))
    return OpenFile(Uri(path, access == Access::Snapshot ? "immutable=1" : "mode=ro"), ro);
  return OpenFile(Uri(path, "mode=ro"), ro);
}

std::string NewerText(int64_t version) {
  return "the file has schema version " + std::to_string(version) + ", newer than this program's " +
         std::to_string(kSchemaVersion) + "; it was left untouched";
}

// The version, checked before anything uses it: 0 for an empty file, else 1..kSchemaVersion.
int VersionOf(sqlite3* db) {
  Stmt tables(db, "SELECT count(*) FROM sqlite_master WHERE name='schema_version'");
  tables.Step();
  if (tables.Int(0) == 0) {
    Stmt any(db, "SELECT count(*) FROM sqlite_master");
    any.Step();
    if (any.Int(0) != 0) throw StoreError("the file holds other tables than a test history");
    return 0;
  }
  Stmt v(db, "SELECT max(version), typeof(max(version)) FROM schema_version");
  if (!v.Step() || v.Text(1) != "integer") throw StoreError("the file has no schema version");
  const int64_t version = v.Int(0);
  if (version > kSchemaVersion) throw StoreError(NewerText(version));
  if (version < 1)
    throw StoreError("the file has schema version " + std::to_string(version) +
                     ", not a test history of this program; it was left untouched");
  return static_cast<int>(version);
}

}  // namespace

Access ReadingAccess(const std::string& path) {
  std::error_code ec;
  return std::filesystem::exists(path + "-wal", ec) ? Access::Read : Access::Snapshot;
}

int SchemaVersionOf(const std::string& path) {
  Store s(path, ReadingAccess(path));
  return s.Version();
}

bool OpenElsewhere(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  // Every SQLite connection holds a read lock in the shared range of its database file.
  struct flock lock {};
  lock.l_type = F_WRLCK;
  lock.l_whence = SEEK_SET;
  lock.l_start = 0x40000002;  // SQLite's shared range: 510 bytes past its pending byte + 2
  lock.l_len = 510;
  const bool held = ::fcntl(fd, F_GETLK, &lock) == 0 && lock.l_type != F_UNLCK;
  ::close(fd);
  return held;
}

Store::Store(const std::string& path, Access access) : path_(path) {
  db_ = access == Access::Record ? OpenFile(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE)
                                 : OpenReading(path, access);
  try {
    // Read before anything is written: a newer file must stay byte for byte as it was.
    try {
      version_ = VersionOf(db_);
    } catch (const StoreError&) {
      // A -wal left in a folder that cannot be written may lack its -shm: the file is then
      // read as it is, without what the -wal holds.
      if (access != Access::Read || FolderWritable(path)) throw;
      sqlite3_close(db_);
      db_ = nullptr;
      db_ = OpenReading(path, Access::Snapshot);
      version_ = VersionOf(db_);
    }
    if (access != Access::Record) return;
    Exec("PRAGMA journal_mode=WAL");
    // Every commit reaches the disk: a power cut keeps each pulse committed before it.
    Exec("PRAGMA synchronous=FULL");
    Exec("PRAGMA foreign_keys=ON");
    if (version_ < kSchemaVersion) Upgrade();
    version_ = kSchemaVersion;
  } catch (...) {
    sqlite3_close(db_);
    throw;
  }
}

Store::~Store() {
  sqlite3_close(db_);
}

void Store::Exec(const char* sql) {
  char* msg = nullptr;
  if (sqlite3_exec(db_, sql, nullptr, nullptr, &msg) != SQLITE_OK) {
    std::string why = msg ? msg : sqlite3_errmsg(db_);
    sqlite3_free(msg);
    throw StoreError(why);
  }
}

void Store::Upgrade() {
  Transaction t(db_);
  // Another instance may have upgraded it between the first look and the lock.
  int now = VersionOf(db_);
  if (now > kSchemaVersion) throw StoreError(NewerText(now));
  for (int v = now; v < kSchemaVersion; ++v) Exec(kSteps[v]);
  if (now != kSchemaVersion) {
    Stmt s(db_, "UPDATE schema_version SET version=?");
    s.Bind(1, kSchemaVersion).Step();
  }
  t.Commit();
}

int64_t Store::BeginRun(const RunStart& r) {
  Transaction t(db_);
  Stmt s(db_,
         "INSERT INTO runs(started,kind,folder,profile_file,profile,control_mode,board,"
         "procedure,step) VALUES(?,?,?,?,?,?,?,?,?)");
  s.Bind(1, r.Started).Bind(2, r.Kind).Bind(3, r.Folder).Bind(4, r.ProfileFile);
  s.Bind(5, r.Profile).Bind(6, r.ControlMode).Bind(7, std::string(r.Demo ? "demo" : "board"));
  s.Bind(8, r.Procedure).Bind(9, r.Step).Step();
  int64_t id = sqlite3_last_insert_rowid(db_);
  t.Commit();
  return id;
}

void Store::EndRun(int64_t run, const std::string& ended, const std::string& endedBy) {
  Transaction t(db_);
  Stmt s(db_, "UPDATE runs SET ended=?, ended_by=? WHERE id=?");
  s.Bind(1, ended).Bind(2, endedBy).Bind(3, run).Step();
  t.Commit();
}

namespace {

void BindOutcome(Stmt& s, int first, const std::optional<PulseOutcome>& o) {
  if (!o) return;  // left NULL
  s.Bind(first, o->PeakA).Bind(first + 1, o->PeakV).Bind(first + 2, o->PeakD);
  s.Bind(first + 3, o->RefPeakA).Bind(first + 4, o->RefPeakV).Bind(first + 5, o->RefPeakD);
  s.Bind(first + 6, o->TripCode);
  const auto& a = o->Accept;
  if (!a.Judged) return;
  s.Bind(first + 7, a.PeakPct).Bind(first + 8, a.WidthPct).Bind(first + 9, a.VelocityChangePct);
  s.Bind(first + 10, a.WorstBandPct).Bind(first + 11, a.SamplesOutside).Bind(first + 12, a.Verdict);
}

constexpr const char* kOutcomeColumns =
    "peak_a,peak_v,peak_d,ref_peak_a,ref_peak_v,ref_peak_d,trip_code,accept_peak_pct,"
    "accept_width_pct,accept_velocity_pct,accept_worst_band_pct,accept_samples_outside,verdict";

}  // namespace

int64_t Store::AddPulse(int64_t run, const PulseRecord& r) {
  if (r.Channels < 0 || r.Channels > kMaxChannels ||
      r.Counts.size() != static_cast<size_t>(r.Channels) * kRecordScans)
    throw StoreError("a pulse record of the wrong size");
  const std::string sql =
      std::string(
          "INSERT INTO pulses(run_id,time,kind,run_index,level_factor,test_level_g,"
          "drive_peak_counts,drive_gain,control_peak_g,sample_factor,adc_zero,channels,"
          "scales,counts,drive_codes,") +
      kOutcomeColumns +
      ",waveform_error_pct) VALUES(?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?,?)";
  Transaction t(db_);
  Stmt s(db_, sql.c_str());
  s.Bind(1, run).Bind(2, r.Time).Bind(3, r.Kind).Bind(4, r.Index).Bind(5, r.LevelFactor);
  s.Bind(6, r.TestLevelG).Bind(7, r.DrivePeakCounts).Bind(8, r.DriveGain).Bind(9, r.ControlPeakG);
  s.Bind(10, r.SampleFactor).Bind(11, r.AdcZero).Bind(12, r.Channels);
  s.Blob(13, r.Scale.data() + 1, sizeof(float) * kMaxChannels);
  s.Blob(14, r.Counts.data(), r.Counts.size() * sizeof(int16_t));
  s.Blob(15, r.DriveCodes.data(), sizeof(r.DriveCodes));
  BindOutcome(s, 16, r.Outcome);
  s.Bind(29, r.WaveformErrorPct);
  s.Step();
  int64_t id = sqlite3_last_insert_rowid(db_);
  t.Commit();
  return id;
}

void Store::SetOutcome(int64_t pulse, const PulseOutcome& o, std::optional<double> errorPct) {
  Transaction t(db_);
  Stmt s(db_,
         "UPDATE pulses SET peak_a=?,peak_v=?,peak_d=?,ref_peak_a=?,ref_peak_v=?,ref_peak_d=?,"
         "trip_code=?,accept_peak_pct=?,accept_width_pct=?,accept_velocity_pct=?,"
         "accept_worst_band_pct=?,accept_samples_outside=?,verdict=?,waveform_error_pct=? "
         "WHERE id=?");
  BindOutcome(s, 1, o);
  s.Bind(14, errorPct).Bind(15, pulse).Step();
  t.Commit();
}

void Store::AddEvent(int64_t run, const std::string& time, const std::string& kind,
                     const std::string& title, const std::string& text) {
  Transaction t(db_);
  Stmt s(db_, "INSERT INTO events(run_id,time,kind,title,text) VALUES(?,?,?,?,?)");
  s.Bind(1, run).Bind(2, time).Bind(3, kind).Bind(4, title).Bind(5, text).Step();
  t.Commit();
}

namespace {

// Version 1 has no procedure columns: it reads as runs outside a procedure.
std::string RunSelect(int version) {
  return std::string(
             "SELECT id,started,coalesce(ended,''),kind,folder,profile_file,control_mode,board,"
             "coalesce(ended_by,''),") +
         (version >= 2 ? "procedure,step" : "'',''") +
         ",(SELECT count(*) FROM pulses WHERE run_id=runs.id) FROM runs";
}

// Older versions have no waveform error: their pulses read as not shaped.
const char* ErrorColumn(int version) {
  return version >= 3 ? "waveform_error_pct" : "NULL";
}

RunRow RunOf(const Stmt& s) {
  RunRow r;
  r.Id = s.Int(0);
  r.Started = s.Text(1);
  r.Ended = s.Text(2);
  r.Kind = s.Text(3);
  r.Folder = s.Text(4);
  r.ProfileFile = s.Text(5);
  r.ControlMode = s.Text(6);
  r.Board = s.Text(7);
  r.EndedBy = s.Text(8);
  r.Procedure = s.Text(9);
  r.Step = s.Text(10);
  r.Pulses = static_cast<int>(s.Int(11));
  return r;
}

}  // namespace

std::vector<RunRow> Store::Runs() {
  if (version_ == 0) return {};  // an empty file read as it is
  Stmt s(db_, (RunSelect(version_) + " ORDER BY id").c_str());
  std::vector<RunRow> rows;
  while (s.Step()) rows.push_back(RunOf(s));
  return rows;
}

std::optional<RunRow> Store::Run(int64_t id) {
  if (version_ == 0) return std::nullopt;
  Stmt s(db_, (RunSelect(version_) + " WHERE id=?").c_str());
  s.Bind(1, id);
  if (!s.Step()) return std::nullopt;
  return RunOf(s);
}

std::vector<PulseRow> Store::Pulses(int64_t run) {
  if (version_ == 0) return {};
  const std::string sql =
      std::string(
          "SELECT id,run_id,run_index,time,kind,coalesce(verdict,''),level_factor*test_level_g,"
          "control_peak_g,drive_peak_counts,") +
      ErrorColumn(version_) + " FROM pulses WHERE run_id=? ORDER BY id";
  Stmt s(db_, sql.c_str());
  s.Bind(1, run);
  std::vector<PulseRow> rows;
  while (s.Step()) {
    PulseRow r;
    r.Id = s.Int(0);
    r.Run = s.Int(1);
    r.Index = static_cast<int>(s.Int(2));
    r.Time = s.Text(3);
    r.Kind = s.Text(4);
    r.Verdict = s.Text(5);
    r.LevelG = static_cast<float>(s.Real(6));
    r.ControlPeakG = static_cast<float>(s.Real(7));
    r.DrivePeakCounts = static_cast<int>(s.Int(8));
    if (!s.Null(9)) r.WaveformErrorPct = s.Real(9);
    rows.push_back(r);
  }
  return rows;
}

std::vector<EventRow> Store::Events(int64_t run) {
  if (version_ == 0) return {};
  Stmt s(db_, "SELECT time,kind,title,text FROM events WHERE run_id=? ORDER BY id");
  s.Bind(1, run);
  std::vector<EventRow> rows;
  while (s.Step()) rows.push_back({s.Text(0), s.Text(1), s.Text(2), s.Text(3)});
  return rows;
}

std::optional<PulseRecord> Store::Pulse(int64_t id, int64_t* run) {
  if (version_ == 0) return std::nullopt;
  const std::string sql =
      std::string(
          "SELECT run_id,time,kind,run_index,level_factor,test_level_g,"
          "drive_peak_counts,drive_gain,control_peak_g,sample_factor,adc_zero,channels,"
          "scales,counts,drive_codes,") +
      kOutcomeColumns + "," + ErrorColumn(version_) + " FROM pulses WHERE id=?";
  Stmt s(db_, sql.c_str());
  s.Bind(1, id);
  if (!s.Step()) return std::nullopt;
  PulseRecord r;
  if (run) *run = s.Int(0);
  r.Time = s.Text(1);
  r.Kind = s.Text(2);
  r.Index = static_cast<int>(s.Int(3));
  r.LevelFactor = static_cast<float>(s.Real(4));
  r.TestLevelG = static_cast<float>(s.Real(5));
  r.DrivePeakCounts = static_cast<int>(s.Int(6));
  r.DriveGain = static_cast<float>(s.Real(7));
  r.ControlPeakG = static_cast<float>(s.Real(8));
  r.SampleFactor = static_cast<int>(s.Int(9));
  r.AdcZero = static_cast<int>(s.Int(10));
  r.Channels = static_cast<int>(s.Int(11));
  // A damaged row reads as an error, never as samples from beyond its blob.
  if (r.Channels < 0 || r.Channels > kMaxChannels ||
      !s.BlobInto(12, r.Scale.data() + 1, sizeof(float) * kMaxChannels) ||
      !s.BlobInto(14, r.DriveCodes.data(), sizeof(r.DriveCodes)))
    throw StoreError("pulse " + std::to_string(id) + " is damaged");
  r.Counts.resize(static_cast<size_t>(r.Channels) * kRecordScans);
  if (!s.BlobInto(13, r.Counts.data(), r.Counts.size() * sizeof(int16_t)))
    throw StoreError("pulse " + std::to_string(id) + " is damaged");
  if (!s.Null(15)) {
    PulseOutcome o;
    o.PeakA = static_cast<float>(s.Real(15));
    o.PeakV = static_cast<float>(s.Real(16));
    o.PeakD = static_cast<float>(s.Real(17));
    o.RefPeakA = static_cast<float>(s.Real(18));
    o.RefPeakV = static_cast<float>(s.Real(19));
    o.RefPeakD = static_cast<float>(s.Real(20));
    o.TripCode = static_cast<int>(s.Int(21));
    if (!s.Null(27)) {
      auto& a = o.Accept;
      a.Judged = true;
      a.PeakPct = s.Real(22);
      a.WidthPct = s.Real(23);
      a.VelocityChangePct = s.Real(24);
      a.WorstBandPct = s.Real(25);
      a.SamplesOutside = static_cast<int>(s.Int(26));
      a.Verdict = s.Text(27);
    }
    r.Outcome = o;
  }
  if (!s.Null(28)) r.WaveformErrorPct = s.Real(28);
  return r;
}

std::string Store::RunProfile(int64_t run) {
  if (version_ == 0) return {};
  Stmt s(db_, "SELECT profile FROM runs WHERE id=?");
  s.Bind(1, run);
  return s.Step() ? s.Text(0) : std::string();
}

}  // namespace history

namespace history {

std::optional<RunRow> Store::EndInterrupted(const std::string& now) {
  if (version_ == 0) return std::nullopt;
  Transaction t(db_);
  std::optional<RunRow> last;
  {
    Stmt q(db_, (RunSelect(version_) + " ORDER BY id DESC LIMIT 1").c_str());
    if (q.Step()) last = RunOf(q);
  }
  if (!last || !last->Ended.empty()) return std::nullopt;
  RunRow r = *last;
  Stmt s(db_, "UPDATE runs SET ended=?, ended_by='interrupted' WHERE id=?");
  s.Bind(1, now).Bind(2, r.Id).Step();
  t.Commit();
  r.Ended = now;
  r.EndedBy = "interrupted";
  return r;
}

}  // namespace history
