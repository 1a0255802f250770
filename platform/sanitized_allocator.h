// ZARVEX_SANITIZED_ALLOCATOR is 1 in builds whose allocator belongs to a
// sanitizer (it checks every block and must not be stood in for), else 0.
// GCC says so with __SANITIZE_*__, Clang (before 15) only through __has_feature.
#pragma once

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define ZARVEX_SANITIZED_ALLOCATOR 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer) || __has_feature(memory_sanitizer)
#define ZARVEX_SANITIZED_ALLOCATOR 1
#endif
#endif
#ifndef ZARVEX_SANITIZED_ALLOCATOR
#define ZARVEX_SANITIZED_ALLOCATOR 0
#endif
