#include <gtest/gtest.h>
#include <sched.h>
#include <sqlite3.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <map>
#include <sstream>

#include "app/options.h"
#include "commands/history_command.h"
#include "history/history.h"
#include "support/temp_dir.h"

using testing_support::TempDir;

namespace {

struct Result {
  int Code;
  std::string Out, Err;
};

Result Query(const history::Query& q) {
  std::ostringstream out, err;
  int rc = history::RunHistoryCommand(q, out, err);
  return {rc, out.str(), err.str()};
}

std::string FirstLine(const std::string& s) {
  return s.substr(0, s.find('\n'));
}

app::Options Parse(std::vector<const char*> args) {
  args.insert(args.begin(), "krx8");
  return app::ParseOptions(static_cast<int>(args.size()), args.data());
}

}  // namespace

TEST(HistoryCommand, PrintsRunsPulsesAndSamplesAndRefusesWhatIsMissing) {
  TempDir dir;
  const std::string path = dir / "h.sqlite";
  int64_t pulse = 0;
  {
    history::Store db(path);
    history::RunStart r;
    r.Kind = "Start";
    r.ProfileFile = "KRXFileC.\"1\"";
    const int64_t run = db.BeginRun(r);
    history::PulseRecord rec;
    rec.Kind = "full level";
    rec.Channels = 4;
    rec.AdcZero = 10;
    rec.TestLevelG = 20;
    rec.Scale[1] = 100;  // channels 2..4 have no usable scale and read 0 as on the plot
    rec.Counts.assign(4 * 1024, 110);
    rec.DriveCodes.fill(178);
    rec.DrivePeakCounts = 800;  // 2 V at code 256: code 178 plays 0.78125 V
    pulse = db.AddPulse(run, rec);
    // A shaped pulse judged: its waveform error follows the columns of the older files.
    rec.WaveformErrorPct = 2.5;
    rec.Outcome.emplace().Accept = {true, 1, 2, 3, 4, 5, "PASS"};
    db.AddPulse(run, rec);
  }

  auto runs = Query({path, std::nullopt, std::nullopt});
  ASSERT_EQ(runs.Code, 0) << runs.Err;
  EXPECT_TRUE(FirstLine(runs.Out).starts_with(
      "\"Run\",\"Started UTC\",\"Ended UTC\",\"Profile\",\"Kind\",\"Pulses\",\"Ended by\","));
  EXPECT_NE(runs.Out.find("\"KRXFileC.'1'\",\"Start\",2,"), std::string::npos) << runs.Out;

  auto pulses = Query({path, 1, std::nullopt});
  ASSERT_EQ(pulses.Code, 0) << pulses.Err;
  EXPECT_TRUE(
      FirstLine(pulses.Out)
          .starts_with("\"Pulse\",\"Time UTC\",\"Kind\",\"Level G\",\"Drive counts\",\"Control "
                       "peak G\",\"Verdict\","));
  EXPECT_TRUE(FirstLine(pulses.Out)
                  .ends_with(",\"Worst band %\",\"Samples outside\",\"Waveform error %\""));
  EXPECT_NE(pulses.Out.find("\n1,\"\",\"full level\",20,800,0,\"\",0,1,20,0,,,,,,,,,,,,,\n"),
            std::string::npos)
      << pulses.Out;
  EXPECT_NE(pulses.Out.find("\n2,\"\",\"full level\",20,800,0,\"PASS\",0,1,20,0,0,0,0,0,0,0,0,"
                            "1,2,3,4,5,2.5\n"),
            std::string::npos)
      << pulses.Out;

  auto samples = Query({path, std::nullopt, pulse});
  ASSERT_EQ(samples.Code, 0) << samples.Err;
  std::istringstream lines(samples.Out);
  std::string header, first, second;
  std::getline(lines, header);
  std::getline(lines, first);
  std::getline(lines, second);
  EXPECT_EQ(header.substr(0, 31), "\"Time ms\",\"Channel 1 G\",\"Channe");
  EXPECT_TRUE(header.ends_with(",\"Channel 16 G\",\"Drive G\",\"Drive V\""));
  EXPECT_EQ(first, "0,1,0,0,0,,,,,,,,,,,,,10,0.78125");
  EXPECT_EQ(second.substr(0, 10), "0.78125,1,");
  EXPECT_EQ(std::count(samples.Out.begin(), samples.Out.end(), '\n'), 1025);

  for (const auto& q :
       {history::Query{path, 7, std::nullopt}, history::Query{path, std::nullopt, 7},
        history::Query{dir / "none.sqlite", std::nullopt, std::nullopt}}) {
    auto r = Query(q);
    EXPECT_EQ(r.Code, 2);
    EXPECT_TRUE(r.Out.empty());
    EXPECT_EQ(std::count(r.Err.begin(), r.Err.end(), '\n'), 1) << r.Err;
  }
  EXPECT_FALSE(std::filesystem::exists(dir / "none.sqlite"));
}

