// Host transport intake: time:Position objects in the plug-in's event port
// become the engine's TransportInfo record, once per block.
#pragma once
#include <lv2/atom/atom.h>
#include <lv2/urid/urid.h>

#include "engine/wah_engine.h"

// URIDs the intake compares against; all 0 when the host gave no map.
typedef struct Lv2TimeUrids {
    LV2_URID atom_blank;
    LV2_URID atom_object;
    LV2_URID time_position;
    LV2_URID speed;
    LV2_URID beats_per_minute;
    LV2_URID beat;
    LV2_URID beats_per_bar;
    LV2_URID beat_unit;
    LV2_URID bar;
    LV2_URID bar_beat;
    // The number types a property value is accepted in.
    LV2_URID atom_float;
    LV2_URID atom_double;
    LV2_URID atom_int;
    LV2_URID atom_long;
} Lv2TimeUrids;

// Maps the URIDs above, in that order. [non-audio threads]
void lv2_time_urids_map(Lv2TimeUrids* urids, const LV2_URID_Map* map);

// Rewrites `transport` from one block's event sequence (null: no events):
// sets changed_mask from scratch, keeps speed, tempo and meter once
// received, and invalidates beat, bar and bar beat in blocks that lack them.
// Reads nothing past the sequence's stated size. [audio thread]
void lv2_transport_intake(TransportInfo* transport, const Lv2TimeUrids* urids,
                          const LV2_Atom_Sequence* sequence);
