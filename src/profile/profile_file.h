#pragma once
// Profile files: the current layout (rows 1..200 of seven fields, then five texts), the
// default profile of the working directory, and saving. The legacy layout and custom
// waveshapes read through the same field source.
#include <optional>
#include <string>
#include <utility>

#include "program/program.h"
#include "common/error_box.h"
#include "common/run_error.h"
#include "common/text_file.h"

namespace profile {

inline constexpr const char* kDefaultProfileFile = "KRXFileC.000";
inline constexpr const char* kDefaultProfileName = "     \\KRXFileC.000";
inline constexpr const char* kProfilePattern = "KRXFileC.*";
inline constexpr const char* kProfileFilter =
    "All Profiles (KRXFileC.*)|KRXFileC.*|All Profiles (*.prf)|*.prf|All Files (*.*)|*.*";
inline constexpr const char* kOpenProfileTitle = "KRX-8 Open Profile";
inline constexpr const char* kSaveProfileTitle = "KRX-8 Save Profile";
inline constexpr const char* kExeQuestion =
    "You have chosen EXE as the file extension; do you want to continue to save this file?";
inline constexpr int kFileRows = 200;  // rows 1..200 are saved; row 0 never is

// The default profile's error box names the file in its caption.
enum class ErrorCaption { Plain, DefaultProfile };
std::string ErrorCaptionText(ErrorCaption kind, int number);

// Runs `statement` under the Retry/Cancel box: Retry runs it again, Cancel returns false.
template <typename F>
bool Attempt(ui::Platform& pf, ErrorCaption kind, F&& statement) {
  return common::RetryCancelTitled(
      pf, [kind](int number) { return ErrorCaptionText(kind, number); },
      std::forward<F>(statement));
}

// A number field as the files hold it: "." whatever the locale, an optional sign, a missing
// leading zero, an exponent; an empty field is 0. Throws RunError 13 when it is not a number
// and 6 when it does not fit a 32-bit float.
float FieldToSingle(const std::string& field);

// Sequential fields of one open file, each read as one statement under the error box. A
// retried statement reads the same field again, so a bad field never shifts the ones after it.
class FieldSource {
 public:
  FieldSource(ui::Platform& pf, ErrorCaption kind) : pf_(pf), kind_(kind) {}
  // Opens the file; false when the operator cancelled the error box.
  bool Open(const std::string& path);
  // Reads from text in memory instead of a file.
  void Attach(std::string content) { reader_.emplace(std::move(content)); }
  bool AtEnd() const { return !reader_ || reader_->Eof(); }
  // Each reads one field into `target`; false when the operator cancelled.
  bool Number(float& target);
  bool Text(std::string& target);
  // How many fields were read so far.
  int FieldsRead() const { return fieldsRead_; }

 private:
  ui::Platform& pf_;
  ErrorCaption kind_;
  std::optional<common::TextReader> reader_;
  int fieldsRead_ = 0;
};

// The current layout: before every single field a file that has ended leaves that field and
// all later ones as they are. False when an error box was cancelled; the record keeps what
// was read up to there.
bool ReadProfileFields(FieldSource& src, ShockProfile& r);
bool ReadProfile(Program& p, const std::string& path, ErrorCaption kind = ErrorCaption::Plain);
// The text SaveProfile writes: 205 CR LF lines. The format has no escape for a double quote
// inside a text that older readers would skip, so such a quote is saved as an apostrophe.
std::string ProfileText(const ShockProfile& r);

// Start-up step 2: the default profile KRXFileC.000 of the working directory.
void LoadDefaultProfile(Program& p);
void OpenProfile(Program& p);
void SaveProfile(Program& p);

// Reads a whole profile file of either layout into the record, the title on screen kept
// when the file has none. On a cancelled error box nothing changes and the result is false.
bool ReadWholeProfile(Program& p, const std::string& path,
                      bool (*read)(FieldSource&, ShockProfile&));
// The open dialog of both profile layouts; false when it was cancelled.
bool ChooseProfileToOpen(Program& p, std::string& name);
// File > Open of one layout: the dialog, the whole read, then the record named and applied.
void OpenProfileWith(Program& p, bool (*read)(FieldSource&, ShockProfile&));
// After a profile was read: the title label, the boards set up anew, the recompute.
void ApplyOpenedProfile(Program& p);

}  // namespace profile
