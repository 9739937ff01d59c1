// The baseline build of block processing, and the choice of kernel.
#define BLOCK_KERNEL_NAME block_kernel_baseline
#include "engine/block_kernel_body.h"
#include "engine/cpu_features.h"

namespace {

struct Kernels {
    BlockKernelFn fn[3];
    int count;
};

Kernels find_kernels() {
    Kernels k = {{block_kernel_baseline, nullptr, nullptr}, 1};
    if (cpu_has_avx2()) k.fn[k.count++] = block_kernel_avx2;
    if (cpu_has_avx512()) k.fn[k.count++] = block_kernel_avx512;
    return k;
}

// Chosen during static initialisation, so the audio thread only reads it.
Kernels g_kernels = find_kernels();
BlockKernelFn g_active = g_kernels.fn[g_kernels.count - 1];

}  // namespace

const BlockKernelFn* block_kernel_available(int* count) {
    if (g_kernels.count == 0) g_kernels = find_kernels();
    *count = g_kernels.count;
    return g_kernels.fn;
}

// Before static initialisation has run (an engine driven from another
// module's constructor) the pointer is still null: the baseline then.
BlockKernelFn block_kernel_active(void) { return g_active ? g_active : block_kernel_baseline; }

void block_kernel_force(BlockKernelFn fn) {
    if (g_kernels.count == 0) g_kernels = find_kernels();
    g_active = fn ? fn : g_kernels.fn[g_kernels.count - 1];
}
