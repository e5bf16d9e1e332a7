// Every way a run ends, told alike by the history, the report and the exit status, without
// a window and in the window, on the simulated board.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <thread>

#include "history/history.h"
#include "history/store.h"
#include "commands/headless.h"
#include "procedure/report.h"
#include "procedure/runner.h"
#include "profile/profile_file.h"
#include "profile/recompute.h"
#include "support/daqsim_fixture.h"
#include "ui/headless_platform.h"

#ifdef KRX8_DAQSIM_PATH

using testing_support::WriteFile;
namespace row = profile::row;

namespace {

struct Case {
  const char* Name;
  std::initializer_list<std::pair<int, float>> Rows;  // the step's profile, over the defaults
  const char* Step;                                   // keys of the one step
  const char* Fail;                                   // DAQSIM_FAIL, or null
  bool Signal;                                        // SIGINT in the middle of the run
  int Exit;
  const char* History;  // the run's end reason starts so
  const char* Ending;   // "How it ended: " starts so
};
void PrintTo(const Case& c, std::ostream* os) {
  *os << c.Name;
}

const Case kCases[] = {
    {"completed", {}, "pulses = 2\nperiod = 0.1\n", nullptr, false, 0, "completed", "COMPLETED"},
    {"acceptance FAIL that stops",
     {{row::AcceptOn, 1}, {row::TolPeakPct, 0.1f}},
     "pulses = 3\nperiod = 0.1\nstop_on_fail = true\n",
     nullptr,
     false,
     1,
     "acceptance FAIL: PEAK",
     "FAILED - acceptance FAIL - PEAK"},
    {"acceptance FAIL that goes on",
     {{row::AcceptOn, 1}, {row::TolPeakPct, 0.1f}},
     "pulses = 2\nperiod = 0.1\nstop_on_fail = false\n",
     nullptr,
     false,
     1,
     "completed",
     "COMPLETED"},
    {"board error",
     {},
     "pulses = 3\nperiod = 0.1\n",
     "daqDacWaveSoftTrig:5@4",
     false,
     1,
     "board error: ",
     "BOARD ERROR - "},
    {"trip",
     {{row::DriveGain, 0.05f}},
     "pulses = 3\nperiod = 0.1\n",
     nullptr,
     false,
     1,
     "trip: ",
     "TRIPPED - "},
    {"aborted",
     {},
     "pulses = 20\nperiod = 0.2\n",
     nullptr,
     true,
     1,
     "aborted by a signal",
     "ABORTED - by a signal"},
};

class StopCause : public testing_support::SimTest, public ::testing::WithParamInterface<Case> {
 protected:
  void SetUp() override {
    SimTest::SetUp();
    setenv("KRX8_DAQX_LIBRARY", KRX8_DAQSIM_PATH, 1);
  }
  void TearDown() override {
    unsetenv("KRX8_DAQX_LIBRARY");
    unsetenv("KRX8_HISTORY");
    SimTest::TearDown();
  }
  void Prepare(const Case& c) {
    ui::HeadlessPlatform pf;
    auto prof = std::make_unique<Program>(pf);
    profile::SetProfileDefaults(*prof);
    prof->Row(row::InterfaceType) = 1;
    // The gain an equalisation finds on the simulated shaker.
    prof->Row(row::DriveGain) *= 2.0f;
    for (const auto& [r, v] : c.Rows) prof->Row(r) = v;
    WriteFile(dir_ / "KRXFileC.000", profile::ProfileText(prof->profile.Record));
    WriteFile(dir_ / "run.toml", std::string("[[step]]\nname = \"S\"\nprofile = \"KRXFileC.000\"\n"
                                             "pretest = false\nequalize = \"never\"\n") +
                                     c.Step);
    if (c.Fail)
      Sim({{"DAQSIM_FAIL", c.Fail}});
    else
      Sim();
  }
  std::string LastRunEnd(const std::string& path) {
    history::Store db(path);
    const auto runs = db.Runs();
    return runs.empty() ? "(no run)" : runs.back().EndedBy;
  }
};

using StopCauseWindow = StopCause;

std::string HowItEnded(const std::string& texts) {
  std::istringstream in(texts);
  for (std::string line; std::getline(in, line);)
    if (line.rfind("How it ended: ", 0) == 0) return line.substr(14);
  return "(none)";
}

TEST_P(StopCause, IsToldAlikeByTheHistoryTheReportAndTheExitStatus) {
  {
    const Case& c = GetParam();
    // Without a window.
    Prepare(c);
    const std::string headlessDb = dir_ / (std::string("h-") + c.Name + ".sqlite");
    setenv("KRX8_HISTORY", headlessDb.c_str(), 1);
    std::string texts;
    procedure::HeadlessSetup setup;
    setup.File = dir_ / "run.toml";
    setup.Pdf = [&texts](const std::string&) -> std::unique_ptr<ui::Printer> {
      struct Texts : testing_support::RecordingPrinter {
        std::string& out;
        explicit Texts(std::string& o) : out(o) {}
        void Text(double, double, const std::string& t, int) override { out += t + "\n"; }
      };
      return std::make_unique<Texts>(texts);
    };
    volatile std::sig_atomic_t signalled = 0;
    setup.Stop = &signalled;
    std::thread signaller;
    if (c.Signal)
      signaller = std::thread([&signalled] {
        std::this_thread::sleep_for(std::chrono::milliseconds(700));
        signalled = 1;
      });
    std::ostringstream err;
    EXPECT_EQ(procedure::RunHeadless(setup, err), c.Exit) << err.str();
    if (signaller.joinable()) signaller.join();
    const std::string headlessEnd = LastRunEnd(headlessDb);
    EXPECT_EQ(headlessEnd.rfind(c.History, 0), 0u) << headlessEnd;
    const std::string headlessHow = HowItEnded(texts);
    EXPECT_EQ(headlessHow.rfind(c.Ending, 0), 0u) << headlessHow;
    // What the history adds to the kind is what the report says of it.
    const std::string detail = headlessEnd.substr(headlessEnd.find(':') + 1);
    if (headlessEnd.find(':') != std::string::npos) {
      EXPECT_NE(headlessHow.find(detail.substr(1, 12)), std::string::npos) << headlessHow;
    }
    unsetenv("KRX8_HISTORY");

    // In the window, in virtual time.
    Prepare(c);
    history::Attach(p, dir_ / (std::string("w-") + c.Name + ".sqlite"));
    StartWith(1);
    ASSERT_TRUE(procedure::BeginFile(p, dir_ / "run.toml")) << FirstBox("KRX-8 Procedure");
    h.Send(app::Event::Of(app::EventKind::Procedure));
    if (c.Signal)
      h.AtDo(h.plat.NowMs + 700, [this] { h.Send(app::Event::Of(app::EventKind::Signal)); });
    while (!procedure::Finished(p) && h.plat.NowMs < 120000) h.Advance(50);
    ASSERT_TRUE(procedure::Finished(p));
    history::Flush(p);
    EXPECT_EQ(procedure::ExitStatus(p), c.Exit);
    EXPECT_EQ(LastRunEnd(p.history.Path), headlessEnd);
    std::string windowHow;
    for (const auto& l : procedure::SummaryLines(p))
      if (l.rfind("How it ended: ", 0) == 0) windowHow = l.substr(14);
    EXPECT_EQ(windowHow.substr(0, windowHow.find(" (step")),
              headlessHow.substr(0, headlessHow.find(" (step")));
  }
}
INSTANTIATE_TEST_SUITE_P(EveryEnding, StopCause, ::testing::ValuesIn(kCases), [](const auto& info) {
  std::string n = info.param.Name;
  for (char& ch : n)
    if (!isalnum(static_cast<unsigned char>(ch))) ch = '_';
  return n;
});

// A drive never made from the profile is its own cause: not a board error, and never the
// text of an earlier one.
TEST_F(StopCauseWindow, ANoDriveStopNamesNoOldBoardError) {
  Sim({{"DAQSIM_FAIL", "daqDacWaveSoftTrig:5@2"}});
  history::Attach(p, dir_ / "h.sqlite");
  StartWith(1);
  p.Row(row::DriveGain) *= 2.0f;
  p.control.SystemEqualized = 1;
  h.Press(ui::ButtonId::cmdStart);
  h.Advance(400);
  ASSERT_EQ(p.run.Stop.Kind, run::Stop::BoardError);
  p.wave.DriveSynthesized = false;
  h.Press(ui::ButtonId::cmdStart);
  h.Advance(400);
  EXPECT_EQ(p.run.Stop.Kind, run::Stop::NoDrive);
  EXPECT_EQ(p.run.Stop.Detail, "");
  history::Flush(p);
  EXPECT_EQ(LastRunEnd(p.history.Path), "no drive");
}

}  // namespace

#endif
