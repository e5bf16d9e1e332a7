#include "commands/srs_command.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "app/options.h"
#include "profile/profile_file.h"
#include "profile/recompute.h"
#include "support/temp_dir.h"
#include "support/test_platform.h"

namespace {

using testing_support::TempDir;
using testing_support::WriteFile;

struct SrsCommandTest : ::testing::Test {
  TempDir dir;
  std::ostringstream out, err;

  // The built-in profile, saved as the program saves it, with `edit` applied first.
  std::string Profile(const std::function<void(Program&)>& edit = {}) {
    testing_support::Harness h;
    profile::SetProfileDefaults(h.prog);
    if (edit) edit(h.prog);
    WriteFile(dir / "KRXFileC.000", profile::ProfileText(h.prog.profile.Record));
    return dir / "KRXFileC.000";
  }

  int Run(std::vector<const char*> args) {
    args.insert(args.begin(), "krx8");
    // As the program does: the one option parser, then the headless command.
    const app::Options o = app::ParseOptions(static_cast<int>(args.size()), args.data());
    if (o.Action == app::OptionAction::Error) {
      err << o.Error << '\n';
      return app::kUsageExitStatus;
    }
    return analysis::RunSrsCommand(o.SrsProfileFile, o.CustomWaveshapeFile, o.Q, out, err);
  }

  std::vector<std::string> Lines() const {
    std::vector<std::string> lines;
    std::istringstream s(out.str());
    for (std::string l; std::getline(s, l);) lines.push_back(l);
    return lines;
  }

  // One line on standard error, nothing on standard output.
  void ExpectOneErrorLine() const {
    EXPECT_EQ(out.str(), "");
    const std::string e = err.str();
    ASSERT_FALSE(e.empty());
    EXPECT_EQ(e.find('\n'), e.size() - 1) << e;
  }
};

TEST_F(SrsCommandTest, DefaultProfilePrintsTheReferenceSpectra) {
  ASSERT_EQ(Run({"--srs", Profile().c_str()}), 0) << err.str();
  EXPECT_EQ(err.str(), "");
  const auto lines = Lines();
  ASSERT_EQ(lines.size(), 1u + 72u);  // 10 Hz to 640 Hz at 5.12 kHz
  EXPECT_EQ(lines[0],
            "\"Frequency Hz (Q = 10)\",\"Reference Maximax G\",\"Reference Primary G\","
            "\"Reference Residual G\"\r");
  // fn, maximax, primary, residual; 1000 / 2^(79/12) Hz first, CR LF ends.
  EXPECT_EQ(lines[1].rfind("10.42844,", 0), 0u) << lines[1];
  double f, maximax, primary, residual;
  ASSERT_EQ(std::sscanf(lines.back().c_str(), "%lf,%lf,%lf,%lf", &f, &maximax, &primary, &residual),
            4);
  // A 15 G half-sine of 10 ms seen at 630 Hz: near its peak, largest during the pulse.
  EXPECT_NEAR(maximax, 15 * 1.1, 15 * 0.1);
  EXPECT_EQ(maximax, primary);
  EXPECT_LT(residual, primary);
}

TEST_F(SrsCommandTest, CustomShapeAndQualityFactorApply) {
  const std::string profile = Profile();
  std::string zeros;
  for (int i = 0; i < 1024; ++i) zeros += "0\r\n";
  WriteFile(dir / "KRXWaveC.001", zeros);
  ASSERT_EQ(
      Run({"--srs", profile.c_str(), "--custom", (dir / "KRXWaveC.001").c_str(), "--q", "25"}), 0)
      << err.str();
  const auto lines = Lines();
  ASSERT_EQ(lines.size(), 73u);
  EXPECT_EQ(lines[0].rfind("\"Frequency Hz (Q = 25)\"", 0), 0u);
  for (size_t i = 1; i < lines.size(); ++i)  // a custom shape of zeros has no spectrum
    EXPECT_NE(lines[i].find(",0,0,0\r"), std::string::npos) << lines[i];
}

TEST_F(SrsCommandTest, ProfileQualityFactorIsUsedUnlessGiven) {
  const std::string profile = Profile([](Program& p) { p.Row(profile::row::SrsQuality) = 20; });
  ASSERT_EQ(Run({"--srs", profile.c_str()}), 0);
  EXPECT_EQ(Lines()[0].rfind("\"Frequency Hz (Q = 20)\"", 0), 0u);
}

TEST_F(SrsCommandTest, BadInputGivesOneLineAndExitTwo) {
  const std::string good = Profile();
  WriteFile(dir / "bad", "1,2,3,x,5\r\n");
  WriteFile(dir / "short", "1,2,3\r\n");
  const std::string missing = dir / "missing", bad = dir / "bad", shortShape = dir / "short";
  const std::vector<std::vector<const char*>> cases = {
      {"--srs", missing.c_str()},
      {"--srs", bad.c_str()},
      // No complete row: not the built-in default's spectrum.
      {"--srs", "/dev/null"},
      {"--srs", shortShape.c_str()},
      {"--srs", good.c_str(), "--custom", shortShape.c_str()},
      {"--srs", good.c_str(), "--q", "1"},
      {"--srs", good.c_str(), "--q", "fifty"},
      {"--srs"},
      {"--srs", good.c_str(), "--speed", "3"},
  };
  for (const auto& args : cases) {
    out.str("");
    err.str("");
    EXPECT_EQ(Run(args), 2) << args.size();
    ExpectOneErrorLine();
  }
  out.str("");
  err.str("");
  Run({"--srs", missing.c_str()});
  EXPECT_NE(err.str().find("53"), std::string::npos) << err.str();  // file not found
}

}  // namespace
