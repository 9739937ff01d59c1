// The edit controller's answers about the parameters themselves: their
// count and descriptions, value texts both ways and the conversions between
// normalized and plain values. They read only the parameter table, never a
// controller's current values, and fill IEditController's slots of the same
// names. [host UI thread]
#pragma once
#include <stdint.h>

#include "vst3/vst3_interfaces.h"

// The table index of a ParamID, or false. [any thread]
bool controller_param_index(ParamID id, uint32_t* index);

int32_t controller_get_parameter_count(IEditController* self);
tresult controller_get_parameter_info(IEditController* self, int32_t index, ParameterInfo* info);

tresult controller_get_param_string_by_value(IEditController* self, ParamID id,
                                             ParamValue normalized, char16* string);
tresult controller_get_param_value_by_string(IEditController* self, ParamID id, char16* string,
                                             ParamValue* normalized);

ParamValue controller_normalized_to_plain(IEditController* self, ParamID id, ParamValue normalized);
ParamValue controller_plain_to_normalized(IEditController* self, ParamID id, ParamValue plain);
