#include "common/file_name.h"

namespace common {

std::string FileNamePart(const std::string& path) {
  const size_t slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool HoldsWildcard(const std::string& path) {
  return FileNamePart(path).find_first_of("*?") != std::string::npos;
}

bool IsPatternName(const std::string& name, const std::string& pattern) {
  return FileNamePart(name) == pattern;
}

bool IsChosenName(const std::string& name, const std::string& pattern) {
  return !name.empty() && !IsPatternName(name, pattern) && !HoldsWildcard(name);
}

}  // namespace common
