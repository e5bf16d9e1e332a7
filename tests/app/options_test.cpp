#include "app/options.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

namespace {

app::Options Parse(std::vector<const char*> args) {
  args.insert(args.begin(), "krx8");
  return app::ParseOptions(static_cast<int>(args.size()), args.data());
}

}  // namespace

TEST(Options, ReadsSwitchesAndValuesInBothForms) {
  auto o = Parse({"--no-splash", "--startup-time"});
  EXPECT_EQ(o.Action, app::OptionAction::Run);
  EXPECT_TRUE(o.NoSplash);
  EXPECT_TRUE(o.StartupTime);

  o = Parse({"--srs", "KRXFileC.001", "--custom=KRXWaveC.002", "--q", "25"});
  EXPECT_EQ(o.Action, app::OptionAction::Srs);
  EXPECT_EQ(o.SrsProfileFile, "KRXFileC.001");
  EXPECT_EQ(o.CustomWaveshapeFile, "KRXWaveC.002");
  EXPECT_EQ(o.Q, 25.0);
  EXPECT_EQ(Parse({"--srs=a b"}).SrsProfileFile, "a b");
  EXPECT_FALSE(Parse({"--srs", "p"}).Q);  // the profile's

  o = Parse({"--headless", "--procedure", "run.toml"});
  EXPECT_EQ(o.Action, app::OptionAction::Procedure);
  EXPECT_EQ(o.ProcedureFile, "run.toml");
  EXPECT_TRUE(o.Headless);
  EXPECT_FALSE(Parse({"--procedure=run.toml"}).Headless);  // the window runs it
  EXPECT_TRUE(Parse({"--procedure", "run.toml", "--check"}).Check);
  EXPECT_FALSE(Parse({"--procedure", "run.toml"}).Check);

  EXPECT_EQ(Parse({"--no-splash", "--help", "--version"}).Action, app::OptionAction::Help);
  EXPECT_EQ(Parse({"-h"}).Action, app::OptionAction::Help);
  EXPECT_EQ(Parse({"--srs", "p", "--version"}).Action, app::OptionAction::Version);
  EXPECT_EQ(app::ParseOptions(0, nullptr).Action, app::OptionAction::Run);
}

TEST(Options, RefusesAWrongCommandLineWithOneCleanLine) {
  const std::vector<std::vector<const char*>> wrong = {
      {"--nosplash"},
      {"profile.000"},
      {"-platform", "xcb"},
      {"--srs"},
      {"--srs="},
      {"--srs", ""},
      {"--no-splash=yes"},
      {"--srs", "p", "--q", "abc"},
      {"--srs", "p", "--q=nan"},
      {"--srs", "p", "--q", "1e999"},
      {"--q", "5"},
      {"--custom", "w"},
      {"--headless"},
      {"--check"},
      {"--check", "--headless", "--procedure", "a.toml"},
      {"--procedure", "a.toml", "--srs", "p"},
      {"--\x1b]0;owned\x07\n\r--"
       "xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx"}};
  for (const auto& args : wrong) {
    const auto o = Parse(args);
    SCOPED_TRACE(args[0]);
    EXPECT_EQ(o.Action, app::OptionAction::Error);
    EXPECT_EQ(o.Error.rfind("krx8: ", 0), 0u);
    EXPECT_LT(o.Error.size(), 160u);
    for (char c : o.Error) EXPECT_GE(static_cast<unsigned char>(c), 0x20);
  }
}

TEST(Options, HelpAndManualPageDescribeEveryOptionAndVariable) {
  const std::string help = app::HelpText(), man = app::ManPage();
  for (std::string name : {"--no-splash", "--startup-time", "--srs", "--custom", "--q",
                           "--procedure", "--headless", "--help", "--version", "KRX8_DAQX_LIBRARY",
                           "KRX8_PRINT_PDF", "KRX8_CONTROL_FILE", "~/.local/share/krx8"}) {
    EXPECT_NE(help.find(name), std::string::npos) << name;
    std::string roff;
    for (char c : name) roff += c == '-' ? std::string("\\-") : std::string(1, c);
    EXPECT_NE(man.find(roff), std::string::npos) << name;
  }
  std::istringstream lines(help);
  for (std::string line; std::getline(lines, line);) EXPECT_LE(line.size(), 79u) << line;

  // Every line the formatter reads as a request is one of ours.
  std::istringstream roffLines(man);
  for (std::string line; std::getline(roffLines, line);) {
    if (line.empty() || (line[0] != '.' && line[0] != '\'')) continue;
    EXPECT_TRUE(line.rfind(".TH ", 0) == 0 || line.rfind(".SH ", 0) == 0 || line == ".TP" ||
                line == ".nh" || line == ".ad l" || line.rfind(".B ", 0) == 0)
        << line;
  }

  const std::string version = app::VersionText();
  EXPECT_EQ(version.rfind("krx8 ", 0), 0u);
  EXPECT_NE(man.find(version.substr(5, version.size() - 6)), std::string::npos);
}
