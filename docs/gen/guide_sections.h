// The user guide's generated sections and how they are put into the guide.
//
// docs/guide.md is written by hand except between marker lines
//   <!-- begin generated: NAME -->
//   <!-- end generated: NAME -->
// whose lines the generator writes afresh from the parameter table, the
// guide texts beside it and the factory presets. [build time]
#pragma once
#include <stddef.h>
#include <stdio.h>

// Writes one section's lines; false when the tables do not have the shape
// the section relies on (the message is on stderr).
typedef bool (*GuideSectionWriter)(FILE* f);

typedef struct GuideSection {
    const char* name; // as in the markers
    GuideSectionWriter write;
} GuideSection;

// Every control with its range, default and what it does, by group.
bool put_controls_section(FILE* f);
// The four LFO waveform corners.
bool put_waveforms_section(FILE* f);
// The 24 sync rates as note values, with their length in beats.
bool put_sync_rates_section(FILE* f);
// The factory presets by category, with what each sounds like, its main
// settings and its demo rendering.
bool put_presets_section(FILE* f);

// The sections a guide must have, in no particular order.
extern const GuideSection kGuideSections[];
extern const size_t kGuideSectionCount;

// Copies the guide `text` (`size` bytes) to `out` with every generated
// section written afresh. False, with a message on stderr naming the line,
// when a marker is unknown, unmatched or nested, when a section is missing,
// or when a section cannot be written; `out` then holds a partial copy.
bool splice_guide(const char* text, size_t size, FILE* out);
