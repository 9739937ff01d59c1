#include "vst3/controller_params.h"

#include <string.h>

#include "engine/parameter_table.h"

bool controller_param_index(ParamID id, uint32_t* index) {
    return indexFromParamId(id, index) && *index < kParameterCount;
}

int32_t controller_get_parameter_count(IEditController*) {
    return kParameterCount;
}

static void copy_title(char16* out, const char16_t* text) {
    memset(out, 0, sizeof(String128));
    for (size_t i = 0; text != nullptr && text[i] != 0 && i < 127; ++i)
        out[i] = text[i];
}

tresult controller_get_parameter_info(IEditController*, int32_t index, ParameterInfo* info) {
    if (index < 0 || index >= (int32_t)kParameterCount || info == nullptr)
        return kResultFalse;
    const ParameterDescription* d = &kParameterDescriptions[index];
    info->id = d->param_id;
    copy_title(info->title, d->title);
    copy_title(info->shortTitle, d->short_title);
    copy_title(info->units, d->units);
    info->stepCount = d->step_count;
    info->defaultNormalizedValue = d->default_normalized;
    info->unitId = 0;
    info->flags = d->vst3_flags;
    return kResultOk;
}

tresult controller_get_param_string_by_value(IEditController*, ParamID id, ParamValue normalized,
                                             char16* string) {
    uint32_t index = 0;
    if (!controller_param_index(id, &index))
        return kResultFalse;
    if (string == nullptr)
        return kInvalidArgument;
    formatValue(index, normalized, string);
    return kResultOk;
}

tresult controller_get_param_value_by_string(IEditController*, ParamID id, char16* string,
                                             ParamValue* normalized) {
    uint32_t index = 0;
    if (!controller_param_index(id, &index))
        return kResultFalse;
    if (string == nullptr || normalized == nullptr)
        return kInvalidArgument;
    // Host texts are String128s: never read past 128 units, terminated or not.
    String128 text;
    size_t length = 0;
    while (length < 127 && string[length] != 0) {
        text[length] = string[length];
        ++length;
    }
    text[length] = 0;
    // The table's reading is not clamped; hosts get a normalized value, in
    // 0..1. Texts below the range (a logarithmic parameter's 0 or less gives
    // -inf or NaN) land on its bottom.
    double value = parseValue(index, text);
    if (!(value >= 0.0))
        value = 0.0;
    if (value > 1.0)
        value = 1.0;
    *normalized = value;
    return kResultOk;
}

// No error channel: a ParamID outside the table gives the value back
// unchanged, without any table lookup.
ParamValue controller_normalized_to_plain(IEditController*, ParamID id, ParamValue normalized) {
    uint32_t index = 0;
    return controller_param_index(id, &index) ? normalizedToPlain(index, normalized) : normalized;
}

ParamValue controller_plain_to_normalized(IEditController*, ParamID id, ParamValue plain) {
    uint32_t index = 0;
    return controller_param_index(id, &index) ? plainToNormalized(index, plain) : plain;
}
