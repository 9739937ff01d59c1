// The module's class factory: one static object offering the audio processor
// component and its edit controller. It has no mutable state, so any thread
// may call it.
#pragma once
#include "vst3/vst3_interfaces.h"

extern const TUID kComponentClassId;
extern const TUID kControllerClassId;

// The static factory; never freed, not reference counted. [any thread]
IPluginFactory3* vst3_factory(void);

// The module's exported entry: the same factory pointer on every call, no
// reference added. [any thread]
extern "C" IPluginFactory3* GetPluginFactory(void);
