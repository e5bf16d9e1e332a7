// Any text as a procedure file: no crash, and a file that is accepted holds only steps the
// operator's prompts would take.
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "fuzz_platform.h"
#include "procedure/procedure_file.h"
#include "profile/bounds.h"
#include "profile/profile_file.h"
#include "profile/recompute.h"

namespace {

// One profile the procedure may name, in a folder of the fuzzer's own.
std::string Folder() {
  static const std::string folder = [] {
    auto dir = std::filesystem::temp_directory_path() / "krx8-fuzz-procedure";
    std::filesystem::create_directories(dir);
    fuzzing::NullPlatform pf;
    auto p = std::make_unique<Program>(pf);
    profile::SetProfileDefaults(*p);
    std::string text = profile::ProfileText(p->profile.Record);
    FILE* f = std::fopen((dir / "KRXFileC.000").c_str(), "wb");
    if (f) {
      std::fwrite(text.data(), 1, text.size(), f);
      std::fclose(f);
    }
    return dir.string();
  }();
  return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = Folder() + "/fuzz.toml";
  procedure::Procedure proc;
  std::vector<std::string> errors;
  const bool ok = procedure::ParseProcedure(
      std::string_view(reinterpret_cast<const char*>(data), size), path, proc, errors);
  if (ok != errors.empty()) __builtin_trap();
  for (const auto& e : errors)
    if (e.rfind(path + ":", 0) != 0) __builtin_trap();
  if (!ok) return 0;
  if (proc.Steps.empty() || proc.Report.empty()) __builtin_trap();
  for (const auto& s : proc.Steps) {
    if (!s.Pause.empty()) continue;
    if (!profile::BoundsOf(profile::row::TotalPulses).Within(s.PulsesToFire)) __builtin_trap();
    if (!profile::BoundsOf(profile::row::RepetitionRate).Within(s.PeriodToUse)) __builtin_trap();
    if (!(s.LevelPct > 0)) __builtin_trap();
  }
  return 0;
}
