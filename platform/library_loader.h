// Loading shared libraries by name and finding their entries.
//
// A library is named without prefix or suffix ("Morvane"); the loader maps it
// to the platform's file name (libMorvane.so, Morvane.dll) and lets the
// platform's ordinary search find it (on Linux the program's RUNPATH holds
// $ORIGIN and the installed library folder). A library once loaded stays
// loaded until the process ends.
#pragma once

#include <string>

namespace zarvex {

class LibraryLoader {
 public:
  virtual ~LibraryLoader() = default;

  // Returns a handle, or null with the platform's reason in `reason`.
  virtual void* load(const std::string& library, std::string& reason) = 0;
  // Returns the entry's address, or null when the library has no such entry.
  virtual void* entry(void* handle, const std::string& name) = 0;
};

// The process-wide loader that uses the dynamic linker. It loads each library
// at most once and keeps it loaded; safe to use from any thread.
LibraryLoader& systemLibraryLoader();

// The platform's file name for a library name: "Morvane" -> "libMorvane.so".
std::string libraryFileName(const std::string& library);

}  // namespace zarvex
