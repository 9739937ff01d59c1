// The constant parameter table and its pure conversions. Every function here
// is safe on any thread, the audio thread included: no allocation, no locks.
#include "engine/parameter_table.h"

#include <math.h>

namespace {

// ln(20 / 0.2) and ln(1000 / 1) as the doubles the mappings divide by.
constexpr double kFreeRateLogSpan = 0x1.26bb1bbb55516p+2;
constexpr double kEnvTimeLogSpan = 0x1.ba18a998fffa0p+2;

constexpr uint32_t kSwitch = kParamToggled | kParamInteger;

} // namespace

const ParameterRecord kInputParameterRecords[kInputParameterCount] = {
    {kPosition, 0.0, 100.0, 50.0, 0, 0.0},
    {kMix, 0.0, 100.0, 100.0, 0, 0.0},
    {kHeelJaw, 0.0, 100.0, 12.4222007837421, 0, 0.0},
    {kHeelTongue, 0.0, 100.0, 12.6221400720352, 0, 0.0},
    {kHeelColor, 0.0, 100.0, 32.6749101409938, 0, 0.0},
    {kHeelSex, 0.0, 100.0, 50.0, 0, 0.0},
    {kHeelAge, 0.0, 100.0, 100.0, 0, 0.0},
    {kMidOn, 0.0, 1.0, 0.0, kSwitch, 0.0},
    {kMidJaw, 0.0, 100.0, 46.6582563814956, 0, 0.0},
    {kMidTongue, 0.0, 100.0, 71.2919267668632, 0, 0.0},
    {kMidColor, 0.0, 100.0, 45.0149668194776, 0, 0.0},
    {kMidSex, 0.0, 100.0, 50.0, 0, 0.0},
    {kMidAge, 0.0, 100.0, 100.0, 0, 0.0},
    {kToeJaw, 0.0, 100.0, 95.9426643982532, 0, 0.0},
    {kToeTongue, 0.0, 100.0, 69.4366275208754, 0, 0.0},
    {kToeColor, 0.0, 100.0, 55.0607107213899, 0, 0.0},
    {kToeSex, 0.0, 100.0, 50.0, 0, 0.0},
    {kToeAge, 0.0, 100.0, 100.0, 0, 0.0},
    {kLfoOn, 0.0, 1.0, 0.0, kSwitch, 0.0},
    {kLfoWaveform, 1.0, 4.0, 1.0, 0, 0.0},
    {kLfoAmount, 0.0, 100.0, 100.0, 0, 0.0},
    {kLfoBias, -100.0, 100.0, 0.0, 0, 0.0},
    {kLfoSkew, -100.0, 100.0, 0.0, 0, 0.0},
    {kLfoSync, 0.0, 1.0, 0.0, kSwitch, 0.0},
    {kLfoFreeRate, 0.2, 20.0, 2.0, kParamLogarithmic, kFreeRateLogSpan},
    {kLfoSyncRate, 1.0, 24.0, 8.0, kParamInteger, 0.0},
    {kLfoSyncPhase, 0.0, 360.0, 0.0, 0, 0.0},
    {kEnvOn, 0.0, 1.0, 0.0, kSwitch, 0.0},
    {kEnvAmount, -100.0, 100.0, 100.0, 0, 0.0},
    {kEnvAttack, 1.0, 1000.0, 100.0, kParamLogarithmic, kEnvTimeLogSpan},
    {kEnvRelease, 1.0, 1000.0, 100.0, kParamLogarithmic, kEnvTimeLogSpan},
    {kBypass, 0.0, 1.0, 0.0, kParamBypass, 0.0},
};

const ParameterRecord kOutputParameterRecords[kOutputParameterCount] = {
    {kModPosition, 0.0, 100.0, 50.0, 0, 0.0},
    {kLfoPhase, 0.0, 1.0, 0.0, 0, 0.0},
    {kLfoOut, -1.0, 1.0, 0.0, 0, 0.0},
    {kEnvOut, -1.0, 1.0, 0.0, 0, 0.0},
};

