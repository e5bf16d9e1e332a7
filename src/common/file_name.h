#pragma once
// What a file dialog's answer names: the dialogs return whole paths, the proposed names
// are bare patterns.
#include <string>

namespace common {

// The file-name part of a path (after the last '/').
std::string FileNamePart(const std::string& path);
// True when the file-name part holds a wildcard ('*' or '?'): such a name is a pattern the
// dialog proposed, never a file to create.
bool HoldsWildcard(const std::string& path);
// True when the dialog answered a name to use: not empty, not the proposed pattern (with or
// without the folder the dialog put before it) and no other wildcard name.
bool IsChosenName(const std::string& name, const std::string& pattern);
// True when the file-name part is the proposed pattern itself.
bool IsPatternName(const std::string& name, const std::string& pattern);

}  // namespace common
