#include "byte_string.h"

#ifndef _WIN32
#include <cstdlib>
#include <cstring>
#include <cstdint>

namespace {
constexpr std::size_t kCountSize = sizeof(std::uint32_t);
constexpr std::size_t kTerminatorSize = 2;
}  // namespace

BSTR SysAllocStringByteLen(const char* psz, std::uint32_t len) {
#if SIZE_MAX <= UINT32_MAX
  // Where size_t is 32 bits, count + bytes + terminator can overflow it.
  if (len > SIZE_MAX - kCountSize - kTerminatorSize) return nullptr;
#endif
  auto* block = static_cast<char*>(std::malloc(kCountSize + len + kTerminatorSize));
  if (block == nullptr) return nullptr;
  std::memcpy(block, &len, kCountSize);
  char* bytes = block + kCountSize;
  if (psz != nullptr) {
    if (len > 0) std::memcpy(bytes, psz, len);
  } else {
    std::memset(bytes, 0, len);
  }
  std::memset(bytes + len, 0, kTerminatorSize);
  return bytes;
}

void SysFreeString(BSTR bstr) {
  if (bstr != nullptr) std::free(bstr - kCountSize);
}

std::uint32_t SysStringByteLen(BSTR bstr) {
  if (bstr == nullptr) return 0;
  std::uint32_t len;
  std::memcpy(&len, bstr - kCountSize, kCountSize);
  return len;
}
#endif
