#include "history/store.h"

#include <gtest/gtest.h>
#include <sqlite3.h>

#include "support/temp_dir.h"

using history::Store;
using history::StoreError;
using testing_support::ReadFile;
using testing_support::TempDir;

namespace {

void Sql(const std::string& path, const char* sql) {
  sqlite3* db = nullptr;
  ASSERT_EQ(sqlite3_open(path.c_str(), &db), SQLITE_OK);
  ASSERT_EQ(sqlite3_exec(db, sql, nullptr, nullptr, nullptr), SQLITE_OK) << sqlite3_errmsg(db);
  sqlite3_close(db);
}

history::PulseRecord Record(int channels) {
  history::PulseRecord r;
  r.Time = "2026-01-02T03:04:05.006Z";
  r.Kind = "full level";
  r.Index = 3;
  r.TestLevelG = 15;
  r.Channels = channels;
  r.AdcZero = -3;
  for (int c = 1; c <= 16; ++c) r.Scale[c] = 100.0f + c;
  for (int i = 0; i < channels * history::kRecordScans; ++i)
    r.Counts.push_back(static_cast<int16_t>(i * 7 - 32768));
  for (int i = 0; i < history::kRecordScans; ++i)
    r.DriveCodes[i] = static_cast<int16_t>(1 + i % 255);
  return r;
}

}  // namespace

TEST(HistoryStore, SchemaIsVersionedNewerIsRefusedUntouchedOlderIsUpgraded) {
  TempDir dir;
  {
    Store s(dir / "new.sqlite");
    EXPECT_EQ(history::SchemaVersionOf(dir / "new.sqlite"), history::kSchemaVersion);
  }

  const std::string newer = dir / "newer.sqlite";
  Sql(newer,
      "CREATE TABLE schema_version(version INTEGER); INSERT INTO schema_version VALUES(99);");
  const std::string before = ReadFile(newer);
  try {
    Store s(newer);
    ADD_FAILURE() << "a newer schema was opened";
  } catch (const StoreError& e) {
    EXPECT_NE(std::string(e.what()).find("schema version 99"), std::string::npos) << e.what();
  }
  EXPECT_EQ(ReadFile(newer), before);
  EXPECT_FALSE(std::filesystem::exists(newer + "-wal"));

  // A file of version 1 (no procedure columns) keeps its runs and gains the columns.
  const std::string older = dir / "older.sqlite";
  Sql(older,
      "CREATE TABLE schema_version(version INTEGER NOT NULL); INSERT INTO schema_version VALUES(1);"
      "CREATE TABLE runs(id INTEGER PRIMARY KEY, started TEXT NOT NULL, ended TEXT, kind TEXT NOT "
      "NULL, folder TEXT NOT NULL, profile_file TEXT NOT NULL, profile TEXT NOT NULL, control_mode "
      "TEXT NOT NULL, board TEXT NOT NULL, ended_by TEXT);"
      "CREATE TABLE pulses(id INTEGER PRIMARY KEY, run_id INTEGER);"
      "INSERT INTO runs VALUES(1,'2025-01-01T00:00:00Z','2025-01-01T00:01:00Z','Start','/lab',"
      "'KRXFileC.001','','Auto','board','completed');");
  Store s(older);
  EXPECT_EQ(history::SchemaVersionOf(older), history::kSchemaVersion);
  auto runs = s.Runs();
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_EQ(runs[0].ProfileFile, "KRXFileC.001");
  EXPECT_EQ(runs[0].Procedure, "");

  // Version 2 (no waveform error): read as it is, its pulses as not shaped; recording
  // upgrades it and keeps them so.
  const std::string two = dir / "two.sqlite";
  {
    Store w(two);
    w.AddPulse(w.BeginRun({}), Record(1));
  }
  Sql(two,
      "ALTER TABLE pulses DROP COLUMN waveform_error_pct; UPDATE schema_version SET version=2;");
  {
    Store r(two, history::Access::Read);
    EXPECT_EQ(r.Version(), 2);
    ASSERT_TRUE(r.Pulse(1));
    EXPECT_FALSE(r.Pulse(1)->WaveformErrorPct);
    EXPECT_FALSE(r.Pulses(1).at(0).WaveformErrorPct);
  }
  EXPECT_EQ(history::SchemaVersionOf(two), 2);
  Store upgraded(two);
  EXPECT_EQ(history::SchemaVersionOf(two), history::kSchemaVersion);
  EXPECT_FALSE(upgraded.Pulse(1)->WaveformErrorPct);

  // Not a history at all: refused, not taken over.
  const std::string other = dir / "other.sqlite";
  Sql(other, "CREATE TABLE t(x);");
  EXPECT_THROW(Store{other}, StoreError);
}

