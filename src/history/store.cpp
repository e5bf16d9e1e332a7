#include "history/store.h"

#include <fcntl.h>
#include <sqlite3.h>
#include <unistd.h>

#include <cctype>
#include <cstring>
#include <filesystem>
#include <span>
#include <string_view>
#include <vector>

namespace history {

namespace {

// Another program holding the file locked gets this long before the write gives up.
constexpr int kBusyTimeoutMs = 500;

// Each step takes the schema from version i to i + 1; all steps of an upgrade run in one
// transaction.
constexpr const char* kSteps[] = {
    // 1: runs, pulses with their raw record, events.
    ("CREATE TABLE schema_version(version INTEGER NOT NULL);"
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
     " time TEXT NOT NULL, kind TEXT NOT NULL, title TEXT NOT NULL, text TEXT NOT NULL);"),
    // 2: the procedure and step a run belongs to.
    ("ALTER TABLE runs ADD COLUMN procedure TEXT NOT NULL DEFAULT '';"
     "ALTER TABLE runs ADD COLUMN step TEXT NOT NULL DEFAULT '';"),
    // 3: the waveform control's error on each pulse, NULL where the drive was not shaped.
    "ALTER TABLE pulses ADD COLUMN waveform_error_pct REAL;",
};
static_assert(std::size(kSteps) == kSchemaVersion);

// A statement whose parameters and result columns are reached by name (":level" binds
// `level`; a result column by its name or alias), never by position: a column added to a
// statement cannot shift the others, and a name that is not there is an error.
class Stmt {
 public:
  Stmt(sqlite3* db, const std::string& sql) : db_(db) {
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &s_, nullptr) != SQLITE_OK)
      throw StoreError(sqlite3_errmsg(db));
  }
  ~Stmt() { sqlite3_finalize(s_); }
  Stmt(const Stmt&) = delete;
  Stmt& operator=(const Stmt&) = delete;

  Stmt& Bind(std::string_view name, int64_t v) {
    return Check(sqlite3_bind_int64(s_, Param(name), v));
  }
  Stmt& Bind(std::string_view name, int v) { return Bind(name, static_cast<int64_t>(v)); }
  Stmt& Bind(std::string_view name, double v) {
    return Check(sqlite3_bind_double(s_, Param(name), v));
  }
  Stmt& Bind(std::string_view name, float v) { return Bind(name, static_cast<double>(v)); }
  Stmt& Bind(std::string_view name, const std::optional<double>& v) {
    return v ? Bind(name, *v) : Check(sqlite3_bind_null(s_, Param(name)));
  }
  Stmt& Bind(std::string_view name, const std::string& v) {
    return Check(
        sqlite3_bind_text(s_, Param(name), v.data(), static_cast<int>(v.size()), SQLITE_TRANSIENT));
  }
  Stmt& Blob(std::string_view name, const void* data, size_t bytes) {
    return Check(
        sqlite3_bind_blob(s_, Param(name), data, static_cast<int>(bytes), SQLITE_TRANSIENT));
  }
  // True while a row is there.
  bool Step() {
    int rc = sqlite3_step(s_);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    throw StoreError(sqlite3_errmsg(db_));
  }
  int64_t Int(std::string_view c) const { return sqlite3_column_int64(s_, Column(c)); }
  double Real(std::string_view c) const { return sqlite3_column_double(s_, Column(c)); }
  bool Null(std::string_view c) const { return sqlite3_column_type(s_, Column(c)) == SQLITE_NULL; }
  std::string Text(std::string_view name) const {
    const int c = Column(name);
    auto t = reinterpret_cast<const char*>(sqlite3_column_text(s_, c));
    return t ? std::string(t, static_cast<size_t>(sqlite3_column_bytes(s_, c))) : std::string();
  }
  // Copies a blob into `out` when it has exactly `bytes` bytes.
  bool BlobInto(std::string_view name, void* out, size_t bytes) const {
    const int c = Column(name);
    const void* b = sqlite3_column_blob(s_, c);
    if (static_cast<size_t>(sqlite3_column_bytes(s_, c)) != bytes || (bytes && !b)) return false;
    if (bytes) std::memcpy(out, b, bytes);
    return true;
  }

