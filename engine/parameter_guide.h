// What each control does to the sound, in plain words for musicians, kept
// beside the parameter table so the user guide is written from both at once
// (docs/guide_gen writes the guide's control, waveform and preset sections
// from these texts and the tables).
//
// Every text is one line of plain ASCII without '|', so it can stand in a
// table cell of the guide as it is. Constant data: safe on any thread.
#pragma once
#include <stdint.h>

// What parameter `index` (0..35) does to the sound; null outside. The five
// vowel controls (jaw, tongue, color, sex, age) read the same for the heel,
// mid and toe settings. [any thread]
const char* parameter_guide_text(uint32_t index);

// The parameter id the text at `index` was written for; null outside. Lets a
// test find a text that slipped to the wrong row. [any thread]
const char* parameter_guide_id(uint32_t index);

// How the lfo_waveform corner `w` (1..4) sounds; null outside. [any thread]
const char* waveform_guide_text(uint32_t w);

// What a musician hears from the factory preset named `name`; null when no
// text is kept for that name. [any thread]
const char* preset_guide_text(const char* name);

// The names of the presets that have a text, in the order the texts are
// kept: `i` from 0 while it returns non-null. Lets a test find texts left
// behind by a renamed or removed preset. [any thread]
const char* preset_guide_name(uint32_t i);
