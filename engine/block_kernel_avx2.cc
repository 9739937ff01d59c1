// The AVX2 build of block processing (VEX encoding: three-operand
// instructions, fewer register copies). Chosen only where the processor
// reports AVX2 and not AVX-512 (see wide_forms.cc).
#include "engine/block_kernel.h"

#define BLOCK_KERNEL_NAME block_kernel_avx2_impl
#include "engine/block_kernel_body.h"

const BlockKernelFn block_kernel_avx2 = block_kernel_avx2_impl;
