#include "daq/remote_abort.h"

#include "common/rounding.h"
#include "daq/control_file.h"
#include "daq/digital.h"
#include "program/record.h"

namespace daq {

void PollAbortWhileBusy(Program& p) {
  if (p.Row(profile::row::RemoteInputs) == 1 && p.daq.DemoMode != 1.0f &&
      p.Row(profile::row::InterfaceType) == 1) {
    int16_t word = daq::kRemoteInputsIdle;
    if (daq::PeekRemoteInputs(p, word) && (word & kAbortLine) == 0)
      run::RequestAbort(p.run, run::Source::RemoteInput);
  }
  if (p.Row(profile::row::SoftwareRemote) == 1) {
    std::string text;
    ControlRecord r;
    if (!ReadControlFile(ControlFilePath(p), text) || !ParseControlRecord(text, r)) return;
    const float c = r.Command;
    bool abort = c > -32768.5f && c < 32767.5f && (common::ToInt32(c) & 7) == 2;
    if (r.HasKey && !r.Key.empty() && (r.Key[0] == 'A' || r.Key[0] == 'a')) abort = true;
    if (abort) run::RequestAbort(p.run, run::Source::ControlFile);
  }
}

}  // namespace daq
