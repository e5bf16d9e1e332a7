#include "app/remote.h"

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <stdexcept>

#include "app/keys.h"
#include "app/lockout.h"
#include "app/startup.h"
#include "common/number_text.h"
#include "common/rounding.h"
#include "common/run_error.h"
#include "common/text_file.h"
#include "daq/control_file.h"
#include "daq/digital.h"
#include "sequencer/sequencer.h"

#ifdef _WIN32
#include <fstream>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace app {

using namespace daq;  // the control file and the remote lines

namespace row = profile::row;
using ui::MenuId;

namespace {

// Step one of a poll: take the other program's record into the run state and consume it
// by writing the program's own record over it. `written` is the text left behind.
bool ReadAndConsume(Program& p, std::string& written) {
  const std::string& path = ControlFilePath(p);
  std::string text;
  ControlRecord r;
  if (!ReadControlFile(path, text) || !ParseControlRecord(text, r)) return false;
  p.run.RemoteCommand = r.Command;
  // A key acts once: a record without one carries no key, not the last one read.
  p.run.RemoteKey = r.HasKey ? r.Key : std::string();
  if (r.HasLevel) p.run.RemoteLevelG = r.LevelG;
  written = ControlRecordText(p.run.RemoteLevelOverride, p.run.RemoteLevelG);
  return WriteControlFile(path, written);
}

// The last step: rewrite the program's own record so that it carries this poll's
// override flag. A record the other program wrote meanwhile is left for the next poll
// rather than overwritten unseen.
void RewriteOverride(Program& p, const std::string& ownRecord) {
  const std::string& path = ControlFilePath(p);
  std::string text;
  ControlRecord r;
  if (!ReadControlFile(path, text) || text != ownRecord || !ParseControlRecord(text, r)) return;
  p.run.RemoteCommand = r.Command;
  p.run.RemoteKey = r.Key;
  p.run.RemoteLevelG = r.LevelG;
  WriteControlFile(path, ControlRecordText(p.run.RemoteLevelOverride, p.run.RemoteLevelG));
}

bool UsableLevel(float g) {
  return g > 0 && g <= kMaxRemoteLevelG;  // false for NaN too
}

}  // namespace

void RunRemoteInputs(Program& p, int16_t word) {
  p.run.RemoteInputWord = word;
  // During a procedure only the Abort line acts.
  const bool commands = !LockedOut(p);
  if (commands && (word & kEqualizeLine) == 0) sequencer::EqualizeCommand(p);
  if ((word & kAbortLine) == 0) control::StopTest(p, run::AbortedBy(run::Source::RemoteInput));
  if (commands && (word & kStartLine) == 0) sequencer::StartCommand(p);
  if (commands && (word & kPreTestLine) == 0) sequencer::PreTestCommand(p);
}

void PollRemoteInputs(Program& p) {
  if (p.daq.DemoMode == 1.0f || p.Row(row::InterfaceType) != 1) return;
  int16_t lines;
  try {
    lines = daq::ReadRemoteInputs(p);
  } catch (const common::RunError& e) {
    // A board that cannot be read would put up a box at every poll and leave the operator
    // no time to reach the menu: the polling goes off, the operator may switch it on again.
    p.Row(row::RemoteInputs) = 0;
    p.win.Check(ui::MenuId::mnuInputsRemote, false);
    p.platform.MessageBox(e.Description(), ui::Buttons::OK, ui::Icon::Exclamation, "Error!");
    return;
  }
  RunRemoteInputs(p, lines);
}

void PollControlFile(Program& p) {
  std::string written;
  if (!ReadAndConsume(p, written)) return;
  // A command no 16-bit integer holds is consumed and does nothing.
  const float command = p.run.RemoteCommand;
  if (!(command > -32768.5f && command < 32767.5f)) return;
  const int c = common::ToInt32(command);
  // During a procedure only Abort acts, and the level stays the procedure's.
  const bool locked = LockedOut(p);
  switch (locked && (c & 7) != 2 ? 0 : c & 7) {
    case 1:
      sequencer::EqualizeCommand(p);
      break;
    case 2:
      control::StopTest(p, run::AbortedBy(run::Source::ControlFile));
      break;
    case 3:
      sequencer::StartCommand(p);
      break;
    case 4:
      sequencer::PreTestCommand(p);
      break;
    default:
      break;
  }
  // The override takes only a level the operator could have entered.
  p.run.RemoteLevelOverride =
      (!locked && (c & kOverrideBit) == kOverrideBit && UsableLevel(p.run.RemoteLevelG)) ? 1.0f
                                                                                         : 0.0f;
  if (!p.run.RemoteKey.empty()) HandleKey(p, static_cast<unsigned char>(p.run.RemoteKey[0]));
  RewriteOverride(p, written);
}

void ToggleRemoteInputs(Program& p) {
  bool on = !p.win.Checked(MenuId::mnuInputsRemote);
  p.win.Check(MenuId::mnuInputsRemote, on);
  p.Row(row::RemoteInputs) = on ? 1.0f : 0.0f;
}

void ToggleControlFile(Program& p) {
  bool on = !p.win.Checked(MenuId::mnuInputsDllControl);
  p.win.Check(MenuId::mnuInputsDllControl, on);
  p.Row(row::SoftwareRemote) = on ? 1.0f : 0.0f;
}

}  // namespace app
