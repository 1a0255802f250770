// The global operator new and delete of a program that links this file in.
//
// A one-shot lister touches a few megabytes once: the file image, the
// document and the plain text. On a virtual machine every first touch of a
// 4 KiB page is a fault costing microseconds, a thousand of them per megabyte
// of input, more than the decoding itself. Blocks of 512 KiB and more get a
// mapping of their own, aligned to 2 MiB and advised to use transparent huge
// pages, so a megabyte costs one fault. Smaller blocks, and every block when
// the system refuses a mapping, come from malloc as before.
//
// Sanitizer builds keep their own allocator, which checks every block.
#include "sanitized_allocator.h"
#if !ZARVEX_SANITIZED_ALLOCATOR

#include <sys/mman.h>

#include <array>
#include <cstdint>
#include <cstdlib>
#include <mutex>
#include <new>

namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;
constexpr std::size_t kLargeBlock = std::size_t{512} << 10;

struct Mapping {
  std::uintptr_t base = 0;
  std::size_t length = 0;
};

// The live large blocks. A block that finds no free slot is unmapped again
// and taken from malloc instead, so the table's size is no limit.
std::mutex g_mutex;
std::array<Mapping, 64> g_mappings;

bool remember(std::uintptr_t base, std::size_t length) {
  const std::lock_guard lock(g_mutex);
  for (auto& slot : g_mappings) {
    if (slot.base == 0) {
      slot = {base, length};
      return true;
    }
  }
  return false;
}

// The length of the block mapped at `base`, forgotten; 0 if it is not one.
std::size_t forget(std::uintptr_t base) {
  const std::lock_guard lock(g_mutex);
  for (auto& slot : g_mappings) {
    if (slot.base == base) {
      const std::size_t length = slot.length;
      slot = {};
      return length;
    }
  }
  return 0;
}

void* mapLarge(std::size_t size) noexcept {
  if (size > SIZE_MAX / 2) return nullptr;
  const std::size_t length = (size + kHugePage - 1) & ~(kHugePage - 1);
  // Map a huge page more than needed, then give back what lies outside the
  // aligned block.
  const std::size_t span = length + kHugePage;
  void* raw = mmap(nullptr, span, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (raw == MAP_FAILED) return nullptr;
  const auto start = reinterpret_cast<std::uintptr_t>(raw);
  const std::uintptr_t base = (start + kHugePage - 1) & ~(kHugePage - 1);
  if (base > start) munmap(raw, base - start);
  if (start + span > base + length) munmap(reinterpret_cast<void*>(base + length), start + span - (base + length));
  if (!remember(base, length)) {
    munmap(reinterpret_cast<void*>(base), length);
    return nullptr;
  }
  // Advice only: where huge pages are off, the block works with small ones.
  madvise(reinterpret_cast<void*>(base), length, MADV_HUGEPAGE);
  return reinterpret_cast<void*>(base);
}

void* allocate(std::size_t size) noexcept {
  if (size >= kLargeBlock) {
    if (void* block = mapLarge(size)) return block;
  }
  return std::malloc(size == 0 ? 1 : size);
}

void* allocateOrThrow(std::size_t size) {
  for (;;) {
    if (void* block = allocate(size)) return block;
    const std::new_handler handler = std::get_new_handler();
    if (handler == nullptr) throw std::bad_alloc();
    handler();
  }
}

void release(void* block) noexcept {
  if (block == nullptr) return;
  const auto address = reinterpret_cast<std::uintptr_t>(block);
  // Only a 2 MiB-aligned address can be a mapped block.
  if ((address & (kHugePage - 1)) == 0) {
    if (const std::size_t length = forget(address); length != 0) {
      munmap(block, length);
      return;
    }
  }
  std::free(block);
}

}  // namespace

void* operator new(std::size_t size) { return allocateOrThrow(size); }
void* operator new[](std::size_t size) { return allocateOrThrow(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept { return allocate(size); }
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept { return allocate(size); }

void operator delete(void* block) noexcept { release(block); }
void operator delete[](void* block) noexcept { release(block); }
void operator delete(void* block, std::size_t) noexcept { release(block); }
void operator delete[](void* block, std::size_t) noexcept { release(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { release(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { release(block); }

#endif
