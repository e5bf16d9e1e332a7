// The history window and the recall of a stored pulse into the main plot.
#include <algorithm>
#include <cstdio>

#include "common/error_box.h"
#include "common/file_name.h"
#include "common/number_text.h"
#include "common/text_file.h"
#include "control/stop.h"
#include "display/plot.h"
#include "history/history.h"
#include "profile/profile_file.h"
#include "profile/recompute.h"

namespace history {

namespace {

constexpr const char* kExportTitle = "Export Pulse";
constexpr const char* kExportFilter = "CSV Files (*.csv)|*.csv|All Files (*.*)|*.*";
constexpr const char* kExportPattern = "*.csv";

void Box(Program& p, const std::string& text) {
  p.platform.MessageBox(text, ui::Buttons::OK, ui::Icon::Exclamation, kTitle);
}

// The database for reading; a failure to open it is its one box.
Store* Reader(Program& p) {
  auto& s = p.history;
  Flush(p);
  if (s.Db) return s.Db.get();
  if (s.Path.empty()) {
    Box(p, "No test history is kept (KRX8_HISTORY is empty).");
    return nullptr;
  }
  if (s.Off) {
    Box(p, "The test history " + s.Path + " is off for this session.");
    return nullptr;
  }
  try {
    s.Db = std::make_unique<Store>(s.Path, Access::Read);  // never writes
  } catch (const StoreError& e) {
    Box(p, "The test history " + s.Path + " cannot be opened: " + e.what() + ".");
  }
  return s.Db.get();
}

std::string Fixed(float v, const char* mask) {
  return common::FormatMask(v, mask);
}

// Date and time as the window shows them: "2026-12-09 11:40:35".
std::string Shown(const std::string& iso) {
  std::string s = iso.substr(0, 19);
  if (s.size() > 10) s[10] = ' ';
  return s;
}

class WindowModel : public ui::HistoryModel {
 public:
  explicit WindowModel(Program& p) : p_(p) {}
  std::vector<ui::HistoryRunRow> Runs(bool withoutPulses) override {
    std::vector<ui::HistoryRunRow> rows;
    Attempt([&](Store& db) {
      for (const auto& r : db.Runs()) {
        if (r.Pulses == 0 && !withoutPulses) continue;
        const std::string procedure = r.Procedure.empty() ? "" : r.Procedure + ": " + r.Step;
        rows.push_back({r.Id, Shown(r.Started), r.ProfileFile, r.Kind, procedure,
                        std::to_string(r.Pulses),
                        r.Ended.empty() ? "(no end recorded)" : r.EndedBy});
      }
    });
    return rows;
  }
  std::vector<ui::HistoryPulseRow> Pulses(int64_t run) override {
    std::vector<ui::HistoryPulseRow> rows;
    Attempt([&](Store& db) {
      for (const auto& r : db.Pulses(run))
        rows.push_back({r.Id, Shown(r.Time).substr(11), r.Kind, Fixed(r.LevelG, "###.##"),
                        Fixed(r.ControlPeakG, "###.##"), r.Verdict});
    });
    return rows;
  }
  void Show(int64_t pulse) override { ShowPulse(p_, pulse); }
  void Export(int64_t pulse) override {
    std::optional<PulseRecord> rec;
    Attempt([&](Store& db) { rec = db.Pulse(pulse); });
    if (!rec) return;
    // A cancelled dialog answers the proposal as given; a chosen file comes as a full path.
    const std::string proposal = "pulse-" + std::to_string(pulse) + ".csv";
    std::string name = p_.platform.SaveFileDialog(kExportTitle, kExportFilter, 1, proposal);
    if (name == proposal || !common::IsChosenName(name, kExportPattern)) return;
    const std::string text = PulseCsv(*rec, "\r\n");
    common::RetryCancel(p_.platform, [&] { common::WriteFileAtomically(name, text); });
  }

