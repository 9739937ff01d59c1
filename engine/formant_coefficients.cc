#include "engine/formant_coefficients.h"

void formant_coefficients_sse2(const FormantLanes* l, CoefficientRows* r, int32_t m) {
    for (int32_t j = 0; j < m; ++j)
        formant_coefficients_row(l, r, j);
}

namespace {

FormantCoefficientsFn widest() {
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
    __builtin_cpu_init();
    if (formant_coefficients_avx2 && __builtin_cpu_supports("avx2"))
        return formant_coefficients_avx2;
#endif
    return formant_coefficients_sse2;
}

// Chosen during static initialisation, so the audio thread only reads it.
FormantCoefficientsFn g_active = widest();

} // namespace

// Before static initialisation has run (an engine driven from another
// module's constructor) the pointer is still null: the SSE2 form then.
FormantCoefficientsFn formant_coefficients_active(void) {
    return g_active ? g_active : formant_coefficients_sse2;
}

void formant_coefficients_force(FormantCoefficientsFn fn) {
    g_active = fn ? fn : widest();
}