 private:
  Stmt& Check(int rc) {
    if (rc != SQLITE_OK) throw StoreError(sqlite3_errmsg(db_));
    return *this;
  }
  int Param(std::string_view name) const {
    const std::string key = ":" + std::string(name);
    const int i = sqlite3_bind_parameter_index(s_, key.c_str());
    if (i == 0) throw StoreError("the statement has no parameter " + key);
    return i;
  }
  int Column(std::string_view name) const {
    for (int c = 0, n = sqlite3_column_count(s_); c < n; ++c)
      if (const char* col = sqlite3_column_name(s_, c); col && name == col) return c;
    throw StoreError("the statement has no column " + std::string(name));
  }
  sqlite3* db_;
  sqlite3_stmt* s_ = nullptr;
};

// Column names, in lists a statement joins.
using Columns = std::initializer_list<std::span<const char* const>>;

// Each column of the lists as `before` + name (+ `after` + name), comma-separated: "a,b",
// ":a,:b" or "a=:a,b=:b".
std::string Joined(Columns lists, const char* before, const char* after = nullptr) {
  std::string out;
  for (const auto& cols : lists)
    for (const char* c : cols) {
      if (!out.empty()) out += ',';
      out += before;
      out += c;
      if (after) out += after + std::string(c);
    }
  return out;
}
// Every column bound from the parameter of its name.
std::string Insert(const char* table, Columns cols) {
  return std::string("INSERT INTO ") + table + "(" + Joined(cols, "") + ") VALUES(" +
         Joined(cols, ":") + ")";
}
std::string Assignments(Columns cols) {
  return Joined(cols, "", "=:");
}

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
  Stmt tables(db, "SELECT count(*) AS n FROM sqlite_master WHERE name='schema_version'");
  tables.Step();
  if (tables.Int("n") == 0) {
    Stmt any(db, "SELECT count(*) AS n FROM sqlite_master");
    any.Step();
    if (any.Int("n") != 0) throw StoreError("the file holds other tables than a test history");
    return 0;
  }
  Stmt v(db, "SELECT max(version) AS version, typeof(max(version)) AS type FROM schema_version");
  if (!v.Step() || v.Text("type") != "integer") throw StoreError("the file has no schema version");
  const int64_t version = v.Int("version");
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
    Stmt s(db_, "UPDATE schema_version SET version=:version");
    s.Bind("version", kSchemaVersion).Step();
  }
  t.Commit();
}

int64_t Store::BeginRun(const RunStart& r) {
  Transaction t(db_);
  constexpr const char* kColumns[] = {"started",      "kind",      "folder",
                                      "profile_file", "profile",   "control_mode",
                                      "board",        "procedure", "step"};
  Stmt s(db_, Insert("runs", {kColumns}));
  s.Bind("started", r.Started).Bind("kind", r.Kind).Bind("folder", r.Folder);
  s.Bind("profile_file", r.ProfileFile).Bind("profile", r.Profile);
  s.Bind("control_mode", r.ControlMode).Bind("board", std::string(r.Demo ? "demo" : "board"));
  s.Bind("procedure", r.Procedure).Bind("step", r.Step).Step();
  int64_t id = sqlite3_last_insert_rowid(db_);
  t.Commit();
  return id;
}

void Store::EndRun(int64_t run, const std::string& ended, const std::string& endedBy) {
  Transaction t(db_);
  Stmt s(db_, "UPDATE runs SET ended=:ended, ended_by=:ended_by WHERE id=:id");
  s.Bind("ended", ended).Bind("ended_by", endedBy).Bind("id", run).Step();
  t.Commit();
}