const uint8_t kParameterRowMap[kParameterCount] = {
    0,  1,  2,  3,  4,  5,  6,  7,  8,  9,  10, 11, 12, 13, 14, 15, 16, 17,
    18, 19, 20, 21, 22, 23, 24, 25, 26, 27, 28, 29, 30, 31, 0,  1,  2,  3,
};

namespace {
constexpr int32_t kAuto = kVst3CanAutomate;
constexpr int32_t kRead = kVst3IsReadOnly;
} // namespace

const ParameterDescription kParameterDescriptions[kParameterCount] = {
    {"position", 1333256809u, u"Position", u"Position", u"%", 0, 0.5, kAuto},
    {"mix", 907392060u, u"Mix", u"Mix", u"%", 0, 1.0, kAuto},
    {"heel_jaw", 502643557u, u"Heel jaw", u"Heel jaw", u"%", 0, 0.124222007837421, kAuto},
    {"heel_tongue", 1687151167u, u"Heel tongue", u"Heel tongue", u"%", 0, 0.126221400720352, kAuto},
    {"heel_color", 1701944200u, u"Heel color", u"Heel color", u"%", 0, 0.326749101409938, kAuto},
    {"heel_sex", 577259499u, u"Heel sex", u"Heel sex", u"%", 0, 0.5, kAuto},
    {"heel_age", 428683588u, u"Heel age", u"Heel age", u"%", 0, 1.0, kAuto},
    {"mid_on", 683198070u, u"Mid on", u"Mid on", u"", 1, 0.0, kAuto},
    {"mid_jaw", 1231783625u, u"Mid jaw", u"Mid jaw", u"%", 0, 0.466582563814956, kAuto},
    {"mid_tongue", 1963712987u, u"Mid tongue", u"Mid tongue", u"%", 0, 0.712919267668632, kAuto},
    {"mid_color", 1307571436u, u"Mid color", u"Mid color", u"%", 0, 0.450149668194776, kAuto},
    {"mid_sex", 1306399567u, u"Mid sex", u"Mid sex", u"%", 0, 0.5, kAuto},
    {"mid_age", 1157823656u, u"Mid age", u"Mid age", u"%", 0, 1.0, kAuto},
    {"toe_jaw", 1838068427u, u"Toe jaw", u"Toe jaw", u"%", 0, 0.959426643982532, kAuto},
    {"toe_tongue", 1679251289u, u"Toe tongue", u"Toe tongue", u"%", 0, 0.694366275208754, kAuto},
    {"toe_color", 1010384878u, u"Toe color", u"Toe color", u"%", 0, 0.550607107213899, kAuto},
    {"toe_sex", 1912684369u, u"Toe sex", u"Toe sex", u"%", 0, 0.5, kAuto},
    {"toe_age", 1764108458u, u"Toe age", u"Toe age", u"%", 0, 1.0, kAuto},
    {"lfo_on", 1183989865u, u"LFO on", u"LFO on", u"", 1, 0.0, kAuto},
    {"lfo_waveform", 1555420231u, u"LFO waveform", u"LFO waveform", u"", 0, 0.0, kAuto},
    {"lfo_amount", 1416313666u, u"LFO amount", u"LFO amount", u"%", 0, 1.0, kAuto},
    {"lfo_bias", 1983433987u, u"LFO bias", u"LFO bias", u"%", 0, 0.5, kAuto},
    {"lfo_skew", 237816244u, u"LFO skew", u"LFO skew", u"", 0, 0.5, kAuto},
    {"lfo_sync", 354067685u, u"LFO sync", u"LFO sync", u"", 1, 0.0, kAuto},
    {"lfo_free_rate", 1667852873u, u"LFO free rate", u"LFO free rate", u"Hz", 0, 0.5, kAuto},
    {"lfo_sync_rate", 1818070170u, u"LFO sync rate", u"LFO sync rate", u"", 23, 0.30434782608695654,
     kAuto},
    {"lfo_sync_phase", 1814654561u, u"LFO sync phase", u"LFO sync phase", u"", 0, 0.0, kAuto},
    {"env_on", 275662065u, u"Env on", u"Env on", u"", 1, 0.0, kAuto},
    {"env_amount", 156612554u, u"Env amount", u"Env amount", u"%", 0, 1.0, kAuto},
    {"env_attack", 1133128634u, u"Env attack", u"Env attack", u"ms", 0, 0.6666666666666667, kAuto},
    {"env_release", 1354700021u, u"Env release", u"Env release", u"ms", 0, 0.6666666666666667,
     kAuto},
    {"bypass", 150732888u, u"Bypass", u"Bypass", u"", 1, 0.0, kAuto | kVst3IsBypass},
    {"mod_position", 2095569830u, u"Modulated position", u"Mod position", u"%", 0, 0.5, kRead},
    {"lfo_phase", 1835259249u, u"LFO phase", u"LFO phase", u"", 0, 0.0, kRead},
    {"lfo_out", 510516228u, u"LFO output", u"LFO out", u"", 0, 0.5, kRead},
    {"env_out", 1343945084u, u"Env output", u"Env out", u"", 0, 0.5, kRead},
};

