#include "lv2/lv2_ports.h"

Lv2ParameterRecord lv2_parameter_record(uint32_t index) {
    const ParameterRecord& r = kInputParameterRecords[index];
    Lv2ParameterRecord out;
    out.index = index;
    out.minimum = (float)r.minimum;
    out.maximum = (float)r.maximum;
    out.default_value = (float)r.default_value;
    out.flags = r.flags & (kParamBypass | kParamToggled | kParamInteger);
    return out;
}

// Truncation toward zero without a library call; values of 2^23 and beyond
// are whole already, and NaN and infinities pass unchanged.
static float truncate_float(float x) {
    if (x > -8388608.0f && x < 8388608.0f) {
        return (float)(int32_t)x;
    }
    return x;
}

static float round_half_away(float x) {
    return x >= 0.0f ? truncate_float(x + 0.5f) : truncate_float(x - 0.5f);
}

static float clamp_to_record(const Lv2ParameterRecord& r, float x) {
    if (x < r.minimum)
        x = r.minimum;
    if (x > r.maximum)
        x = r.maximum;
    return x;
}

float lv2_port_to_plain(uint32_t index, float x) {
    Lv2ParameterRecord r = lv2_parameter_record(index);
    if (index == kBypass) {
        x = x > 0.0f ? 0.0f : 1.0f;
    } else if (r.flags & kParamToggled) {
        x = x > 0.0f ? 1.0f : 0.0f;
    } else if (r.flags & kParamInteger) {
        x = round_half_away(x);
    }
    return clamp_to_record(r, x);
}

float lv2_state_to_plain(uint32_t index, float x) {
    Lv2ParameterRecord r = lv2_parameter_record(index);
    if (r.flags & (kParamToggled | kParamBypass)) {
        x = x > 0.0f ? 1.0f : 0.0f;
    } else if (r.flags & kParamInteger) {
        x = round_half_away(x);
    }
    return clamp_to_record(r, x);
}
