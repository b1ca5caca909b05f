#pragma once
// The per-sample loops gain from the instructions of newer x86-64 processors (three-operand
// forms, blends, fused multiply-add). A function marked ALDERMARK_PROCESSOR_VARIANTS is
// compiled for the baseline and for x86-64-v3, with everything it calls inlined into each,
// and the loader picks the variant the processor can run. MinGW has no load-time selection
// and does not keep the 32-byte stack alignment wide vectors need, so Windows keeps the
// baseline only; so do ThreadSanitizer builds, whose instrumented selector would run before
// the sanitizer is set up. Clang (the fuzz builds) takes the baseline too: it cannot add
// variants to a function already declared without them.
#if !defined(_WIN32) && defined(__x86_64__) && !defined(__SANITIZE_THREAD__) && !defined(__clang__)
#define ALDERMARK_PROCESSOR_VARIANTS __attribute__((target_clones("arch=x86-64-v3", "default"), flatten))
#else
#define ALDERMARK_PROCESSOR_VARIANTS __attribute__((flatten))
#endif
