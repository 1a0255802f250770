#include "byte_string.h"

#ifndef _WIN32
#include <pthread.h>

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <new>

#if __has_include(<sanitizer/asan_interface.h>)
#include <sanitizer/asan_interface.h>
#endif
#ifndef ASAN_POISON_MEMORY_REGION
#define ASAN_POISON_MEMORY_REGION(addr, size) ((void)(addr), (void)(size))
#define ASAN_UNPOISON_MEMORY_REGION(addr, size) ((void)(addr), (void)(size))
#endif

// Each thread keeps one block of room for a short string, as the system's
// own string service keeps freed strings for reuse: a reader that hands out
// a name and has it released before the next one then costs no allocation
// at all. The block is shared between the thread's spare slot and the caller
// it was handed to; whichever of the two lets go last frees it. Blocks too
// long for the spare room are allocated and freed on their own.
//
// The library and the program each compile this file and each have their
// own spare slots, so a string allocated by one is often released by the
// other: everything the two sides agree on lives in the block's header.

namespace {

struct Header {
  pthread_t owner;                       // the thread whose spare slot holds it
  std::atomic<std::uint32_t> holders;    // 0: not shared (freed outright); else 1 or 2
  std::uint32_t count;                   // the byte count, just before the bytes
};
static_assert(offsetof(Header, count) + sizeof(std::uint32_t) == sizeof(Header),
              "the count sits in the four bytes before the string");

constexpr std::size_t kTerminatorSize = 2;
constexpr std::size_t kSpareBlockSize = 288;
// Every counted string (at most 255 bytes) fits the spare room.
constexpr std::uint32_t kSpareRoom = kSpareBlockSize - sizeof(Header) - kTerminatorSize;

Header* headerOf(BSTR bstr) { return reinterpret_cast<Header*>(bstr - sizeof(Header)); }
char* bytesOf(Header* block) { return reinterpret_cast<char*>(block) + sizeof(Header); }

// Under the address sanitizer a released string stays unreadable while its
// block waits in a spare slot, as if it had been freed, and the spare room
// after a string in use is as unreadable as the end of an allocation of its
// size. (Both copies must then be built with the sanitizer, as they are.)
void markReleased(Header* block) { ASAN_POISON_MEMORY_REGION(bytesOf(block), kSpareRoom + kTerminatorSize); }
void markInUse(Header* block, std::uint32_t len) {
  ASAN_UNPOISON_MEMORY_REGION(bytesOf(block), len + kTerminatorSize);
  ASAN_POISON_MEMORY_REGION(bytesOf(block) + len + kTerminatorSize, kSpareRoom - len);
}

// Lets go of one share of a block; the last share frees it.
void letGo(Header* block) {
  if (block->holders.fetch_sub(1, std::memory_order_acq_rel) == 1) std::free(block);
}

// The calling thread's spare block, kept under a thread-specific key, which
// gives it up when the thread ends; plain C, so that the library needs no C++
// runtime. No thread_local: in a library loaded at run time it would live in
// thread storage allocated on first use, which the leak checker of the
// sanitizer builds misreads (scanning it crashed the checker).
pthread_key_t g_spareKey;
pthread_once_t g_spareKeyOnce = PTHREAD_ONCE_INIT;
std::atomic<bool> g_spareKeyMade{false};

// The key's value is null again by the time this runs, so a string
// allocated later in the thread's end gets a block of its own.
void giveUpSpare(void* block) { letGo(static_cast<Header*>(block)); }
void makeSpareKey() {
  g_spareKeyMade.store(pthread_key_create(&g_spareKey, giveUpSpare) == 0, std::memory_order_release);
}

Header* currentSpare() {
  if (!g_spareKeyMade.load(std::memory_order_acquire)) return nullptr;
  return static_cast<Header*>(pthread_getspecific(g_spareKey));
}

// When the library is unloaded, ending threads must no longer call into it;
// their spare blocks are then left to the process.
[[gnu::destructor]] void deleteSpareKey() {
  if (g_spareKeyMade.load(std::memory_order_acquire)) pthread_key_delete(g_spareKey);
}

Header* newBlock(std::size_t size, std::uint32_t holders) {
  void* memory = std::malloc(size);
  if (memory == nullptr) return nullptr;
  auto* block = new (memory) Header{};
  block->holders.store(holders, std::memory_order_relaxed);
  return block;
}

// A new spare block for the calling thread, in place of `old` (null, or
// still out with its caller, who is then left to free it). Null when memory
// is exhausted: `old` then stays the spare.
[[gnu::noinline]] Header* replaceSpare(Header* old) {
  Header* block = newBlock(kSpareBlockSize, 2);
  if (block == nullptr) return nullptr;
  block->owner = pthread_self();
  pthread_once(&g_spareKeyOnce, makeSpareKey);
  if (!g_spareKeyMade.load(std::memory_order_acquire) || pthread_setspecific(g_spareKey, block) != 0) {
    // Nothing would give it up when the thread ends: a block of its own.
    block->holders.store(0, std::memory_order_relaxed);
    return block;
  }
  // The key names the new block from here on.
  if (old != nullptr) letGo(old);
  return block;
}

// The thread's spare block, ready to be handed out once more.
Header* spareBlock() {
  Header* block = currentSpare();
  // One holder left means the caller released it: only this slot knows it.
  if (block != nullptr && block->holders.load(std::memory_order_acquire) == 1) [[likely]] {
    block->holders.store(2, std::memory_order_relaxed);
    return block;
  }
  return replaceSpare(block);
}

}  // namespace

BSTR SysAllocStringByteLen(const char* psz, std::uint32_t len) {
  Header* block;
  if (len <= kSpareRoom) {
    block = spareBlock();
    if (block != nullptr) markInUse(block, len);
  } else {
#if SIZE_MAX <= UINT32_MAX
    // Where size_t is 32 bits, header + bytes + terminator can overflow it.
    if (len > SIZE_MAX - sizeof(Header) - kTerminatorSize) return nullptr;
#endif
    block = newBlock(sizeof(Header) + len + kTerminatorSize, 0);
  }
  if (block == nullptr) return nullptr;
  block->count = len;
  char* bytes = bytesOf(block);
  if (psz != nullptr) {
    if (len > 0) std::memcpy(bytes, psz, len);
  } else {
    std::memset(bytes, 0, len);
  }
  std::memset(bytes + len, 0, kTerminatorSize);
  return bytes;
}

void SysFreeString(BSTR bstr) {
  if (bstr == nullptr) return;
  Header* block = headerOf(bstr);
  const std::uint32_t holders = block->holders.load(std::memory_order_relaxed);
  if (holders == 0) {
    std::free(block);
    return;
  }
  // Before the share is let go: from then on the owner may hand it out again.
  markReleased(block);
  if (pthread_equal(block->owner, pthread_self())) {
    // The owning thread: no other thread changes this block's holders now.
    if (holders == 1) {
      std::free(block);
    } else {
      block->holders.store(1, std::memory_order_relaxed);
    }
  } else {
    letGo(block);
  }
}

#endif
