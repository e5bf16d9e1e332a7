#pragma once
// The one sequential text-file reader and writer of the system: fields separated by
// commas or line ends, texts in double quotes, CR LF line ends.
#include <functional>
#include <string>
#include <vector>

namespace common {

class TextReader {
 public:
  // Reads the whole file; throws RunError (53, 76, 70, 75) when it cannot be opened.
  static TextReader Open(const std::string& path);
  explicit TextReader(std::string content) : data_(std::move(content)) {}

  // True when nothing but blanks and line ends is left.
  bool Eof() const;
  // Next field as text: a quoted text without its quotes, or an unquoted field trimmed.
  // Throws RunError 62 past the end.
  std::string ReadText();
  // Next field as a number; an empty field is 0; throws RunError 13 when the field is
  // not a number, 62 past the end.
  double ReadNumber();
  float ReadSingle() { return static_cast<float>(ReadNumber()); }
  // The rest of the current line, without its line end; throws 62 past the end.
  std::string ReadLine();

 private:
  std::string ReadField(bool& quoted);
  std::string data_;
  size_t pos_ = 0;
};

// Builds a file line by line in memory and replaces the target only once the whole new
// file is written: a failed save never destroys the old file.
class TextWriter {
 public:
  explicit TextWriter(std::string path) : path_(std::move(path)) {}
  // Appends one record: the items joined by commas, then CR LF.
  void WriteLine(const std::vector<std::string>& items);
  void WriteRaw(const std::string& text) { buf_ += text; }
  // Writes a temporary file beside the target and renames it over the target; throws
  // RunError (70, 76, 61, 75) when that fails, leaving the old file as it was.
  void Commit();
  const std::string& Content() const { return buf_; }

 private:
  std::string path_;
  std::string buf_;
};

// A text item in double quotes. A double quote inside the text cannot be stored in the
// format, so it becomes a single quote.
std::string Quoted(const std::string& text);

// Writes `content` to `path` through a temporary file and rename; throws RunError.
void WriteFileAtomically(const std::string& path, const std::string& content);

// The mechanism beneath: `writeTemporary` writes the whole new file under the temporary
// name it is given (throwing RunError when it cannot); only then is the temporary renamed
// over `path`. A failure leaves the old file as it was and no temporary behind. Throws
// RunError 75 when `path` is a folder, 76 when its folder does not exist, 70 when it is a
// file this user may not write, 52 for a wildcard name. A link is written through (the
// file it points to is replaced); an existing file keeps its mode and, where this user may
// give it, its owner.
void ReplaceFile(const std::string& path,
                 const std::function<void(const std::string& temporary)>& writeTemporary);

}  // namespace common