namespace {

// What the plot measured on a pulse and the checks judged.
constexpr const char* kOutcomeColumns[] = {"peak_a",
                                           "peak_v",
                                           "peak_d",
                                           "ref_peak_a",
                                           "ref_peak_v",
                                           "ref_peak_d",
                                           "trip_code",
                                           "accept_peak_pct",
                                           "accept_width_pct",
                                           "accept_velocity_pct",
                                           "accept_worst_band_pct",
                                           "accept_samples_outside",
                                           "verdict"};
// The raw record and what the pulse was fired with.
constexpr const char* kRecordColumns[] = {"run_id",
                                          "time",
                                          "kind",
                                          "run_index",
                                          "level_factor",
                                          "test_level_g",
                                          "drive_peak_counts",
                                          "drive_gain",
                                          "control_peak_g",
                                          "sample_factor",
                                          "adc_zero",
                                          "channels",
                                          "scales",
                                          "counts",
                                          "drive_codes"};
constexpr const char* kErrorColumn[] = {"waveform_error_pct"};

void BindOutcome(Stmt& s, const std::optional<PulseOutcome>& o) {
  if (!o) return;  // left NULL
  s.Bind("peak_a", o->PeakA).Bind("peak_v", o->PeakV).Bind("peak_d", o->PeakD);
  s.Bind("ref_peak_a", o->RefPeakA).Bind("ref_peak_v", o->RefPeakV);
  s.Bind("ref_peak_d", o->RefPeakD).Bind("trip_code", o->TripCode);
  const auto& a = o->Accept;
  if (!a.Judged) return;
  s.Bind("accept_peak_pct", a.PeakPct).Bind("accept_width_pct", a.WidthPct);
  s.Bind("accept_velocity_pct", a.VelocityChangePct);
  s.Bind("accept_worst_band_pct", a.WorstBandPct);
  s.Bind("accept_samples_outside", a.SamplesOutside).Bind("verdict", a.Verdict);
}

}  // namespace

int64_t Store::AddPulse(int64_t run, const PulseRecord& r) {
  if (r.Channels < 0 || r.Channels > kMaxChannels ||
      r.Counts.size() != static_cast<size_t>(r.Channels) * kRecordScans)
    throw StoreError("a pulse record of the wrong size");
  Transaction t(db_);
  Stmt s(db_, Insert("pulses", {kRecordColumns, kOutcomeColumns, kErrorColumn}));
  s.Bind("run_id", run).Bind("time", r.Time).Bind("kind", r.Kind).Bind("run_index", r.Index);
  s.Bind("level_factor", r.LevelFactor).Bind("test_level_g", r.TestLevelG);
  s.Bind("drive_peak_counts", r.DrivePeakCounts).Bind("drive_gain", r.DriveGain);
  s.Bind("control_peak_g", r.ControlPeakG).Bind("sample_factor", r.SampleFactor);
  s.Bind("adc_zero", r.AdcZero).Bind("channels", r.Channels);
  s.Blob("scales", r.Scale.data() + 1, sizeof(float) * kMaxChannels);
  s.Blob("counts", r.Counts.data(), r.Counts.size() * sizeof(int16_t));
  s.Blob("drive_codes", r.DriveCodes.data(), sizeof(r.DriveCodes));
  BindOutcome(s, r.Outcome);
  s.Bind("waveform_error_pct", r.WaveformErrorPct);
  s.Step();
  int64_t id = sqlite3_last_insert_rowid(db_);
  t.Commit();
  return id;
}

void Store::SetOutcome(int64_t pulse, const PulseOutcome& o, std::optional<double> errorPct) {
  Transaction t(db_);
  Stmt s(db_,
         "UPDATE pulses SET " + Assignments({kOutcomeColumns, kErrorColumn}) + " WHERE id=:id");
  BindOutcome(s, o);
  s.Bind("waveform_error_pct", errorPct).Bind("id", pulse).Step();
  t.Commit();
}

void Store::AddEvent(int64_t run, const std::string& time, const std::string& kind,
                     const std::string& title, const std::string& text) {
  Transaction t(db_);
  constexpr const char* kColumns[] = {"run_id", "time", "kind", "title", "text"};
  Stmt s(db_, Insert("events", {kColumns}));
  s.Bind("run_id", run).Bind("time", time).Bind("kind", kind).Bind("title", title);
  s.Bind("text", text).Step();
  t.Commit();
}

