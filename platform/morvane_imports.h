// The viewer's declarations of the reader library's functions.
//
// Eight of the library's eleven exports are declared; getDouble, getBSDouble
// and getAMOSString are not needed by the viewer. Each is bound on its first
// call (see external_function.h). BSTR results are released by the caller with
// SysFreeString.
#pragma once

#include <cstdint>

#include "byte_string.h"
#include "external_function.h"

namespace zarvex {

struct MorvaneImports {
  explicit MorvaneImports(const std::string& library = "Morvane",
                          LibraryLoader& loader = systemLibraryLoader())
      : getShort(library, "getShort", loader),
        getBSShort(library, "getBSShort", loader),
        getLong(library, "getLong", loader),
        getBSLong(library, "getBSLong", loader),
        getSingle(library, "getSingle", loader),
        getBSSingle(library, "getBSSingle", loader),
        getNullString(library, "getNullString", loader),
        getStringByteLen(library, "getStringByteLen", loader) {}

  ExternalFunction<std::int32_t(const std::uint8_t*)> getShort;
  ExternalFunction<std::int32_t(const std::uint8_t*)> getBSShort;
  ExternalFunction<std::int32_t(const std::uint8_t*)> getLong;
  ExternalFunction<std::int32_t(const std::uint8_t*)> getBSLong;
  ExternalFunction<float(const std::uint8_t*)> getSingle;
  ExternalFunction<float(const std::uint8_t*)> getBSSingle;
  ExternalFunction<BSTR(const std::uint8_t*)> getNullString;
  ExternalFunction<BSTR(const std::uint8_t*, std::uint8_t)> getStringByteLen;

  // The declarations the program itself uses, bound to "Morvane".
  static MorvaneImports& program();
};

}  // namespace zarvex
