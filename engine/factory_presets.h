// The factory presets: named settings of all 32 writable parameters, grouped
// by category. Both plug-in formats and the editor page list them from this
// one table (the LV2 presets and the .vstpreset files are written from it at
// build time, the page's list likewise).
//
// Constant data: safe on any thread.
#pragma once
#include <stdint.h>

#include "engine/parameter_table.h"

enum : uint32_t { kFactoryPresetCount = 18 };

typedef struct FactoryPreset {
    const char* name;                   // shown to users; also a file name, so no / \ : * ? " < > |
    const char* category;               // e.g. "Classic wah"; presets of a category are adjacent
    float values[kInputParameterCount]; // plain values in parameter index order
} FactoryPreset;

// The first preset, "Init", holds the parameter table's defaults.
extern const FactoryPreset kFactoryPresets[kFactoryPresetCount];
