// The history's writer thread on its own: the order, the bounded queue, the first failure,
// Flush and the end.
#include "history/writer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <stdexcept>
#include <thread>

#include "support/temp_dir.h"

using history::Job;
using history::Writer;

namespace {

void Post(Writer& w, const std::string& text) {
  auto job = w.Next();
  job->What = Job::Event;
  job->Text1 = text;
}

// Waits for `done`, at most 10 s.
template <typename F>
bool Within(F done) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::yield();
  }
  return true;
}

}  // namespace

// A committer held on the first job: the queue fills, the next hand-over waits (nothing is
// dropped), and Flush and the end commit everything in order; a slot left by an exception
// writes nothing and does not stay taken.
TEST(HistoryWriter, AFullQueueMakesTheCallerWaitAndEverythingIsCommittedInOrder) {
  std::promise<void> open;
  std::shared_future<void> gate = open.get_future().share();
  std::vector<std::string> seen;  // on the writer's thread; read after Flush or the end
  auto commit = [&](const Job& j) {
    if (j.What == Job::None) return;
    if (j.Text1 == "0") gate.wait();
    seen.push_back(j.Text1);
  };
  constexpr int kJobs = static_cast<int>(Writer::kSlots) + 2;
  std::vector<std::string> order;
  for (int i = 0; i < kJobs; ++i) order.push_back(std::to_string(i));
  {
    Writer w(commit);
    std::atomic<int> posted{0};
    std::thread producer([&] {
      for (const auto& t : order) {
        Post(w, t);
        ++posted;
      }
    });
    // The held job counts as queued until committed: kSlots go in, the next one waits.
    ASSERT_TRUE(Within([&] { return posted >= static_cast<int>(Writer::kSlots); }));
    std::this_thread::sleep_for(std::chrono::milliseconds(50));  // room to go wrong
    EXPECT_EQ(posted, static_cast<int>(Writer::kSlots));
    open.set_value();
    producer.join();
    w.Flush();
    EXPECT_EQ(seen, order);
    EXPECT_FALSE(w.Failure());

    try {
      auto job = w.Next();
      job->What = Job::Event;
      job->Text1 = "half";
      throw std::runtime_error("while filling");
    } catch (const std::runtime_error&) {
    }
    { auto unfilled = w.Next(); }  // an early return: posted, commits nothing
    // Queued at the end: the destructor commits them.
    for (int i = 0; i < kJobs; ++i) Post(w, "end " + std::to_string(i));
  }
  ASSERT_EQ(seen.size(), 2u * kJobs);
  EXPECT_EQ(seen[kJobs], "end 0");
  EXPECT_EQ(seen.back(), "end " + std::to_string(kJobs - 1));
}

// Into a real store: runs, pulses, outcomes and events land in order; the first failure is
// reported and every job after it dropped.
TEST(HistoryWriter, TheFirstFailureIsReportedAndLaterJobsDropped) {
  testing_support::TempDir dir;
  const std::string path = dir / "h.sqlite";
  history::PulseRecord rec;
  rec.Channels = 1;
  rec.Counts.assign(history::kRecordScans, 3);
  {
    Writer w(std::make_unique<history::Store>(path));
    w.Next()->What = Job::BeginRun;
    for (int i = 1; i <= 3; ++i) {
      auto job = w.Next();
      job->What = Job::Pulse;
      job->Record = rec;
      job->Record.Index = i;
    }
    {
      auto job = w.Next();
      job->What = Job::Outcome;
      job->Result.PeakA = 7;
      job->ErrorPct = 1.5;
    }
    Post(w, "message");
    w.Flush();
    EXPECT_FALSE(w.Failure());
    {
      auto bad = w.Next();
      bad->What = Job::Pulse;
      bad->Record = rec;
      bad->Record.Counts.pop_back();  // the wrong size: the store refuses it
    }
    Post(w, "dropped");
    w.Next()->What = Job::EndRun;
    w.Flush();
    ASSERT_TRUE(w.Failure());
    EXPECT_EQ(*w.Failure(), "a pulse record of the wrong size");
  }
  history::Store db(path);
  const auto runs = db.Runs();
  ASSERT_EQ(runs.size(), 1u);
  EXPECT_TRUE(runs[0].Ended.empty());
  const auto pulses = db.Pulses(runs[0].Id);
  ASSERT_EQ(pulses.size(), 3u);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(pulses[i].Index, i + 1);
  EXPECT_FALSE(pulses[1].WaveformErrorPct);
  EXPECT_EQ(pulses[2].WaveformErrorPct, 1.5);
  EXPECT_EQ(db.Pulse(pulses[2].Id)->Outcome->PeakA, 7);
  const auto events = db.Events(runs[0].Id);
  ASSERT_EQ(events.size(), 1u);
  EXPECT_EQ(events[0].Kind, "message");
}