TEST(HistoryCommand, OptionsNameOneQueryAndItsFile) {
  auto o = Parse({"--history", "--db", "x.sqlite"});
  EXPECT_EQ(o.Action, app::OptionAction::History);
  EXPECT_FALSE(o.HistoryRun);
  EXPECT_EQ(o.Database, "x.sqlite");
  o = Parse({"--history", "12"});
  EXPECT_EQ(o.HistoryRun, 12);
  o = Parse({"--pulse=5"});
  EXPECT_EQ(o.Action, app::OptionAction::History);
  EXPECT_EQ(o.Pulse, 5);
  for (auto args : {std::vector<const char*>{"--pulse", "0"},
                    {"--pulse"},
                    {"--history", "x1"},
                    {"--db", "f"},
                    {"--history", "--pulse", "3"},
                    {"--srs", "p", "--history"}})
    EXPECT_EQ(Parse(args).Action, app::OptionAction::Error) << args[0];
  EXPECT_NE(app::HelpText().find("--history [RUN_ID]"), std::string::npos);
  EXPECT_NE(app::ManPage().find("KRX8_HISTORY"), std::string::npos);
}

namespace {

// Every file of a folder with its bytes.
std::map<std::string, std::string> Files(const std::filesystem::path& dir) {
  std::map<std::string, std::string> m;
  for (const auto& e : std::filesystem::directory_iterator(dir))
    m[e.path().filename().string()] = testing_support::ReadFile(e.path().string());
  return m;
}

void Sql(const std::string& path, const std::string& sql) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
  sqlite3_close(db);
}

void Record(const std::string& path, int pulses) {
  history::Store db(path);
  const int64_t run = db.BeginRun({});
  history::PulseRecord rec;
  rec.Channels = 1;
  rec.Counts.assign(1024, 5);
  for (int i = 0; i < pulses; ++i) db.AddPulse(run, rec);
}

// The three queries: each exits 0 (with the rows wanted) or 2, and leaves the folder's files
// as they were; the number of pulses of run 1 the query saw.
int QueryAllLeavingFilesAlone(const std::string& path) {
  const auto dir = std::filesystem::path(path).parent_path();
  const auto before = Files(dir);
  auto runs = Query({path, std::nullopt, std::nullopt});
  auto pulses = Query({path, 1, std::nullopt});
  auto samples = Query({path, std::nullopt, 1});
  EXPECT_EQ(runs.Code, 0) << runs.Err;
  EXPECT_EQ(pulses.Code, 0) << pulses.Err;
  EXPECT_EQ(samples.Code, 0) << samples.Err;
  EXPECT_EQ(Files(dir), before) << path;
  return static_cast<int>(std::count(pulses.Out.begin(), pulses.Out.end(), '\n')) - 1;
}

}  // namespace

