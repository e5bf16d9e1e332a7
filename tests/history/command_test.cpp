#include "history/command.h"

#include <gtest/gtest.h>

#include <sstream>

#include "app/options.h"
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
    pulse = db.AddPulse(run, rec);
  }

  auto runs = Query({path, std::nullopt, std::nullopt});
  ASSERT_EQ(runs.Code, 0) << runs.Err;
  EXPECT_TRUE(FirstLine(runs.Out).starts_with(
      "\"Run\",\"Started\",\"Ended\",\"Profile\",\"Kind\",\"Pulses\",\"Ended by\","));
  EXPECT_NE(runs.Out.find("\"KRXFileC.'1'\",\"Start\",1,"), std::string::npos) << runs.Out;

  auto pulses = Query({path, 1, std::nullopt});
  ASSERT_EQ(pulses.Code, 0) << pulses.Err;
  EXPECT_TRUE(FirstLine(pulses.Out)
                  .starts_with("\"Pulse\",\"Time\",\"Kind\",\"Level G\",\"Drive counts\",\"Control "
                               "peak G\",\"Verdict\","));
  EXPECT_NE(pulses.Out.find("\n1,\"\",\"full level\",20,0,0,\"\",0,"), std::string::npos)
      << pulses.Out;

  auto samples = Query({path, std::nullopt, pulse});
  ASSERT_EQ(samples.Code, 0) << samples.Err;
  std::istringstream lines(samples.Out);
  std::string header, first, second;
  std::getline(lines, header);
  std::getline(lines, first);
  std::getline(lines, second);
  EXPECT_EQ(header.substr(0, 31), "\"Time ms\",\"Channel 1 G\",\"Channe");
  EXPECT_TRUE(header.ends_with(",\"Channel 16 G\",\"Drive\""));
  EXPECT_EQ(first, "0,1,0,0,0,,,,,,,,,,,,,10");
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
