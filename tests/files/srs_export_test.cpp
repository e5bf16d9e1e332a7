#include "files/srs_export.h"

#include <gtest/gtest.h>

#include "files/run_folder_fixture.h"
#include "support/test_platform.h"

namespace {

using testing_support::ReadFile;
using ui::MenuId;

class SrsExportTest : public testing_support::RunFolderTest {};

// One column of frequencies, then three per input: the reference and every active channel.
TEST_F(SrsExportTest, EveryActiveChannelGetsItsThreeColumns) {
  for (auto [item, channels] :
       {std::pair{MenuId::mnuSystemActiveChannels4, 4}, {MenuId::mnuSystemActiveChannels16, 16}}) {
    h.Click(item);
    h.plat.Files.push_back("KRXSrsC.001");
    h.Click(MenuId::mnuFileExportSRS);
    const auto& d = h.plat.Dialogs.back();
    EXPECT_TRUE(d.Save);
    EXPECT_EQ(d.Title, "KRX-8 Export SRS");
    EXPECT_EQ(d.FileName, "KRXSrsC.*");
    const std::string text = ReadFile("KRXSrsC.001");
    const std::string header = text.substr(0, text.find("\r\n"));
    EXPECT_EQ(std::count(header.begin(), header.end(), ','), 3 + 3 * channels) << header;
    EXPECT_NE(header.find("\"Ch#" + std::to_string(channels) + " Residual G\""), std::string::npos);
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 1 + 72);
  }
}

TEST_F(SrsExportTest, ACancelledDialogWritesNothing) {
  h.Click(MenuId::mnuFileExportSRS);
  EXPECT_TRUE(std::filesystem::is_empty(std::filesystem::current_path()));
}

}  // namespace
