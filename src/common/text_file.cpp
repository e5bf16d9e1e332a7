#include "common/text_file.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "common/file_name.h"
#include "common/number_text.h"
#include "common/run_error.h"

namespace common {

TextReader TextReader::Open(const std::string& path) {
  std::error_code ec;
  auto st = std::filesystem::status(path, ec);
  if (std::filesystem::is_directory(st)) throw RunError(kErrPathFileAccess);
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) {
    int e = errno;
    if (e == ENOENT) {
      std::filesystem::path p(path);
      if (p.has_parent_path() && !std::filesystem::exists(p.parent_path(), ec))
        throw RunError(kErrPathNotFound);
    }
    throw RunError(ErrorFromErrno(e));
  }
  std::string content;
  char buf[65536];
  size_t n;
  while ((n = std::fread(buf, 1, sizeof buf, f)) > 0) content.append(buf, n);
  std::fclose(f);
  return TextReader(std::move(content));
}

bool TextReader::Eof() const {
  for (size_t i = pos_; i < data_.size(); ++i) {
    char c = data_[i];
    if (c != ' ' && c != '\t' && c != '\r' && c != '\n' && c != '\x1a') return false;
  }
  return true;
}

std::string TextReader::ReadField(bool& quoted) {
  quoted = false;
  while (pos_ < data_.size() && (data_[pos_] == ' ' || data_[pos_] == '\t')) ++pos_;
  if (pos_ >= data_.size()) throw RunError(kErrPastEndOfFile);
  // A field may start on the next line when the previous one ended the line.
  std::string out;
  if (data_[pos_] == '"') {
    quoted = true;
    ++pos_;
    size_t end = data_.find('"', pos_);
    if (end == std::string::npos) end = data_.size();
    out = data_.substr(pos_, end - pos_);
    pos_ = end < data_.size() ? end + 1 : end;
    // Skip to the separator.
    while (pos_ < data_.size() && data_[pos_] != ',' && data_[pos_] != '\r' && data_[pos_] != '\n')
      ++pos_;
  } else {
    size_t start = pos_;
    while (pos_ < data_.size() && data_[pos_] != ',' && data_[pos_] != '\r' && data_[pos_] != '\n')
      ++pos_;
    out = data_.substr(start, pos_ - start);
    while (!out.empty() && (out.back() == ' ' || out.back() == '\t')) out.pop_back();
  }
  if (pos_ < data_.size()) {
    if (data_[pos_] == ',') {
      ++pos_;
    } else if (data_[pos_] == '\r') {
      ++pos_;
      if (pos_ < data_.size() && data_[pos_] == '\n') ++pos_;
    } else if (data_[pos_] == '\n') {
      ++pos_;
    }
  }
  return out;
}

std::string TextReader::ReadText() {
  bool q;
  return ReadField(q);
}

double TextReader::ReadNumber() {
  bool q;
  std::string f = ReadField(q);
  if (f.empty()) return 0.0;
  double v;
  if (!ParseNumber(f, v)) throw RunError(kErrTypeMismatch);
  return v;
}

std::string TextReader::ReadLine() {
  if (pos_ >= data_.size()) throw RunError(kErrPastEndOfFile);
  size_t end = data_.find_first_of("\r\n", pos_);
  if (end == std::string::npos) end = data_.size();
  std::string out = data_.substr(pos_, end - pos_);
  pos_ = end;
  if (pos_ < data_.size() && data_[pos_] == '\r') ++pos_;
  if (pos_ < data_.size() && data_[pos_] == '\n') ++pos_;
  return out;
}

void TextWriter::WriteLine(const std::vector<std::string>& items) {
  for (size_t i = 0; i < items.size(); ++i) {
    if (i) buf_ += ',';
    buf_ += items[i];
  }
  buf_ += "\r\n";
}

void TextWriter::Commit() {
  WriteFileAtomically(path_, buf_);
}

std::string Quoted(const std::string& text) {
  std::string t = text;
  for (char& c : t)
    if (c == '"') c = '\'';
  return "\"" + t + "\"";
}

namespace {

// The file a save really replaces: a link is followed (relative targets from the link's own
// folder), so the link stays a link and the file it points to gets the new contents.
std::filesystem::path ResolveLinks(std::filesystem::path target) {
  namespace fs = std::filesystem;
  std::error_code ec;
  for (int hop = 0; hop < 40 && fs::is_symlink(fs::symlink_status(target, ec)); ++hop) {
    fs::path next = fs::read_symlink(target, ec);
    if (ec) break;
    target = next.is_absolute() ? next : target.parent_path() / next;
  }
  return target;
}

}  // namespace

void ReplaceFile(const std::string& path,
                 const std::function<void(const std::string& temporary)>& writeTemporary) {
  namespace fs = std::filesystem;
  std::error_code ec;
  if (HoldsWildcard(path)) throw RunError(kErrBadFileName);
  const fs::path target = ResolveLinks(fs::path(path));
  if (fs::is_directory(target, ec)) throw RunError(kErrPathFileAccess);
  if (target.has_parent_path() && !fs::is_directory(target.parent_path(), ec))
    throw RunError(kErrPathNotFound);
  // An existing file keeps its protection: one this user may not write fails as opening it
  // for output would, although the folder would let a rename replace it.
  struct stat old {};
  const bool exists = ::stat(target.c_str(), &old) == 0;
  if (exists && ::access(target.c_str(), W_OK) != 0) throw RunError(ErrorFromErrno(errno));
  const std::string tmp = target.string() + ".tmp~";
  try {
    writeTemporary(tmp);
  } catch (...) {
    // Only a file the writer left is ours to remove, never a folder in its way.
    if (fs::is_regular_file(tmp, ec)) fs::remove(tmp, ec);
    throw;
  }
  if (exists) {
    // Best effort: an owner this user may not give keeps the new file this user's.
    [[maybe_unused]] const int owned = ::chown(tmp.c_str(), old.st_uid, old.st_gid);
    ::chmod(tmp.c_str(), old.st_mode & 07777);
  }
  if (std::rename(tmp.c_str(), target.c_str()) != 0) {
    int e = errno;
    std::remove(tmp.c_str());
    throw RunError(ErrorFromErrno(e));
  }
}

void WriteFileAtomically(const std::string& path, const std::string& content) {
  ReplaceFile(path, [&](const std::string& tmp) {
    std::FILE* f = std::fopen(tmp.c_str(), "wb");
    if (!f) throw RunError(ErrorFromErrno(errno));
    size_t n = std::fwrite(content.data(), 1, content.size(), f);
    int werr = (n != content.size()) ? errno : 0;
    if (std::fflush(f) != 0 && !werr) werr = errno;
    if (std::fclose(f) != 0 && !werr) werr = errno;
    if (werr || n != content.size())
      throw RunError(werr == ENOSPC || werr == 0 ? kErrDiskFull : ErrorFromErrno(werr));
  });
}

}  // namespace common
