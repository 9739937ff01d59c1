// The module's class factory: one static object offering the audio processor
// component and its edit controller. It has no mutable state, so any thread
// may call it.
#pragma once
#include "vst3/vst3_interfaces.h"

// Marks the module's exported entry points. On Windows the .def list names
// them; on Linux they keep default visibility and the version script lists
// them (everything else in the module is local).
#ifdef _WIN32
#define OKA_VST3_EXPORT
#else
#define OKA_VST3_EXPORT __attribute__((visibility("default")))
#endif

#include "vst3/factory_info.h"

// The static factory; never freed, not reference counted. [any thread]
IPluginFactory3* vst3_factory(void);

// The module's exported entry: the same factory pointer on every call, no
// reference added. [any thread]
extern "C" OKA_VST3_EXPORT IPluginFactory3* GetPluginFactory(void);

#ifndef _WIN32
// The Linux entry and exit around dlopen and dlclose (module_entry_linux.cc):
// the first entry records the module's folders, the balancing exit frees
// them. [host loading thread]
extern "C" OKA_VST3_EXPORT bool ModuleEntry(void* library_handle);
extern "C" OKA_VST3_EXPORT bool ModuleExit(void);
#endif
