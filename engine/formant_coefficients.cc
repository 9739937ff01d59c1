// The baseline build of the coefficient pass, one row per register, and the
// choice of form.
#define WIDE_LANES 4
#include "engine/formant_coefficients_body.h"

#include "engine/cpu_features.h"

void formant_coefficients_sse2(const FormantLanes* l, CoefficientRows* r, int32_t m) { coefficients_wide(l, r, m); }

namespace {

struct Forms {
    FormantCoefficientsFn fn[3];
    int count;
};

Forms find_forms() {
    Forms f = {{formant_coefficients_sse2, nullptr, nullptr}, 1};
    if (cpu_has_avx2())
        f.fn[f.count++] = formant_coefficients_avx2;
    if (cpu_has_avx512())
        f.fn[f.count++] = formant_coefficients_avx512;
    return f;
}

// Chosen during static initialisation, so the audio thread only reads them.
Forms g_forms = find_forms();
FormantCoefficientsFn g_active = g_forms.fn[g_forms.count - 1];

} // namespace

const FormantCoefficientsFn* formant_coefficients_available(int* count) {
    if (g_forms.count == 0)
        g_forms = find_forms();
    *count = g_forms.count;
    return g_forms.fn;
}

// Before static initialisation has run (an engine driven from another
// module's constructor) the pointer is still null: the SSE2 form then.
FormantCoefficientsFn formant_coefficients_active(void) {
    return g_active ? g_active : formant_coefficients_sse2;
}

void formant_coefficients_force(FormantCoefficientsFn fn) {
    if (g_forms.count == 0)
        g_forms = find_forms();
    g_active = fn ? fn : g_forms.fn[g_forms.count - 1];
}
