// The AVX-512 build of block processing. Chosen only where the processor
// reports AVX-512 F and VL (see wide_forms.cc).
#include "engine/block_kernel.h"

#define BLOCK_KERNEL_NAME block_kernel_avx512_impl
#include "engine/block_kernel_body.h"

const BlockKernelFn block_kernel_avx512 = block_kernel_avx512_impl;
