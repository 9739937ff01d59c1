// Rewrites the engine's transport record from a VST3 process context.
#pragma once
#include "engine/wah_engine.h"
#include "vst3/vst3_types.h"

// Sets `changed_mask` to the fields that changed since the previous block
// and `valid_mask` to the fields the host now provides. A null context
// turns every valid field invalid (and changed). [audio thread]
void transport_update(TransportInfo* transport, const ProcessContext* context);
