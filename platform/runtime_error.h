// Numbered run-time errors: a failure carries a number and a description,
// which the decoder's error policy shows to the user ("Error 48: ...").
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

namespace zarvex {

// Error numbers this program raises.
enum ErrorNumber : std::int32_t {
  kErrOutOfMemory = 7,
  kErrLibraryLoad = 48,     // a library could not be loaded
  kErrFileNotFound = 53,
  kErrPathAccess = 75,      // a file or folder exists but cannot be used
  kErrBadFileFormat = 321,  // the file is not of the kind asked for
  kErrEntryPoint = 453,     // a library lacks an entry
  kErrDialogCancel = 32755  // the user cancelled the file dialog
};

class RuntimeError : public std::runtime_error {
 public:
  RuntimeError(std::int32_t number, const std::string& description)
      : std::runtime_error(description), m_number(number) {}

  std::int32_t number() const { return m_number; }
  std::string description() const { return what(); }

 private:
  std::int32_t m_number;
};

}  // namespace zarvex