namespace {

// Version 1 has no procedure columns: it reads as runs outside a procedure.
std::string RunSelect(int version) {
  return std::string(
             "SELECT id,started,coalesce(ended,'') AS ended,kind,folder,profile_file,control_mode,"
             "board,coalesce(ended_by,'') AS ended_by,") +
         (version >= 2 ? "procedure,step" : "'' AS procedure,'' AS step") +
         ",(SELECT count(*) FROM pulses WHERE run_id=runs.id) AS pulses FROM runs";
}

// Older versions have no waveform error: their pulses read as not shaped.
const char* ErrorColumn(int version) {
  return version >= 3 ? "waveform_error_pct" : "NULL AS waveform_error_pct";
}

RunRow RunOf(const Stmt& s) {
  RunRow r;
  r.Id = s.Int("id");
  r.Started = s.Text("started");
  r.Ended = s.Text("ended");
  r.Kind = s.Text("kind");
  r.Folder = s.Text("folder");
  r.ProfileFile = s.Text("profile_file");
  r.ControlMode = s.Text("control_mode");
  r.Board = s.Text("board");
  r.EndedBy = s.Text("ended_by");
  r.Procedure = s.Text("procedure");
  r.Step = s.Text("step");
  r.Pulses = static_cast<int>(s.Int("pulses"));
  return r;
}

}  // namespace

std::vector<RunRow> Store::Runs() {
  if (version_ == 0) return {};  // an empty file read as it is
  Stmt s(db_, RunSelect(version_) + " ORDER BY id");
  std::vector<RunRow> rows;
  while (s.Step()) rows.push_back(RunOf(s));
  return rows;
}

std::optional<RunRow> Store::Run(int64_t id) {
  if (version_ == 0) return std::nullopt;
  Stmt s(db_, RunSelect(version_) + " WHERE id=:id");
  s.Bind("id", id);
  if (!s.Step()) return std::nullopt;
  return RunOf(s);
}

std::vector<PulseRow> Store::Pulses(int64_t run) {
  if (version_ == 0) return {};
  const std::string sql =
      std::string(
          "SELECT id,run_id,run_index,time,kind,coalesce(verdict,'') AS verdict,"
          "level_factor*test_level_g AS level_g,control_peak_g,drive_peak_counts,") +
      ErrorColumn(version_) + " FROM pulses WHERE run_id=:run ORDER BY id";
  Stmt s(db_, sql);
  s.Bind("run", run);
  std::vector<PulseRow> rows;
  while (s.Step()) {
    PulseRow r;
    r.Id = s.Int("id");
    r.Run = s.Int("run_id");
    r.Index = static_cast<int>(s.Int("run_index"));
    r.Time = s.Text("time");
    r.Kind = s.Text("kind");
    r.Verdict = s.Text("verdict");
    r.LevelG = static_cast<float>(s.Real("level_g"));
    r.ControlPeakG = static_cast<float>(s.Real("control_peak_g"));
    r.DrivePeakCounts = static_cast<int>(s.Int("drive_peak_counts"));
    if (!s.Null("waveform_error_pct")) r.WaveformErrorPct = s.Real("waveform_error_pct");
    rows.push_back(r);
  }
  return rows;
}

std::vector<EventRow> Store::Events(int64_t run) {
  if (version_ == 0) return {};
  Stmt s(db_, "SELECT time,kind,title,text FROM events WHERE run_id=:run ORDER BY id");
  s.Bind("run", run);
  std::vector<EventRow> rows;
  while (s.Step())
    rows.push_back({s.Text("time"), s.Text("kind"), s.Text("title"), s.Text("text")});
  return rows;
}

