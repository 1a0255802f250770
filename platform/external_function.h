// A function declared as living in a shared library, bound on its first call.
//
// Each declaration keeps the library name, the entry name and a slot for the
// address, empty at start. A call with an empty slot loads the library, looks
// the entry up by its exact name and stores the address; later calls go
// straight to it. When binding fails the call does not happen and a
// RuntimeError is thrown in the caller: 48 when the library cannot be loaded,
// 453 when the entry is missing. The slot then stays empty, so the next call
// tries again.
#pragma once

#include <string>
#include <utility>

#include "library_loader.h"
#include "runtime_error.h"

namespace zarvex {

// Binds the entry and returns its address; throws RuntimeError on failure.
void* bindEntry(LibraryLoader& loader, const std::string& library, const std::string& entry);

template <typename Signature>
class ExternalFunction;

template <typename Result, typename... Args>
class ExternalFunction<Result(Args...)> {
 public:
  using Pointer = Result (*)(Args...);

  ExternalFunction(std::string library, std::string entry,
                   LibraryLoader& loader = systemLibraryLoader())
      : m_library(std::move(library)), m_entry(std::move(entry)), m_loader(&loader) {}

  Result operator()(Args... args) {
    if (m_slot == nullptr) {
      m_slot = reinterpret_cast<Pointer>(bindEntry(*m_loader, m_library, m_entry));
    }
    return m_slot(args...);
  }

  bool bound() const { return m_slot != nullptr; }
  const std::string& library() const { return m_library; }
  const std::string& entry() const { return m_entry; }

 private:
  std::string m_library;
  std::string m_entry;
  LibraryLoader* m_loader;
  Pointer m_slot = nullptr;
};

}  // namespace zarvex
