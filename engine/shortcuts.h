// The shortcuts of block processing, each by name. Every one gives the bits
// of the plain per-sample order; engine/README.md keeps their ledger (the
// guard that allows each, why the bits stay the same, the test that pins
// it, what it gains). Building with -DWAH_SHORTCUTS_OFF=<mask> turns the
// masked ones off, which changes the speed and never the sound: that is how
// the ledger's gains are measured (bench/shortcuts.sh).
#pragma once
#include <stdint.h>

#ifndef WAH_SHORTCUTS_OFF
#define WAH_SHORTCUTS_OFF 0u
#endif

enum : uint32_t {
    kShortcutStillChunks = 1u << 0,    // a chunk that glides nowhere skips pass 2
    kShortcutRenderStillNow = 1u << 1, // ... and is rendered in its own step
    kShortcutKeptTargets = 1u << 2,    // equal positions keep their targets
    kShortcutRestingMixer = 1u << 3,   // mix and bypass smoothers rest
    kShortcutSilentLfo = 1u << 4,      // a silent LFO's shape is not computed
    kShortcutInputFree = 1u << 5,      // the envelope steps beside the filters
    kShortcutLead = 1u << 6,           // a block does the next one's first steps
    kShortcutLongChunks = 1u << 7,     // a leading block works in 64-sample chunks
    kShortcutOrdinaryGlide = 1u << 8,  // the glide without its hold
    kShortcutLowerHalf = 1u << 9,      // the tangent's sines from 4x, no range test
    kShortcutShortPow2 = 1u << 10,     // the exponential with no domain steps
    kShortcutWrapFast = 1u << 11,      // the LFO's wrap tests without floors
    kShortcutStillAhead = 1u << 12,    // still chunks rendered ahead (AVX-512)
    kShortcutWideOutput = 1u << 13,    // pass 4 sixteen samples a step (AVX-512)
};

constexpr bool shortcut_on(uint32_t shortcut) {
    return (static_cast<uint32_t>(WAH_SHORTCUTS_OFF) & shortcut) == 0;
}
