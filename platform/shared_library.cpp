#include "shared_library.h"

#include <dlfcn.h>

namespace zarvex {

bool SharedLibrary::load() {
  std::call_once(m_once, [this] {
    m_handle = ::dlopen(m_soname, RTLD_NOW | RTLD_LOCAL);
    if (m_handle == nullptr) {
      const char* why = ::dlerror();
      m_reason = std::string(m_soname) + " cannot be loaded: " + (why != nullptr ? why : "no reason given");
    }
  });
  return m_handle != nullptr;
}

void* SharedLibrary::symbol(const char* name) {
  if (!load()) return nullptr;
  void* address = ::dlsym(m_handle, name);
  if (address == nullptr) m_reason = std::string(m_soname) + " has no entry " + name;
  return address;
}

}  // namespace zarvex
