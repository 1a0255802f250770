// Length-counted strings of 8-bit bytes: the string type the reader library
// hands back to its callers.
//
// Layout of one allocation: a header ending in a 32-bit byte count, the
// bytes, then two zero bytes. The pointer handed out (a BSTR) points at the
// first byte, so the count sits in the four bytes before it. Released short
// strings leave their room to the thread's next one (see byte_string.cpp). A null BSTR is the "missing
// string"; an allocation of zero bytes is the empty string, which is not null.
//
// Whoever receives a BSTR owns it and releases it with SysFreeString, on any
// thread. Both the library and the viewer compile these same definitions, so
// allocation and release always match. On Windows the system's OLE Automation functions serve.
#pragma once

#ifdef _WIN32
#include <oleauto.h>
#else
#include <cstdint>
#include <cstring>

using BSTR = char*;

// Allocates a string of `len` bytes copied from `psz`, or zero-filled when
// `psz` is null. Returns null when memory is exhausted.
BSTR SysAllocStringByteLen(const char* psz, std::uint32_t len);

// Releases a string from SysAllocStringByteLen; null is ignored.
void SysFreeString(BSTR bstr);

// The byte count of a string; 0 for null. Read where the layout keeps it,
// without a call: a listing asks for it once a name.
inline std::uint32_t SysStringByteLen(BSTR bstr) {
  if (bstr == nullptr) return 0;
  std::uint32_t count;
  std::memcpy(&count, bstr - sizeof count, sizeof count);
  return count;
}
#endif