TEST(HistoryCommand, QueriesNeverWriteOlderSchemasAreReadAsTheyAreBadVersionsRefused) {
  TempDir dir;
  const std::string path = dir / "h.sqlite";
  Record(path, 3);
  EXPECT_EQ(QueryAllLeavingFilesAlone(path), 3);

  // A program killed while recording: its -wal holds the pulses, the folder cannot be
  // written (a read-only mount, or for anyone but root the folder's write bit off).
  const std::string live = dir / "live.sqlite";
  {
    history::Store db(live);
    Record(live, 2);
    const auto archive = dir.Path() / "archive";
    std::filesystem::create_directory(archive);
    for (const char* tail : {"", "-wal", "-shm"})
      std::filesystem::copy_file(live + tail, archive / ("h.sqlite" + std::string(tail)));
  }
  const std::string archived = dir / "archive/h.sqlite";
  const pid_t child = ::fork();
  if (child == 0) {
    const std::string folder = dir / "archive";
    bool ro = false;
    if (::geteuid() != 0)
      ro = ::chmod(folder.c_str(), 0555) == 0;
    else
      ro =
          ::unshare(CLONE_NEWNS) == 0 &&
          ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0 &&
          ::mount(folder.c_str(), folder.c_str(), nullptr, MS_BIND, nullptr) == 0 &&
          ::mount(nullptr, folder.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) == 0;
    if (!ro) ::_exit(77);
    const bool ok = QueryAllLeavingFilesAlone(archived) == 2 && !::testing::Test::HasFailure();
    ::_exit(ok ? 0 : 1);
  }
  int status = 0;
  ::waitpid(child, &status, 0);
  ::chmod((dir / "archive").c_str(), 0755);
  if (WEXITSTATUS(status) != 77) {
    EXPECT_EQ(WEXITSTATUS(status), 0);
  }

  // Version 1: no procedure columns, read as runs outside a procedure, not upgraded.
  const std::string older = dir / "older.sqlite";
  Record(older, 1);
  Sql(older,
      "UPDATE schema_version SET version=1; CREATE TABLE r AS SELECT * FROM runs;"
      "DROP TABLE runs; ALTER TABLE r RENAME TO runs; ALTER TABLE runs DROP COLUMN procedure;"
      "ALTER TABLE runs DROP COLUMN step;");
  EXPECT_EQ(QueryAllLeavingFilesAlone(older), 1);
  EXPECT_EQ(history::SchemaVersionOf(older), 1);

  // An empty file is an empty history, and stays empty.
  testing_support::WriteFile(dir / "empty.sqlite", "");
  auto empty = Query({dir / "empty.sqlite", std::nullopt, std::nullopt});
  EXPECT_EQ(empty.Code, 0);
  EXPECT_EQ(std::count(empty.Out.begin(), empty.Out.end(), '\n'), 1);
  EXPECT_EQ(testing_support::ReadFile(dir / "empty.sqlite"), "");

  // Versions below 1 or beyond this program's (also past 32 bits) are refused untouched.
  for (const char* v : {"-1", "0", "-9223372036854775808", "4", "4294967297"}) {
    const std::string bad = dir / (std::string("v") + v + ".sqlite");
    Record(bad, 1);
    Sql(bad, std::string("UPDATE schema_version SET version=") + v);
    const std::string bytes = testing_support::ReadFile(bad);
    for (const auto& q :
         {history::Query{bad, std::nullopt, std::nullopt}, history::Query{bad, 1, std::nullopt}}) {
      auto r = Query(q);
      EXPECT_EQ(r.Code, 2) << v;
      EXPECT_EQ(std::count(r.Err.begin(), r.Err.end(), '\n'), 1) << r.Err;
    }
    EXPECT_THROW(history::Store{bad}, history::StoreError) << v;
    EXPECT_EQ(testing_support::ReadFile(bad), bytes) << v;
  }
}
