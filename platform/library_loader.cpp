#include "library_loader.h"

#include <map>
#include <mutex>

#include "file_system.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace zarvex {

std::string libraryFileName(const std::string& library) {
#if defined(_WIN32)
  return library + ".dll";
#elif defined(__APPLE__)
  return "lib" + library + ".dylib";
#else
  return "lib" + library + ".so";
#endif
}

namespace {

class SystemLibraryLoader final : public LibraryLoader {
 public:
  void* load(const std::string& library, std::string& reason) override {
    std::lock_guard lock(m_mutex);
    if (auto it = m_handles.find(library); it != m_handles.end()) return it->second;
    const std::string file = libraryFileName(library);
#ifdef _WIN32
    void* handle = ::LoadLibraryA(file.c_str());
    if (handle == nullptr) reason = "Windows error " + std::to_string(::GetLastError());
#else
    // Beside the program first, and in its installed library folder: a path
    // with a slash is opened as it is, without a search. Then by name, where
    // the system looks (and where the program's RUNPATH points, when it has
    // one and no runtime such as a sanitizer interposes dlopen).
    void* handle = nullptr;
    const std::string& folder = programFolder();
    if (!folder.empty()) {
      for (const std::string& place : {folder, folder + "/../" ZARVEX_INSTALL_LIBDIR}) {
        handle = ::dlopen((place + "/" + file).c_str(), RTLD_NOW | RTLD_LOCAL);
        if (handle != nullptr) break;
      }
    }
    if (handle == nullptr) {
      handle = ::dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
      if (handle == nullptr) {
        const char* error = ::dlerror();
        reason = error != nullptr ? error : "unknown reason";
      }
    }
#endif
    if (handle != nullptr) m_handles.emplace(library, handle);
    return handle;
  }

  void* entry(void* handle, const std::string& name) override {
#ifdef _WIN32
    return reinterpret_cast<void*>(::GetProcAddress(static_cast<HMODULE>(handle), name.c_str()));
#else
    return ::dlsym(handle, name.c_str());
#endif
  }

 private:
  std::mutex m_mutex;
  std::map<std::string, void*> m_handles;  // never closed: nothing unloads a library
};

}  // namespace

LibraryLoader& systemLibraryLoader() {
  static SystemLibraryLoader loader;
  return loader;
}

}  // namespace zarvex
