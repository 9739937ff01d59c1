// The test LV2 host. Test code: it allocates freely and is not real-time.
#pragma once
#include <lv2/atom/atom.h>
#include <lv2/core/lv2.h>
#include <lv2/log/log.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>
#include <stdint.h>

#include <map>
#include <mutex>
#include <string>
#include <vector>

// URID map and unmap over a growing list of URIs. [any thread]
struct Lv2HostUrids {
    Lv2HostUrids();
    LV2_URID map(const char* uri);
    const char* unmap(LV2_URID urid);

    std::mutex mutex;
    std::vector<std::string> uris;
    LV2_URID_Map map_feature;
    LV2_URID_Unmap unmap_feature;
};

// A log feature that keeps every message with the type it was sent as.
struct Lv2HostLog {
    explicit Lv2HostLog(Lv2HostUrids* urids);
    std::string text(); // all messages, in order
    std::vector<LV2_URID> types();

    Lv2HostUrids* urids;
    std::mutex mutex;
    std::string messages;
    std::vector<LV2_URID> message_types;
    LV2_Log_Log log_feature;
};

// The feature list a host hands to instantiate; either feature may be left out.
struct Lv2HostFeatures {
    Lv2HostFeatures(Lv2HostUrids* urids, Lv2HostLog* log);
    const LV2_Feature* const* list() const { return pointers; }

    LV2_Feature map_f;
    LV2_Feature log_f;
    const LV2_Feature* pointers[3];
};

// A loaded module. path is a host path ('/'-separated; under Wine it is
// reached through drive Z:).
struct Lv2HostModule {
    bool open(const char* path);
    void close();
    const LV2_Descriptor* descriptor(uint32_t index) const;
    // The address of an exported symbol, or null.
    void* symbol(const char* name) const;

    void* handle = nullptr;
};

// An atom sequence in an 8-byte aligned buffer, as a host fills port 2.
struct Lv2HostSequence {
    explicit Lv2HostSequence(Lv2HostUrids* urids, uint32_t capacity = 4096);
    void clear();
    // Starts an event holding a time:Position object (or `object_type`).
    void begin_position(int64_t frames, LV2_URID object_type = 0, bool blank = false);
    void add_float(const char* key, float v);
    void add_double(const char* key, double v);
    void add_int(const char* key, int32_t v);
    void add_long(const char* key, int64_t v);
    // A property whose value atom has the given type and body size, holding
    // the first `size` bytes of `bytes` (zeros past them).
    void add_raw(const char* key, LV2_URID type, uint32_t size, const void* bytes);
    void end_event();
    LV2_Atom_Sequence* sequence() { return (LV2_Atom_Sequence*)storage.data(); }

    Lv2HostUrids* urids;
    std::vector<uint64_t> storage; // 8-byte aligned
    uint32_t event_start = 0;      // offset of the open event's atom header
};

// Store and retrieve callbacks over an in-memory property list.
struct Lv2HostState {
    struct Item {
        uint32_t type;
        uint32_t flags;
        std::vector<uint8_t> bytes;
    };
    static LV2_State_Status store(LV2_State_Handle h, uint32_t key, const void* value, size_t size,
                                  uint32_t type, uint32_t flags);
    static const void* retrieve(LV2_State_Handle h, uint32_t key, size_t* size, uint32_t* type,
                                uint32_t* flags);

    std::map<uint32_t, Item> items;
    LV2_State_Status store_result = LV2_STATE_SUCCESS; // what store answers
};
