#include "lv2/lv2_transport.h"

#include <lv2/time/time.h>
#include <string.h>

void lv2_time_urids_map(Lv2TimeUrids* u, const LV2_URID_Map* map) {
    LV2_URID_Map_Handle h = map->handle;
    u->atom_blank = map->map(h, LV2_ATOM__Blank);
    u->atom_object = map->map(h, LV2_ATOM__Object);
    u->time_position = map->map(h, LV2_TIME__Position);
    u->speed = map->map(h, LV2_TIME__speed);
    u->beats_per_minute = map->map(h, LV2_TIME__beatsPerMinute);
    u->beat = map->map(h, LV2_TIME__beat);
    u->beats_per_bar = map->map(h, LV2_TIME__beatsPerBar);
    u->beat_unit = map->map(h, LV2_TIME__beatUnit);
    u->bar = map->map(h, LV2_TIME__bar);
    u->bar_beat = map->map(h, LV2_TIME__barBeat);
    u->atom_float = map->map(h, LV2_ATOM__Float);
    u->atom_double = map->map(h, LV2_ATOM__Double);
    u->atom_int = map->map(h, LV2_ATOM__Int);
    u->atom_long = map->map(h, LV2_ATOM__Long);
}

namespace {

enum Field { kSpeed, kTempo, kBeat, kBeatsPerBar, kBeatUnit, kBar, kBarBeat, kFieldCount };

// One property value as read from its atom, before it meets the record.
struct Number {
    bool is_integer;
    int64_t integer;
    double real;
};

struct Found {
    bool found[kFieldCount];
    float speed, tempo, beats_per_bar, bar_beat;
    double beat;
    uint32_t beat_unit;
    uint64_t bar;
};

static uint32_t pad8(uint32_t size) {
    return (size + 7u) & ~7u;
}

// Reads a number atom by its actual type; false for other types and for
// bodies too small for their type.
static bool read_number(const Lv2TimeUrids* u, const LV2_Atom* atom, Number* out) {
    const void* body = atom + 1;
    if (atom->type == u->atom_float && atom->size >= 4) {
        float f;
        memcpy(&f, body, 4);
        *out = Number{false, 0, f};
    } else if (atom->type == u->atom_double && atom->size >= 8) {
        double d;
        memcpy(&d, body, 8);
        *out = Number{false, 0, d};
    } else if (atom->type == u->atom_int && atom->size >= 4) {
        int32_t i;
        memcpy(&i, body, 4);
        *out = Number{true, i, (double)i};
    } else if (atom->type == u->atom_long && atom->size >= 8) {
        int64_t l;
        memcpy(&l, body, 8);
        *out = Number{true, l, (double)l};
    } else {
        return false;
    }
    return true;
}

// Integer fields from a real value: only values the field can hold are
// taken (a float-to-integer conversion out of range is undefined).
static bool to_unsigned(const Number& n, double limit, uint64_t* out) {
    if (n.is_integer) {
        *out = (uint64_t)n.integer; // two's complement wrap, like the raw bytes
        return true;
    }
    if (!(n.real >= 0.0 && n.real < limit)) {
        return false;
    }
    *out = (uint64_t)n.real;
    return true;
}

static bool store_field(Found* f, int field, const Number& n) {
    uint64_t whole = 0;
    switch (field) {
    case kSpeed:
        f->speed = (float)n.real;
        break;
    case kTempo:
        f->tempo = (float)n.real;
        break;
    case kBeat:
        f->beat = n.real;
        break;
    case kBeatsPerBar:
        f->beats_per_bar = (float)n.real;
        break;
    case kBarBeat:
        f->bar_beat = (float)n.real;
        break;
    case kBeatUnit:
        if (!to_unsigned(n, 4294967296.0, &whole))
            return false;
        f->beat_unit = (uint32_t)whole;
        break;
    case kBar:
        if (!to_unsigned(n, 18446744073709551616.0, &whole))
            return false;
        f->bar = whole;
        break;
    default:
        return false;
    }
    return true;
}

static int field_of_key(const Lv2TimeUrids* u, LV2_URID key) {
    if (key == 0)
        return -1;
    if (key == u->speed)
        return kSpeed;
    if (key == u->beats_per_minute)
        return kTempo;
    if (key == u->beat)
        return kBeat;
    if (key == u->beats_per_bar)
        return kBeatsPerBar;
    if (key == u->beat_unit)
        return kBeatUnit;
    if (key == u->bar)
        return kBar;
    if (key == u->bar_beat)
        return kBarBeat;
    return -1;
}

// Walks one time:Position object's properties (its body holds `size`
// bytes); the first occurrence of a property in the object counts.
static void read_position(const Lv2TimeUrids* u, const uint8_t* body, uint32_t size, Found* f) {
    bool seen[kFieldCount] = {};
    uint32_t offset = sizeof(LV2_Atom_Object_Body);
    while ((uint64_t)offset + sizeof(LV2_Atom_Property_Body) <= size) {
        LV2_Atom_Property_Body prop;
        memcpy(&prop, body + offset, sizeof prop);
        uint64_t end = (uint64_t)offset + sizeof prop + prop.value.size;
        if (end > size) {
            return;
        }
        int field = field_of_key(u, prop.key);
        Number n;
        if (field >= 0 && !seen[field] &&
            read_number(u, (const LV2_Atom*)(body + offset + 8), &n) && store_field(f, field, n)) {
            seen[field] = true;
            f->found[field] = true;
        }
        uint64_t next = (uint64_t)offset + pad8(sizeof prop + prop.value.size);
        if (next > size) {
            return;
        }
        offset = (uint32_t)next;
    }
}

static bool is_position(const Lv2TimeUrids* u, const LV2_Atom* atom, const uint8_t* body) {
    if (atom->type != u->atom_object && atom->type != u->atom_blank)
        return false;
    if (atom->size < sizeof(LV2_Atom_Object_Body))
        return false;
    LV2_Atom_Object_Body ob;
    memcpy(&ob, body, sizeof ob);
    return ob.otype == u->time_position;
}

static void read_sequence(const Lv2TimeUrids* u, const LV2_Atom_Sequence* seq, Found* f) {
    const uint8_t* body = (const uint8_t*)&seq->body;
    uint32_t size = seq->atom.size;
    uint32_t offset = sizeof(LV2_Atom_Sequence_Body);
    while ((uint64_t)offset + sizeof(LV2_Atom_Event) <= size) {
        const LV2_Atom_Event* ev = (const LV2_Atom_Event*)(body + offset);
        uint64_t atom_end = (uint64_t)offset + sizeof(LV2_Atom_Event) + ev->body.size;
        if (atom_end > size) {
            return;
        }
        const uint8_t* atom_body = (const uint8_t*)(&ev->body + 1);
        if (is_position(u, &ev->body, atom_body)) {
            read_position(u, atom_body, ev->body.size, f);
        }
        offset += (uint32_t)(sizeof(LV2_Atom_Event) + pad8(ev->body.size));
        if (offset < atom_end) { // wrapped: a size near 2^32
            return;
        }
    }
}

static bool differs(double a, double b) {
    return !(a == b);
}

// The persistent fields: set changed and valid when new or different.
template <typename T>
static void take(TransportInfo* t, uint32_t bit, bool found, T value, T* field) {
    if (found && (!(t->valid_mask & bit) || differs((double)value, (double)*field))) {
        t->changed_mask |= bit;
        t->valid_mask |= bit;
        *field = value;
    }
}

// The position fields are valid only in blocks that carry them.
template <typename T>
static void take_or_drop(TransportInfo* t, uint32_t bit, bool found, T value, T* field) {
    if (found) {
        take(t, bit, found, value, field);
    } else if (t->valid_mask & bit) {
        t->changed_mask |= bit;
        t->valid_mask &= ~bit;
    }
}

// Integers compare exactly (a double would merge large bar numbers).
static void take_bar(TransportInfo* t, bool found, uint64_t value) {
    const uint32_t bit = 0x80;
    if (found) {
        if (!(t->valid_mask & bit) || value != t->bar) {
            t->changed_mask |= bit;
            t->valid_mask |= bit;
            t->bar = value;
        }
    } else if (t->valid_mask & bit) {
        t->changed_mask |= bit;
        t->valid_mask &= ~bit;
    }
}

static void take_speed(TransportInfo* t, bool found, float value) {
    if (!found)
        return;
    bool was_valid = (t->valid_mask & 0x2) != 0;
    if (was_valid && !differs(value, t->speed))
        return;
    bool start_or_stop = !was_valid || t->speed * value == 0.0f;
    t->changed_mask |= start_or_stop ? 0x3u : 0x2u;
    t->valid_mask |= 0x3u;
    t->rolling = value != 0.0f;
    t->speed = value;
}

} // namespace

void lv2_transport_intake(TransportInfo* t, const Lv2TimeUrids* u, const LV2_Atom_Sequence* seq) {
    Found f;
    memset(&f, 0, sizeof f);
    t->changed_mask = 0;
    if (seq && seq->atom.size > sizeof(LV2_Atom_Sequence_Body)) {
        read_sequence(u, seq, &f);
    }
    take_speed(t, f.found[kSpeed], f.speed);
    take(t, 0x4, f.found[kTempo], f.tempo, &t->tempo);
    take(t, 0x20, f.found[kBeatsPerBar], f.beats_per_bar, &t->beats_per_bar);
    take(t, 0x40, f.found[kBeatUnit], f.beat_unit, &t->beat_unit);
    take_or_drop(t, 0x10, f.found[kBeat], f.beat, &t->beat);
    take_bar(t, f.found[kBar], f.bar);
    take_or_drop(t, 0x100, f.found[kBarBeat], f.bar_beat, &t->bar_beat);
}
