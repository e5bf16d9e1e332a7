#pragma once
// The run-time errors of the system, with their classic numbers and descriptions.
#include <stdexcept>
#include <string>

namespace common {

enum ErrorNumber : int {
  kErrOverflow = 6,
  kErrSubscript = 9,
  kErrTypeMismatch = 13,
  kErrBadFileName = 52,
  kErrFileNotFound = 53,
  kErrBadFileMode = 54,
  kErrFileAlreadyOpen = 55,
  kErrDiskFull = 61,
  kErrPastEndOfFile = 62,
  kErrPermissionDenied = 70,
  kErrPathFileAccess = 75,
  kErrPathNotFound = 76,
  kErrInvalidPicture = 481,
  kErrFileNotFoundLib = 48,  // "Error in loading DLL"
  kErrDeviceUnavailable = 68,
};

std::string ErrorDescription(int number);

class RunError : public std::runtime_error {
 public:
  explicit RunError(int number) : std::runtime_error(ErrorDescription(number)), number_(number) {}
  RunError(int number, const std::string& description)
      : std::runtime_error(description), number_(number) {}
  int Number() const { return number_; }
  std::string Description() const { return what(); }

 private:
  int number_;
};

// The number of an errno value of a failed file operation.
int ErrorFromErrno(int err);

}  // namespace common
