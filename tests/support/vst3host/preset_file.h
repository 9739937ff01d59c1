// The test host's .vstpreset loader: what a DAW does when the user picks a
// preset file. It checks the file's header, that it was made for the class
// of the component at hand, and its chunk list, then hands the "Comp" chunk
// to the component's setState as a stream of its own (and, when the
// component accepts it, to the controller's setComponentState).
//
// Used from a test's thread, one call at a time.
#pragma once
#include <stddef.h>
#include <stdint.h>
#include <string>
#include <vector>

#include "vst3/vst3_interfaces.h"

// The 32-character text of a class id as preset files and module
// descriptions carry it, from the 16 bytes this host passes to the factory.
std::string vst3host_class_id_text(const TUID cid);

// Where a readable preset keeps its component state.
typedef struct PresetChunk {
    size_t offset;
    size_t size;
} PresetChunk;

// Reads the file's layout. False, with `error` saying what is wrong, for a
// file that is not a .vstpreset, one for another class than `class_id`, or
// one whose chunk list or "Comp" chunk does not lie whole inside the file.
bool vst3host_read_preset(const std::vector<uint8_t>& file, const TUID class_id, PresetChunk* comp,
                          std::string* error);

// vst3host_read_preset, then setState on `component` with the Comp chunk,
// then (when given, and only when the component took it)
// setComponentState on `controller`. True when the component took it;
// otherwise `error` says why, and nothing was applied when the file itself
// was refused.
bool vst3host_load_preset(const std::vector<uint8_t>& file, const TUID class_id,
                          IComponent* component, IEditController* controller, std::string* error);