const float kSyncRatios[kSyncRateCount] = {
    1.0f / 6.0f,  1.0f / 4.0f, 3.0f / 8.0f, 1.0f / 3.0f,  1.0f / 2.0f, 3.0f / 4.0f,
    2.0f / 3.0f,  1.0f,        3.0f / 2.0f, 4.0f / 3.0f,  2.0f,        3.0f,
    8.0f / 3.0f,  4.0f,        6.0f,        16.0f / 3.0f, 8.0f,        12.0f,
    32.0f / 3.0f, 16.0f,       24.0f,       64.0f / 3.0f, 32.0f,       48.0f,
};

const ParameterRecord* parameter_record(uint32_t index) {
    if (index >= kParameterCount)
        return nullptr;
    if (index < kInputParameterCount)
        return &kInputParameterRecords[kParameterRowMap[index]];
    return &kOutputParameterRecords[kParameterRowMap[index]];
}

bool indexFromParamId(uint32_t param_id, uint32_t* index) {
    // 36 entries: a linear scan is as fast as anything and needs no second table.
    for (uint32_t i = 0; i < kParameterCount; ++i) {
        if (kParameterDescriptions[i].param_id == param_id) {
            if (index)
                *index = i;
            return true;
        }
    }
    return false;
}

double normalizedToPlain(uint32_t index, double normalized) {
    const ParameterRecord* r = parameter_record(index);
    if (!r)
        return 0.0;
    if (r->flags & kParamLogarithmic)
        return r->minimum * exp(normalized * r->log_span);
    return r->minimum + (r->maximum - r->minimum) * normalized;
}

double plainToNormalized(uint32_t index, double plain) {
    const ParameterRecord* r = parameter_record(index);
    if (!r)
        return 0.0;
    if (r->flags & kParamLogarithmic)
        return log(plain / r->minimum) / r->log_span;
    return (plain - r->minimum) / (r->maximum - r->minimum);
}

double snapAndClamp(uint32_t index, double plain) {
    const ParameterRecord* r = parameter_record(index);
    if (!r)
        return 0.0;
    double v = plain;
    if (r->flags & (kParamBypass | kParamToggled)) {
        v = v >= 0.5 ? 1.0 : 0.0;
    } else if (r->flags & kParamInteger) {
        v = v >= 0.0 ? trunc(v + 0.5) : trunc(v - 0.5);
    }
    // A NaN compares false both ways; it lands on the minimum.
    if (!(v >= r->minimum))
        v = r->minimum;
    if (v > r->maximum)
        v = r->maximum;
    return v;
}
