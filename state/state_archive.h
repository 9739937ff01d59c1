// The saved state of the plug-in, the same byte string from both modules:
//
//   outer ustar archive
//     "dsp.tar"          inner ustar archive (with its own end blocks)
//        "info.map"        key/value map: facts about the saver
//        "parameters.map"  key/value map: parameter id -> f32 plain value
//        "version"         the three bytes "1.0"
//        other entries     inner extras, kept through read and write
//     other entries      outer extras, kept likewise
//
// All functions: [non-audio threads].
#pragma once
#include <stddef.h>

#include "state/entry_map.h"

#define OKA_STATE_PLUGIN_ID "zarvo-oka-oka-wah"
#define OKA_STATE_VERSION "1.0"
#define OKA_STATE_FORMAT_VST3 "vst3"
#define OKA_STATE_FORMAT_LV2 "lv2"
#define OKA_STATE_PLATFORM "windows"

// The saved state in memory. After state_archive_read every key and value
// points into the buffer that was read, which must outlive the archive; when
// saving they point at the saver's own locals and constants.
typedef struct StateArchive {
    const char* version;    // the constant text "1.0"
    EntryMap* info;         // info.map pairs
    EntryMap* parameters;   // parameters.map pairs
    EntryMap* inner_extras; // dsp.tar entries other than the three above
    EntryMap* outer_extras; // outer entries other than "dsp.tar"
} StateArchive;

// Creates the four maps empty. Returns 0, or -1 with errno ENOMEM and
// nothing left allocated.
int state_archive_init(StateArchive* archive);

// Parses a saved state into `archive` (which need not be initialised).
// Returns 0, or -1 with errno EINVAL (malformed: bad archive, no "dsp.tar",
// "info.map" or "parameters.map", a version other than "1.0" followed only by
// white space, a bad key/value record) or ENOMEM, with nothing left allocated
// and the four maps null.
int state_archive_read(StateArchive* archive, const void* buffer, size_t length);

// Builds the outer archive into a new malloc'd buffer (the caller frees it)
// with its length stored through out_length; null on any failure.
void* state_archive_write(const StateArchive* archive, size_t* out_length);

// Frees the four maps (never the bytes they point to) and nulls them.
// Safe on an archive whose maps are null.
void state_archive_free(StateArchive* archive);
