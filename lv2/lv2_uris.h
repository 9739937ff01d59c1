// The URIs that name this plug-in to LV2 hosts. The description files of
// the bundle are generated from the same constants.
#pragma once

#define OKA_LV2_PLUGIN_URI "https://zarvosonic.com/oka-oka-wah"
#define OKA_LV2_UI_URI OKA_LV2_PLUGIN_URI "#ui"
#define OKA_LV2_STATE_URI OKA_LV2_PLUGIN_URI "#state_data"

// File names inside the bundle folder.
#define OKA_LV2_BINARY_STEM "zarvo-oka-oka-wah"
#define OKA_LV2_PLUGIN_TTL OKA_LV2_BINARY_STEM ".ttl"
