#include "app/work_folder.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/temp_dir.h"

using testing_support::InDirectory;
using testing_support::ReadFile;
using testing_support::TempDir;
using testing_support::WriteFile;

TEST(WorkFolder, ChoosesTheDataFolderUnlessStartedBesideAProfile) {
  TempDir here;
  EXPECT_EQ(app::ChooseWorkFolder(here.Path().string(), "/x/data", "/home/u"), "/x/data/krx8");
  EXPECT_EQ(app::ChooseWorkFolder(here.Path().string(), nullptr, "/home/u"),
            "/home/u/.local/share/krx8");
  // A relative or empty variable is ignored.
  EXPECT_EQ(app::ChooseWorkFolder(here.Path().string(), "data", "/home/u"),
            "/home/u/.local/share/krx8");
  EXPECT_EQ(app::ChooseWorkFolder(here.Path().string(), "", nullptr), "");
  WriteFile(here / "KRXFileC.000", "x");
  EXPECT_EQ(app::ChooseWorkFolder(here.Path().string(), "/x/data", "/home/u"), "");

  EXPECT_EQ(app::SampleFolderFor("/usr/bin/krx8"), "/usr/share/krx8");
}

TEST(WorkFolder, SeedsOnlyMissingFilesAndWorksThere) {
  TempDir t;
  std::filesystem::create_directories(t.Path() / "samples");
  WriteFile(t / "samples/KRXFileC.000", "profile");
  WriteFile(t / "samples/KRX8Cal.Dat", "sample factors");
  const std::string folder = t / "data/krx8";
  std::filesystem::create_directories(folder);
  WriteFile(folder + "/KRX8Cal.Dat", "the user's own factors");

  InDirectory stay(t.Path());
  std::string why;
  ASSERT_TRUE(app::EnterWorkFolder(folder, t / "samples", why)) << why;
  EXPECT_TRUE(std::filesystem::equivalent(std::filesystem::current_path(), folder));
  EXPECT_EQ(ReadFile("KRXFileC.000"), "profile");
  EXPECT_EQ(ReadFile("KRX8Cal.Dat"), "the user's own factors");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator("."), {}), 2);

  // Without sample files (a program run from its build folder) the folder is only made.
  ASSERT_TRUE(app::EnterWorkFolder(t / "bare/krx8", "", why)) << why;
  EXPECT_TRUE(std::filesystem::is_empty(t / "bare/krx8"));
}

TEST(WorkFolder, AFolderThatCannotBeMadeLeavesTheCurrentFolder) {
  TempDir t;
  WriteFile(t / "data", "a file in the way");
  InDirectory stay(t.Path());
  std::string why;
  EXPECT_FALSE(app::EnterWorkFolder(t / "data/krx8", t / "samples", why));
  EXPECT_FALSE(why.empty());
  EXPECT_TRUE(std::filesystem::equivalent(std::filesystem::current_path(), t.Path()));
}
