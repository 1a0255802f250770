// Marks code whose comparisons hold nothing for a fuzzer to learn: text
// copies, escaping, buffer bookkeeping. The fuzzing build traces every
// comparison of instrumented code, and in these loops that tracing took
// more time than the decoding itself. There such code is kept out of line
// and out of the coverage instrumentation (AddressSanitizer still checks
// every access); elsewhere ZARVEX_HOT_UNTRACED asks for inlining.
#pragma once

#if defined(ZARVEX_FUZZING) && defined(__clang__)
#define ZARVEX_UNTRACED __attribute__((noinline, no_sanitize("coverage")))
#define ZARVEX_HOT_UNTRACED __attribute__((noinline, no_sanitize("coverage"))) inline
#else
#define ZARVEX_UNTRACED
#define ZARVEX_HOT_UNTRACED [[gnu::always_inline]] inline
#endif
