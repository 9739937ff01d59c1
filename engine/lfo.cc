// LFO rate and phase from the host transport.
#include "engine/lfo.h"

namespace {

constexpr float kPerMinute = 0x1.111112p-6f; // 0.016666668, 1/60
constexpr float kLastPhase = 0x1.fffffep-1f; // 0.99999994, largest float below 1

float sync_ratio(const WahEngine* e) {
    return kSyncRatios[e->lfo_sync_index];
}

// Song position in quarter notes from the first complete source the host
// gives; false when there is none or it is not a finite number (a beat unit
// of 0 would divide by zero: that block simply does not re-phase).
bool song_position(const TransportInfo* ti, double* quarters) {
    const uint32_t v = ti->valid_mask;
    const uint32_t bars =
        kTransportBeatsPerBar | kTransportBeatUnit | kTransportBar | kTransportBarBeat;
    double q;
    if (v & kTransportPositionQuarters) {
        q = ti->position_quarters;
    } else if ((v & (kTransportBeat | kTransportBeatUnit)) ==
               (kTransportBeat | kTransportBeatUnit)) {
        if (ti->beat_unit == 0)
            return false;
        q = (4.0 / static_cast<double>(ti->beat_unit)) * ti->beat;
    } else if ((v & bars) == bars) {
        if (ti->beat_unit == 0)
            return false;
        const float beats = static_cast<float>(ti->bar) * ti->beats_per_bar + ti->bar_beat;
        q = static_cast<double>(beats) * (4.0 / static_cast<double>(ti->beat_unit));
    } else {
        return false;
    }
    if (!(q - q == 0.0))
        return false; // inf or NaN
    *quarters = q;
    return true;
}

} // namespace

void lfo_rate_update(WahEngine* e) {
    if (e->lfo_sync) {
        e->lfo_freq = sync_ratio(e) * kPerMinute * e->speed_factor * e->tempo;
    } else {
        e->lfo_freq = e->lfo_free_rate;
    }
}

// [audio thread, before wah_engine_process]
void wah_engine_apply_transport(WahEngine* e, const TransportInfo* ti) {
    const uint32_t v = ti->valid_mask;
    if (v & kTransportSpeed) {
        e->speed = ti->speed;
        e->rolling = (v & kTransportRolling) ? ti->rolling : ti->speed != 0.0f;
    } else if (v & kTransportRolling) {
        e->rolling = ti->rolling;
    }
    if (v & kTransportTempo)
        e->tempo = ti->tempo;
    if (e->speed != 0.0f) {
        e->speed_factor = e->speed;
    } else {
        e->speed_factor = e->rolling ? 0.0f : 1.0f;
    }
    if (e->lfo_sync) {
        e->lfo_freq = e->speed_factor * (sync_ratio(e) * kPerMinute) * e->tempo;
    } else {
        e->lfo_freq = e->lfo_free_rate;
    }
    double quarters;
    if (e->rolling && song_position(ti, &quarters))
        e->resync_position = quarters;
}

void lfo_resync(WahEngine* e) {
    if (e->resync_position >= 0.0 && e->lfo_sync) {
        const double cycles = e->resync_position * static_cast<double>(sync_ratio(e));
        // Integer part by conversion; beyond 2^52 every double is whole.
        const double whole =
            cycles < 0x1p52 ? static_cast<double>(static_cast<int64_t>(cycles)) : cycles;
        float phase = static_cast<float>(cycles - whole);
        if (!(phase >= 0.0f))
            phase = 0.0f;
        if (phase > kLastPhase)
            phase = kLastPhase;
        e->lfo_phase_acc = phase;
    }
    e->resync_position = -1.0;
}
