#include "engine/cpu_features.h"

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
// The compiler's checks read CPUID and the enabled register state (XCR0).
bool cpu_has_avx2(void) {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2");
}

bool cpu_has_avx512(void) {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512dq") &&
           __builtin_cpu_supports("avx512vl");
}
#else
bool cpu_has_avx2(void) { return false; }
bool cpu_has_avx512(void) { return false; }
#endif
