// Long scenarios through the engine, hashed bit by bit: the host's side
// (parameter moves, transport) and the input, block after block. The hashes
// are committed (scenario_hash_test.cc) and checked by three compilers, and
// the plain reference must give the same bits.
#pragma once
#include <stdint.h>

#include <vector>

#include "engine/wah_engine.h"

typedef void (*ProcessFn)(WahEngine*, const float*, float*, int32_t);

enum Scenario {
    // Everything at once: the envelope always on, the LFO at full amount,
    // parameter moves, a rolling transport with a loop jump, a reset, a
    // long silence.
    kScenarioEverything,
    // The envelope off with the LFO moving: positions free of the input,
    // so blocks leave the next one a head start.
    kScenarioLfoMoving,
    // A still pedal with the envelope at its defaults (off, then on):
    // settled glides, chunks that stand still, a pedal pinned at the toe
    // that leaves it in the silent gaps.
    kScenarioStillPedal,
    // A synced LFO with a rolling transport: every block re-phased from
    // the song position, tempo and sync rate changes, a stopped stretch.
    kScenarioSyncedLfo,
    // A synced LFO looping back to bar 1, song position exactly 0, also
    // from far later in the song and from a host that gives bars only.
    kScenarioLoopToBarOne,
    kScenarioCount
};

const char* scenario_name(Scenario s);

// Renders scenario s through process (wah_engine_process or the plain
// reference) with flush-to-zero set, as the frames run the engine; returns
// its hash and appends the output samples to *keep when given. *lead_taken,
// when given, counts the blocks that took up a head start (found by
// spoiling it in a copy).
uint64_t render_scenario(Scenario s, ProcessFn process, std::vector<float>* keep,
                         int* lead_taken = nullptr);