std::optional<PulseRecord> Store::Pulse(int64_t id, int64_t* run) {
  if (version_ == 0) return std::nullopt;
  Stmt s(db_, "SELECT " + Joined({kRecordColumns, kOutcomeColumns}, "") + "," +
                  ErrorColumn(version_) + " FROM pulses WHERE id=:id");
  s.Bind("id", id);
  if (!s.Step()) return std::nullopt;
  PulseRecord r;
  if (run) *run = s.Int("run_id");
  r.Time = s.Text("time");
  r.Kind = s.Text("kind");
  r.Index = static_cast<int>(s.Int("run_index"));
  r.LevelFactor = static_cast<float>(s.Real("level_factor"));
  r.TestLevelG = static_cast<float>(s.Real("test_level_g"));
  r.DrivePeakCounts = static_cast<int>(s.Int("drive_peak_counts"));
  r.DriveGain = static_cast<float>(s.Real("drive_gain"));
  r.ControlPeakG = static_cast<float>(s.Real("control_peak_g"));
  r.SampleFactor = static_cast<int>(s.Int("sample_factor"));
  r.AdcZero = static_cast<int>(s.Int("adc_zero"));
  r.Channels = static_cast<int>(s.Int("channels"));
  // A damaged row reads as an error, never as samples from beyond its blob.
  if (r.Channels < 0 || r.Channels > kMaxChannels ||
      !s.BlobInto("scales", r.Scale.data() + 1, sizeof(float) * kMaxChannels) ||
      !s.BlobInto("drive_codes", r.DriveCodes.data(), sizeof(r.DriveCodes)))
    throw StoreError("pulse " + std::to_string(id) + " is damaged");
  r.Counts.resize(static_cast<size_t>(r.Channels) * kRecordScans);
  if (!s.BlobInto("counts", r.Counts.data(), r.Counts.size() * sizeof(int16_t)))
    throw StoreError("pulse " + std::to_string(id) + " is damaged");
  if (!s.Null("peak_a")) {
    PulseOutcome o;
    o.PeakA = static_cast<float>(s.Real("peak_a"));
    o.PeakV = static_cast<float>(s.Real("peak_v"));
    o.PeakD = static_cast<float>(s.Real("peak_d"));
    o.RefPeakA = static_cast<float>(s.Real("ref_peak_a"));
    o.RefPeakV = static_cast<float>(s.Real("ref_peak_v"));
    o.RefPeakD = static_cast<float>(s.Real("ref_peak_d"));
    o.TripCode = static_cast<int>(s.Int("trip_code"));
    if (!s.Null("verdict")) {
      auto& a = o.Accept;
      a.Judged = true;
      a.PeakPct = s.Real("accept_peak_pct");
      a.WidthPct = s.Real("accept_width_pct");
      a.VelocityChangePct = s.Real("accept_velocity_pct");
      a.WorstBandPct = s.Real("accept_worst_band_pct");
      a.SamplesOutside = static_cast<int>(s.Int("accept_samples_outside"));
      a.Verdict = s.Text("verdict");
    }
    r.Outcome = o;
  }
  if (!s.Null("waveform_error_pct")) r.WaveformErrorPct = s.Real("waveform_error_pct");
  return r;
}

std::string Store::RunProfile(int64_t run) {
  if (version_ == 0) return {};
  Stmt s(db_, "SELECT profile FROM runs WHERE id=:id");
  s.Bind("id", run);
  return s.Step() ? s.Text("profile") : std::string();
}

}  // namespace history

namespace history {

std::optional<RunRow> Store::EndInterrupted(const std::string& now) {
  if (version_ == 0) return std::nullopt;
  Transaction t(db_);
  std::optional<RunRow> last;
  {
    Stmt q(db_, RunSelect(version_) + " ORDER BY id DESC LIMIT 1");
    if (q.Step()) last = RunOf(q);
  }
  if (!last || !last->Ended.empty()) return std::nullopt;
  RunRow r = *last;
  Stmt s(db_, "UPDATE runs SET ended=:ended, ended_by='interrupted' WHERE id=:id");
  s.Bind("ended", now).Bind("id", r.Id).Step();
  t.Commit();
  r.Ended = now;
  r.EndedBy = "interrupted";
  return r;
}

}  // namespace history