TEST(HistoryStore, PulseRoundTripKeepsTheRawRecordAndLeavesUnjudgedColumnsEmpty) {
  TempDir dir;
  Store s(dir / "h.sqlite");
  history::RunStart run;
  run.Kind = "Start";
  run.Procedure = "Qualification";
  run.Step = "Z axis";
  const int64_t id = s.BeginRun(run);

  const auto rec = Record(16);
  const int64_t plain = s.AddPulse(id, rec);
  auto back = s.Pulse(plain);
  ASSERT_TRUE(back);
  EXPECT_EQ(back->Counts, rec.Counts);
  EXPECT_EQ(back->Scale, rec.Scale);
  EXPECT_EQ(back->DriveCodes, rec.DriveCodes);
  EXPECT_EQ(back->AdcZero, -3);
  EXPECT_FALSE(back->Outcome);
  EXPECT_FALSE(back->WaveformErrorPct);

  history::PulseOutcome o;
  o.PeakA = 15.5f;
  o.TripCode = 5;
  s.SetOutcome(plain, o);
  back = s.Pulse(plain);
  ASSERT_TRUE(back && back->Outcome);
  EXPECT_EQ(back->Outcome->TripCode, 5);
  EXPECT_FALSE(back->Outcome->Accept.Judged);
  EXPECT_EQ(s.Pulses(id)[0].Verdict, "");

  o.Accept = {true, 1.5, -2, 3, 4, 7, "FAIL velocity change"};
  s.SetOutcome(plain, o, 3.25);
  EXPECT_EQ(s.Pulse(plain)->Outcome->Accept.SamplesOutside, 7);
  EXPECT_EQ(s.Pulse(plain)->WaveformErrorPct, 3.25);
  EXPECT_EQ(s.Pulses(id)[0].Verdict, "FAIL velocity change");
  EXPECT_EQ(s.Pulses(id)[0].WaveformErrorPct, 3.25);
  auto shaped = Record(1);
  shaped.WaveformErrorPct = 0.5;
  EXPECT_EQ(s.Pulse(s.AddPulse(id, shaped))->WaveformErrorPct, 0.5);

  EXPECT_EQ(s.Pulse(s.AddPulse(id, Record(4)))->Counts.size(), 4u * history::kRecordScans);
  auto wrong = Record(8);
  wrong.Counts.pop_back();
  EXPECT_THROW(s.AddPulse(id, wrong), StoreError);
  EXPECT_FALSE(s.Pulse(999));

  const auto row = s.Run(id);
  ASSERT_TRUE(row);
  EXPECT_EQ(row->Pulses, 3);
  EXPECT_EQ(row->Step, "Z axis");
}

TEST(HistoryStore, TwoProgramsOnOneFileBothKeepTheirRows) {
  TempDir dir;
  Store a(dir / "h.sqlite"), b(dir / "h.sqlite");
  for (int i = 0; i < 5; ++i) {
    a.AddPulse(a.BeginRun({}), Record(1));
    b.AddPulse(b.BeginRun({}), Record(2));
  }
  EXPECT_EQ(a.Runs().size(), 10u);
  EXPECT_EQ(b.Pulse(10)->Channels, 2);
}
