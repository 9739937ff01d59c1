#include "vst3/component_transport.h"

static void update_rolling(TransportInfo* t, bool rolling) {
    if (!(t->valid_mask & kTransportRolling) || rolling != t->rolling) {
        t->changed_mask |= kTransportRolling | kTransportSpeed;
        t->rolling = rolling;
        t->speed = rolling ? 1.0f : 0.0f;
    }
    t->valid_mask |= kTransportRolling | kTransportSpeed;
}

static void update_tempo(TransportInfo* t, bool valid, double tempo) {
    bool was_valid = (t->valid_mask & kTransportTempo) != 0;
    float value = (float)tempo;
    if (valid != was_valid) {
        t->changed_mask |= kTransportTempo;
        if (valid) {
            t->tempo = value;
            t->valid_mask |= kTransportTempo;
        } else {
            t->valid_mask &= ~(uint32_t)kTransportTempo;
        }
    } else if (valid && value != t->tempo) {
        t->tempo = value;
        t->changed_mask |= kTransportTempo;
    }
}

static void update_position(TransportInfo* t, bool valid, double quarters) {
    bool was_valid = (t->valid_mask & kTransportPositionQuarters) != 0;
    if (valid != was_valid) {
        t->changed_mask |= kTransportPositionQuarters;
        if (valid) {
            t->position_quarters = quarters;
            t->valid_mask |= kTransportPositionQuarters;
        } else {
            t->valid_mask &= ~(uint32_t)kTransportPositionQuarters;
        }
    } else if (valid && quarters != t->position_quarters) {
        t->position_quarters = quarters;
        t->changed_mask |= kTransportPositionQuarters;
    }
}

static void update_time_signature(TransportInfo* t, bool valid, int32_t numerator,
                                  int32_t denominator) {
    const uint32_t both = kTransportBeatsPerBar | kTransportBeatUnit;
    bool was_valid = (t->valid_mask & kTransportBeatsPerBar) != 0;
    if (valid != was_valid) {
        t->changed_mask |= both;
        if (valid) {
            t->beats_per_bar = (float)numerator;
            t->beat_unit = (uint32_t)denominator;
            t->valid_mask |= both;
        } else {
            t->valid_mask &= ~both;
        }
        return;
    }
    if (!valid)
        return;
    if ((float)numerator != t->beats_per_bar) {
        t->beats_per_bar = (float)numerator;
        t->changed_mask |= kTransportBeatsPerBar;
        t->valid_mask |= kTransportBeatsPerBar;
    }
    if ((uint32_t)denominator != t->beat_unit) {
        t->beat_unit = (uint32_t)denominator;
        t->changed_mask |= kTransportBeatUnit;
        t->valid_mask |= kTransportBeatUnit;
    }
}

// Without a context every field the host provided so far is withdrawn.
static void withdraw_all(TransportInfo* t) {
    static const uint32_t kGroups[] = {kTransportRolling | kTransportSpeed, kTransportTempo,
                                       kTransportPositionQuarters,
                                       kTransportBeatsPerBar | kTransportBeatUnit};
    for (uint32_t group : kGroups) {
        uint32_t lead = group & (0u - group); // the group's lowest bit decides
        if (t->valid_mask & lead) {
            t->changed_mask |= group;
            t->valid_mask &= ~group;
        }
    }
}

void transport_update(TransportInfo* t, const ProcessContext* context) {
    t->changed_mask = 0;
    if (context == nullptr) {
        withdraw_all(t);
        return;
    }
    uint32_t state = context->state;
    update_rolling(t, (state & kContextPlaying) != 0);
    update_tempo(t, (state & kContextTempoValid) != 0, context->tempo);
    update_position(t, (state & kContextProjectTimeMusicValid) != 0, context->projectTimeMusic);
    update_time_signature(t, (state & kContextTimeSigValid) != 0, context->timeSigNumerator,
                          context->timeSigDenominator);
}
