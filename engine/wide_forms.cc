#include "engine/wide_forms.h"

namespace {

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
// The compiler's checks read CPUID and the enabled register state (XCR0).
bool cpu_has_avx2() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2");
}

// AVX-512 F, DQ and VL: everything the AVX-512 builds may use.
bool cpu_has_avx512() {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512dq") &&
           __builtin_cpu_supports("avx512vl");
}
#else
bool cpu_has_avx2() {
    return false;
}
bool cpu_has_avx512() {
    return false;
}
#endif

struct Sets {
    WideForms set[3];
    int count;
};

Sets find_sets() {
    Sets s = {{wide_forms_sse2, {}, {}}, 1};
    if (cpu_has_avx2())
        s.set[s.count++] = wide_forms_avx2;
    if (cpu_has_avx512())
        s.set[s.count++] = wide_forms_avx512;
    return s;
}

// Chosen during static initialisation, so the audio thread only reads them.
Sets g_sets = find_sets();
const WideForms* g_active = &g_sets.set[g_sets.count - 1];

} // namespace

const WideForms* wide_forms_available(int* count) {
    if (g_sets.count == 0)
        g_sets = find_sets();
    *count = g_sets.count;
    return g_sets.set;
}

// Before static initialisation has run (an engine driven from another
// module's constructor) the pointer is still null: the baseline then.
const WideForms* wide_forms_active(void) {
    return g_active ? g_active : &wide_forms_sse2;
}

void wide_forms_force(const WideForms* forms) {
    if (g_sets.count == 0)
        g_sets = find_sets();
    g_active = forms ? forms : &g_sets.set[g_sets.count - 1];
}
