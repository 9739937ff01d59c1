// What the module's factory says about itself and its two classes, as plain
// functions: the factory's table slots answer with them, and the build's
// moduleinfo.json generator writes the same answers for scanning hosts.
// Constant data only, so any thread may call them.
#pragma once
#include "vst3/vst3_interfaces.h"

extern const TUID kComponentClassId;
extern const TUID kControllerClassId;

// PFactoryInfo: vendor, URL, e-mail, flags (Unicode). kInvalidArgument for a
// null info. [any thread]
tresult factory_info_get(PFactoryInfo* info);
// 2. [any thread]
int32_t factory_info_count_classes(void);
// Class 0 (the component) or 1 (the controller); kInvalidArgument for any
// other index or a null info. [any thread]
tresult factory_info_get_class(int32_t index, PClassInfo* info);
tresult factory_info_get_class2(int32_t index, PClassInfo2* info);
tresult factory_info_get_class_unicode(int32_t index, PClassInfoW* info);
