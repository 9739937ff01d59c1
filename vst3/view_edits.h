// The page's edits as the view hands them to the host: the three edit
// callbacks the view gives its web view host, and the ending of gestures an
// editor leaves open when it closes.
#pragma once
#include <stdint.h>

#include "vst3/vst3_view.h"

// The edit callbacks (userData is the view). [host UI thread]
int32_t view_begin_edit(void* user, uint32_t index, float value);
int32_t view_set_edit(void* user, uint32_t index, float value);
int32_t view_end_edit(void* user, uint32_t index, float value);

// Ends, with the host, one gesture a closing editor leaves open
// (edit_gestures_end_all's callback; user is the view). [host UI thread]
void end_left_gesture(void* user, uint32_t index);
