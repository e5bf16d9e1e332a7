#include "profile/profile_file.h"

#include <algorithm>
#include <cctype>
#include <cfloat>
#include <charconv>
#include <cmath>

#include "common/error_box.h"
#include "common/file_name.h"
#include "common/number_text.h"
#include "daq/discovery.h"
#include "display/status_panel.h"
#include "profile/recompute.h"

namespace profile {

using common::RunError;

std::string ErrorCaptionText(ErrorCaption kind, int number) {
  if (kind == ErrorCaption::DefaultProfile)
    return "Error Loading Default Profile (KRXFileC.000)\r\n Error # " +
           common::NumberText(static_cast<float>(number)) + " Occured";
  return common::ErrorBoxTitle(number);
}

float FieldToSingle(const std::string& field) {
  size_t b = field.find_first_not_of(" \t\r\n");
  if (b == std::string::npos) return 0.0f;
  size_t e = field.find_last_not_of(" \t\r\n") + 1;
  const char* first = field.data() + b;
  const char* last = field.data() + e;
  if (*first == '+') ++first;  // from_chars takes a minus sign only
  // Only digits or a point may follow the sign: from_chars would also take "inf" and "nan".
  const bool negative = first < last && *first == '-' && first == field.data() + b;
  const char* body = negative ? first + 1 : first;
  if (body >= last || !(std::isdigit(static_cast<unsigned char>(*body)) || *body == '.'))
    throw RunError(common::kErrTypeMismatch);
  // Parsed straight into a float (no double rounding, no locale), so the shortest text
  // written by a save reads back to the very same bits.
  float v = 0;
  auto res = std::from_chars(first, last, v);
  if (res.ec == std::errc::invalid_argument || res.ptr != last)
    throw RunError(common::kErrTypeMismatch);
  if (res.ec == std::errc::result_out_of_range) {
    // Too large for a float is an overflow; too small is a subnormal or a zero.
    double d = 0;
    auto dres = std::from_chars(first, last, d);
    bool tooLarge;
    if (dres.ec == std::errc()) {
      tooLarge = std::fabs(d) > FLT_MAX;
    } else {
      const char* x = std::find_if(body, last, [](char c) { return c == 'e' || c == 'E'; });
      tooLarge = !(x + 1 < last && x[1] == '-');
      d = negative ? -0.0 : 0.0;
    }
    if (tooLarge) throw RunError(common::kErrOverflow);
    return static_cast<float>(d);
  }
  return v;
}

bool FieldSource::Open(const std::string& path) {
  return Attempt(pf_, kind_, [&] { reader_.emplace(common::TextReader::Open(path)); });
}

bool FieldSource::Number(float& target) {
  std::optional<std::string> field;
  return Attempt(pf_, kind_, [&] {
    if (!field) {
      if (AtEnd()) throw RunError(common::kErrPastEndOfFile);
      field = reader_->ReadText();
    }
    target = FieldToSingle(*field);
    ++fieldsRead_;
  });
}

bool FieldSource::Text(std::string& target) {
  return Attempt(pf_, kind_, [&] {
    if (AtEnd()) throw RunError(common::kErrPastEndOfFile);
    target = reader_->ReadText();
    ++fieldsRead_;
  });
}

namespace {

// One field guarded by the end-of-file test: an ended file skips it silently.
bool Guarded(FieldSource& src, float& v) {
  return src.AtEnd() || src.Number(v);
}
bool Guarded(FieldSource& src, std::string& t) {
  return src.AtEnd() || src.Text(t);
}

}  // namespace

bool ReadProfileFields(FieldSource& src, ShockProfile& r) {
  for (int row = 1; row <= kFileRows; ++row) {
    if (!Guarded(src, r.Value[row])) return false;
    for (float& aux : r.Aux[row])
      if (!Guarded(src, aux)) return false;
    if (!Guarded(src, r.Label[row])) return false;
  }
  for (std::string* t : {&r.TestTitle, &r.AccelModel, &r.AccelSerial, &r.SubTitle1, &r.SubTitle2})
    if (!Guarded(src, *t)) return false;
  return true;
}

bool ReadProfile(Program& p, const std::string& path, ErrorCaption kind) {
  FieldSource src(p.platform, kind);
  if (!src.Open(path)) return false;
  // The record changes from here: the drive must be made from it again before a pulse.
  p.wave.DriveSynthesized = false;
  return ReadProfileFields(src, p.profile.Record);
}

bool ReadWholeProfile(Program& p, const std::string& path,
                      bool (*read)(FieldSource&, ShockProfile&)) {
  // A half-read record would be fired at values the screen never showed: the file is read
  // into a copy, taken only when every field it holds was read.
  ShockProfile copy = p.profile.Record;
  copy.TestTitle = p.win.Lbl(ui::LabelId::lblTestTitle).Caption;
  FieldSource src(p.platform, ErrorCaption::Plain);
  if (!src.Open(path) || !read(src, copy)) return false;
  p.profile.Record = std::move(copy);
  p.wave.DriveSynthesized = false;
  return true;
}

std::string ProfileText(const ShockProfile& r) {
  common::TextWriter w("");
  for (int row = 1; row <= kFileRows; ++row) {
    const auto& a = r.Aux[row];
    w.WriteLine({common::ShortestFloatText(r.Value[row]), common::ShortestFloatText(a[0]),
                 common::ShortestFloatText(a[1]), common::ShortestFloatText(a[2]),
                 common::ShortestFloatText(a[3]), common::ShortestFloatText(a[4]),
                 common::Quoted(r.Label[row])});
  }
  for (const std::string* t :
       {&r.TestTitle, &r.AccelModel, &r.AccelSerial, &r.SubTitle1, &r.SubTitle2})
    w.WriteLine({common::Quoted(*t)});
  return w.Content();
}

void LoadDefaultProfile(Program& p) {
  if (!ReadProfile(p, kDefaultProfileFile, ErrorCaption::DefaultProfile)) return;
  p.profile.ProfileFileName = kDefaultProfileName;
  p.win.SetCaption(ui::LabelId::lblTestTitle, p.profile.Record.TestTitle);
  // A default profile never leaves transient capture without a trigger level.
  if (p.Row(row::TriggerLevel) == 0) p.Row(row::TriggerLevel) = 1.0f;
}

bool ChooseProfileToOpen(Program& p, std::string& name) {
  name = p.platform.OpenFileDialog(kOpenProfileTitle, kProfileFilter, 1, kProfilePattern);
  // A cancelled dialog names the pattern, as it always did; a chosen file is named once read.
  if (!common::IsChosenName(name, kProfilePattern)) {
    p.profile.ProfileFileName = name;
    return false;
  }
  return true;
}

void OpenProfileWith(Program& p, bool (*read)(FieldSource&, ShockProfile&)) {
  std::string name;
  if (!ChooseProfileToOpen(p, name)) return;
  // A file without a title line keeps the title on screen.
  if (!ReadWholeProfile(p, name, read)) return;
  p.profile.ProfileFileName = name;
  ApplyOpenedProfile(p);
}

void ApplyOpenedProfile(Program& p) {
  p.win.SetCaption(ui::LabelId::lblTestTitle, p.profile.Record.TestTitle);
  if (daq::HardwareStartup(p)) display::UpdateStatusPanel(p);
  RecomputeProfile(p);
}

void OpenProfile(Program& p) {
  OpenProfileWith(p, ReadProfileFields);
}

namespace {

bool EndsWithExe(const std::string& name) {
  if (name.size() < 3) return false;
  std::string tail = name.substr(name.size() - 3);
  for (char& c : tail) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return tail == "EXE";
}

}  // namespace

void SaveProfile(Program& p) {
  auto& pr = p.profile;
  std::string name =
      p.platform.SaveFileDialog(kSaveProfileTitle, kProfileFilter, 1, kProfilePattern);
  pr.ProfileFileName = name;
  if (EndsWithExe(name) && p.platform.MessageBox(kExeQuestion, ui::Buttons::YesNo,
                                                 ui::Icon::Critical, "") == ui::Answer::No)
    return;
  if (!common::IsChosenName(name, kProfilePattern)) return;
  pr.Record.TestTitle = p.win.Lbl(ui::LabelId::lblTestTitle).Caption;
  const std::string text = ProfileText(pr.Record);
  // The old file is replaced only once the new one is complete.
  Attempt(p.platform, ErrorCaption::Plain, [&] { common::WriteFileAtomically(name, text); });
}

}  // namespace profile
