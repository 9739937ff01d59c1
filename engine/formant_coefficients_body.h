// The body of the coefficient pass on vectors of WIDE_LANES lanes, that is
// WIDE_LANES / 4 rows at a time (rows lie next to each other in memory);
// included once by each build of it (formant_coefficients.cc,
// formant_coefficients_avx2.cc, formant_coefficients_avx512.cc), which sets
// WIDE_LANES (see wide_math.h).
#include "engine/formant_coefficients.h"
#include "engine/wide_math.h"

namespace {

constexpr int32_t kRowsPerVector = WIDE_LANES / 4;

WIDE_INLINE WideF rows_load(const __m128* rows) { return load(reinterpret_cast<const float*>(rows)); }
WIDE_INLINE void rows_store(__m128* rows, WideF v) { store(reinterpret_cast<float*>(rows), v); }

// An SSE register's four lanes repeated along the vector, one copy a row.
WIDE_INLINE WideF repeat_row(__m128 row) {
    float lanes[4];
    _mm_storeu_ps(lanes, row);
    WideF v;
    for (int i = 0; i < WIDE_LANES; ++i) v[i] = lanes[i % 4];
    return v;
}

// The coefficients of the rows in cutoff_cur and q_cur (kRowsPerVector
// rows each): svf_update_coeffs's steps after the glide, in every lane.
// Both sine forms give the same bits, so one test for all lanes is enough.
struct RowValues {
    WideF t, kf, k, kbl, hp1;
};

WIDE_INLINE RowValues row_values(WideF t_k, WideF prewarp_max, WideF cutoff_cur, WideF q_cur, bool lower_half) {
    RowValues v;
    const WideF fp = wide_min(cutoff_cur, prewarp_max);
    const WideF x = (t_k * fp) * splat(0x1.45f306p-3f);
    const WideF x_cos = splat(0.25f) + x;
    WideF tangent;
    if (lower_half) {
        tangent = sin2pi_lower_half(x) * rcp(sin2pi_lower_half(x_cos));
    } else {
        // Below the prewarp limit x stays under 1/4, so both arguments lie
        // in (0, 1) and need no fraction step.
        const WideI unit = (x > splat(0.0f)) & (x_cos < splat(1.0f));
        if (!any_lane(~unit)) {
            tangent = sin2pi_unit(x) * rcp(sin2pi_unit(x_cos));
        } else {
            tangent = sin2pi(x) * rcp(sin2pi(x_cos));
        }
    }
    v.t = rcp(fp) * tangent;
    v.kf = cutoff_cur * v.t;
    v.k = rcp(q_cur);
    v.kbl = v.k + v.kf;
    v.hp1 = rcp(v.kbl * v.kf + splat(1.0f));
    return v;
}

WIDE_INLINE void rows_store_all(CoefficientRows* r, int32_t j, const RowValues* v) {
    rows_store(&r->t[j], v->t);
    rows_store(&r->kf[j], v->kf);
    rows_store(&r->k[j], v->k);
    rows_store(&r->kbl[j], v->kbl);
    rows_store(&r->hp1[j], v->hp1);
}

// Rows j to m - 1, fewer than a vector holds: the last row stands in for
// the missing ones, and only the real rows are written back.
WIDE_INLINE void partial_rows(WideF t_k, WideF prewarp_max, CoefficientRows* r, int32_t j, int32_t m,
                              bool lower_half) {
    __m128 cutoff_cur[kRowsPerVector], q_cur[kRowsPerVector];
    for (int32_t i = 0; i < kRowsPerVector; ++i) {
        const int32_t row = j + i < m ? j + i : m - 1;
        cutoff_cur[i] = r->cutoff_cur[row];
        q_cur[i] = r->q_cur[row];
    }
    const RowValues v = row_values(t_k, prewarp_max, rows_load(cutoff_cur), rows_load(q_cur), lower_half);
    __m128 out[5][kRowsPerVector];
    rows_store(out[0], v.t);
    rows_store(out[1], v.kf);
    rows_store(out[2], v.k);
    rows_store(out[3], v.kbl);
    rows_store(out[4], v.hp1);
    for (int32_t i = 0; j + i < m; ++i) {
        r->t[j + i] = out[0][i];
        r->kf[j + i] = out[1][i];
        r->k[j + i] = out[2][i];
        r->kbl[j + i] = out[3][i];
        r->hp1[j + i] = out[4][i];
    }
}

// The loop built once for each case of lower_half, so neither tests it.
template <bool kLowerHalf>
void coefficient_rows(const FormantLanes* l, CoefficientRows* r, int32_t m) {
    const WideF t_k = repeat_row(l->t_k);
    const WideF prewarp_max = repeat_row(l->prewarp_max);
    int32_t j = 0;
    for (; j + kRowsPerVector <= m; j += kRowsPerVector) {
        const RowValues v =
            row_values(t_k, prewarp_max, rows_load(&r->cutoff_cur[j]), rows_load(&r->q_cur[j]), kLowerHalf);
        rows_store_all(r, j, &v);
    }
    if (j < m) partial_rows(t_k, prewarp_max, r, j, m, kLowerHalf);
}

void coefficients_wide(const FormantLanes* l, CoefficientRows* r, int32_t m, bool lower_half) {
    if (lower_half) {
        coefficient_rows<true>(l, r, m);
    } else {
        coefficient_rows<false>(l, r, m);
    }
}

}  // namespace
