// The AVX2 build of block processing, chosen where the processor
// reports AVX2 and not AVX-512 (see wide_forms.cc). Its own header comes first;
// the passes that follow are the same source in every build, and perform
// the same operations in the same order, so every build gives the same bits.
#include "engine/isa_avx2.h"

#include "engine/coefficient_pass.h"
#include "engine/wide_targets_pass.h"

#include "engine/block_sse.h"

#include "engine/block_driver.h"
#include "engine/wide_forms.h"

namespace {
const WideTargetsForm kTargets = {positions_wide, targets_wide};
} // namespace

const WideForms wide_forms_avx2 = {"avx2", process_block, coefficients_wide, &kTargets};