 private:
  template <typename F>
  void Attempt(F&& f) {
    Store* db = Reader(p_);
    if (!db) return;
    try {
      f(*db);
    } catch (const StoreError& e) {
      Box(p_, "The test history " + p_.history.Path + " cannot be read: " + e.what() + ".");
    }
  }
  Program& p_;
};

}  // namespace

void OpenHistoryWindow(Program& p) {
  if (!Reader(p)) return;
  WindowModel model(p);
  p.platform.HistoryWindow(model);
}

bool ShowPulse(Program& p, int64_t pulse) {
  // Loading a pulse loads its profile: never in the middle of a run.
  if (control::RunStateOf(p) != run::Run::Idle) {
    Box(p, "A stored pulse can be shown only while no test runs.");
    return false;
  }
  Store* db = Reader(p);
  if (!db) return false;
  std::optional<PulseRecord> rec;
  std::optional<RunRow> run;
  std::string profileText;
  try {
    int64_t runId = 0;
    rec = db->Pulse(pulse, &runId);
    if (rec) {
      run = db->Run(runId);
      profileText = db->RunProfile(runId);
    }
  } catch (const StoreError& e) {
    Box(p, "Pulse " + std::to_string(pulse) + " cannot be read: " + e.what() + ".");
    return false;
  }
  if (!rec || !run) {
    Box(p, "The test history holds no pulse " + std::to_string(pulse) + ".");
    return false;
  }

  // The run's profile, as opening its file would load it.
  auto record = p.profile.Record;
  profile::FieldSource src(p.platform, profile::ErrorCaption::Plain);
  src.Attach(profileText);
  if (!profile::ReadProfileFields(src, record)) return false;
  record.Value[profile::row::DriveGain] = rec->DriveGain;
  p.profile.Record = record;
  p.profile.ProfileFileName = run->ProfileFile;
  p.win.SetCaption(ui::LabelId::lblTestTitle, record.TestTitle);
  profile::RecomputeProfile(p);
  // The drive it played. Codes other than the synthesised ones (a shaped drive) stand where
  // the waveform control keeps its shaped codes: whatever puts the synthesised drive back
  // after shaped pulses (the equalisation that comes before the profile's next pulse, a
  // profile change) puts it back here too.
  auto& codes = p.wave.DriveCodes;
  if (!std::equal(rec->DriveCodes.begin(), rec->DriveCodes.end(), codes.begin())) {
    p.shaping.SynthCodes = codes;
    p.shaping.CodesShaped = true;
    std::copy(rec->DriveCodes.begin(), rec->DriveCodes.end(), codes.begin());
    p.daq.DriveBuffersLoaded = false;
  }

  // The record itself, where the capture put it.
  auto& d = p.daq;
  d.ScanBuffer.fill(0);
  d.SlaveScanBuffer.fill(0);
  d.AdcZero = static_cast<int16_t>(rec->AdcZero);
  for (int c = 1; c <= kMaxChannels; ++c) d.ChannelScale[c] = rec->Scale[c];
  const long n = d.ScanStride >= 1 && d.ScanStride <= daq::kScanStride ? d.ScanStride : 8;
  for (int c = 1; c <= rec->Channels; ++c) {
    auto& b = c <= 8 ? d.ScanBuffer : d.SlaveScanBuffer;
    const int k = (c - 1) % 8;
    for (int i = 0; i < kRecordScans; ++i)
      b[i * n + k] = rec->Counts[static_cast<size_t>(c - 1) * kRecordScans + i];
  }
  p.run.LevelFactor = rec->LevelFactor;
  p.run.DrivePeakCounts = rec->DrivePeakCounts;
  p.run.PulseCount = rec->Index;
  p.control.ControlPeakG = rec->ControlPeakG;
  display::ShowControlResponse(p);
  display::RefreshPlot(p);
  p.history.Recalled = pulse;
  p.win.SetCaption(ui::LabelId::lblStatus, " RECALLED PULSE # " + std::to_string(pulse) + " - " +
                                               rec->Kind + " " + std::to_string(rec->Index) +
                                               " OF RUN " + std::to_string(run->Id) + ", " +
                                               Shown(rec->Time) + " UTC ");
  return true;
}

}  // namespace history
