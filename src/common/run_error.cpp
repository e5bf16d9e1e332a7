#include "common/run_error.h"

#include <cerrno>

namespace common {

std::string ErrorDescription(int number) {
  switch (number) {
    case 6:
      return "Overflow";
    case 9:
      return "Subscript out of range";
    case 13:
      return "Type mismatch";
    case 48:
      return "Error in loading DLL";
    case 52:
      return "Bad file name or number";
    case 53:
      return "File not found";
    case 54:
      return "Bad file mode";
    case 55:
      return "File already open";
    case 61:
      return "Disk full";
    case 62:
      return "Input past end of file";
    case 68:
      return "Device unavailable";
    case 70:
      return "Permission denied";
    case 75:
      return "Path/File access error";
    case 76:
      return "Path not found";
    case 481:
      return "Invalid picture";
    default:
      return "Application-defined or object-defined error";
  }
}

int ErrorFromErrno(int err) {
  switch (err) {
    case ENOENT:
      return kErrFileNotFound;
    case ENOTDIR:
      return kErrPathNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
      return kErrPermissionDenied;
    case ENOSPC:
      return kErrDiskFull;
    case EISDIR:
      return kErrPathFileAccess;
    default:
      return kErrPathFileAccess;
  }
}

}  // namespace common
