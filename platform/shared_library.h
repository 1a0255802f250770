// A system library loaded the first time a program needs it, not when the
// program starts: zarvex-list lists a program in about a millisecond, while
// loading libarchive (with the compression and XML libraries it brings) or
// libxmp would cost several. Its entries are bound by name.
#pragma once

#include <mutex>
#include <string>

namespace zarvex {

class SharedLibrary {
 public:
  // `soname` as the dynamic linker knows it, e.g. "libarchive.so.13".
  explicit SharedLibrary(const char* soname) : m_soname(soname) {}

  // Loads the library once (safe from any thread); false when it cannot be
  // loaded, with the reason in reason().
  bool load();
  const std::string& reason() const { return m_reason; }

  // The entry `name`, as a pointer to a function of type F; null when the
  // library lacks it (reason() then says which).
  template <typename F>
  F* entry(const char* name) {
    return reinterpret_cast<F*>(symbol(name));
  }
  // Sets `slot` to the entry `name`; false when there is none.
  template <typename F>
  bool bind(F*& slot, const char* name) {
    slot = entry<F>(name);
    return slot != nullptr;
  }

 private:
  void* symbol(const char* name);

  const char* m_soname;
  std::once_flag m_once;
  void* m_handle = nullptr;
  std::string m_reason;
};

}  // namespace zarvex

// Declares the struct `Api`: the entries `ENTRIES` lists (a macro taking a
// macro: `#define PNG_ENTRIES(X) X(png_create_write_struct) X(png_write_end)`)
// of the library `soname`, each a pointer of its function's own type, and
// `missing`, why the library cannot be used (empty when it can).
// `Api::bound()` loads the library and binds the entries the first time it
// is called, from any thread, and gives the same struct after.
#define ZARVEX_LIBRARY_ENTRY_MEMBER(name) decltype(&::name) name = nullptr;
#define ZARVEX_LIBRARY_ENTRY_BINDING(name) all = library.bind(api.name, #name) && all;
#define ZARVEX_LIBRARY_API(Api, soname, ENTRIES)          \
  struct Api {                                            \
    ENTRIES(ZARVEX_LIBRARY_ENTRY_MEMBER)                  \
    std::string missing;                                  \
    static const Api& bound() {                           \
      static const Api once = [] {                        \
        static ::zarvex::SharedLibrary library(soname);   \
        Api api;                                          \
        bool all = true;                                  \
        ENTRIES(ZARVEX_LIBRARY_ENTRY_BINDING)             \
        if (!all) api.missing = library.reason();         \
        return api;                                       \
      }();                                                \
      return once;                                        \
    }                                                     \
  }
