#include "external_function.h"

namespace zarvex {

void* bindEntry(LibraryLoader& loader, const std::string& library, const std::string& entry) {
  std::string reason;
  void* handle = loader.load(library, reason);
  if (handle == nullptr) {
    throw RuntimeError(kErrLibraryLoad, "Error in loading library " + library + " (" +
                                            libraryFileName(library) + "): " + reason);
  }
  void* address = loader.entry(handle, entry);
  if (address == nullptr) {
    throw RuntimeError(kErrEntryPoint,
                       "Can't find entry point " + entry + " in library " + library);
  }
  return address;
}

}  // namespace zarvex
