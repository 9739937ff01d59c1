// The factory presets as LV2 preset resources: what the bundle's manifest
// says about each (type, plug-in, the file describing it) and that file,
// presets.ttl, with each preset's label, bank and port values by symbol.
// [build time]
#pragma once
#include <stddef.h>
#include <stdint.h>
#include <stdio.h>

#define OKA_LV2_PRESETS_TTL "presets.ttl"

// The preset's URI: the plug-in URI, "#preset-" and the name in lower case
// with every run of other characters as one '-' ("Talk Box Wow" gives
// "...#preset-talk-box-wow"). Hosts store it in sessions, so a preset keeps
// its name. False when `capacity` is too small. [any thread]
bool lv2_preset_uri(uint32_t preset, char* out, size_t capacity);

// The manifest's entries: one pset:Preset per preset, pointing at
// presets.ttl. [build time]
void lv2_put_preset_manifest(FILE* f);

// Writes presets.ttl: a pset:Bank per category, and per preset its label,
// bank and the values of the 32 control input ports by symbol (the enable
// port carries bypass inverted, as the plug-in reads it). [build time]
bool lv2_write_presets(const char* path);
