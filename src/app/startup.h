#pragma once
// Start-up and shut-down.
#include "program/program.h"

namespace app {

// The splash window: caption and texts, shown for kSplashMs before MainInitialize.
inline constexpr int kSplashMs = 4000;
inline constexpr const char* kSplashTitle = "KRX-4 Start-up";
std::string SplashDealerText(int dealerIndex);

void MainInitialize(Program& p);
void ExitCommand(Program& p);  // File > Exit
void Unload(Program& p);       // the main window closes
void AboutSoftware(Program& p);
void WhatsNew(Program& p);
void HelpFile(Program& p);

inline constexpr const char* kHelpFile = "KRX8VAV.HLP";

}  // namespace app
