#pragma once
// Row kernels compiled for more than one x86 instruction set and chosen once at run time: the program runs on
// any x86-64 processor and uses SSSE3 or AVX2 where the processor has them. A kernel file writes its loop once
// as a VIS_ALWAYS_INLINE function and wraps it in functions with target("avx2") and target("ssse3") where
// VIS_X86_KERNELS is defined.
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#define VIS_X86_KERNELS 1
#endif

#if defined(__GNUC__)
#define VIS_ALWAYS_INLINE inline __attribute__((always_inline))
#else
#define VIS_ALWAYS_INLINE inline
#endif

namespace vis {

// The AVX2 kernel where the processor has AVX2, else the SSSE3 one where it has SSSE3, else the plain one.
template <class Fn> Fn PickKernel(Fn avx2, Fn ssse3, Fn plain) {
#ifdef VIS_X86_KERNELS
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx2")) return avx2;
    if (__builtin_cpu_supports("ssse3")) return ssse3;
#else
    (void)avx2;
    (void)ssse3;
#endif
    return plain;
}

} // namespace vis
