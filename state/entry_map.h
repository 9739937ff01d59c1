// EntryMap: an ordered map from byte-string keys to byte ranges it does not
// own. It is the in-memory form of a tar archive (entry name -> contents) and
// of a key/value map (key -> value).
//
// The map owns its nodes and nothing else: keys and values stay wherever the
// caller put them (literals, locals, or the buffer a reader parsed) and must
// outlive the map. Equal keys may coexist; insertion never replaces.
//
// A map is used by one thread at a time; every function here is
// [non-audio threads] (they allocate).
#pragma once
#include <stddef.h>
#include <stdint.h>

// One key/value pair; both byte ranges are borrowed.
typedef struct EntryRecord {
    uint64_t key_length; // keys are not NUL-terminated
    uint64_t value_length;
    const void* key;
    const void* value;
} EntryRecord;

// A node of the height-balanced (AVL) tree. A leaf has height 1.
typedef struct EntryNode {
    struct EntryNode* parent;
    struct EntryNode* left;
    struct EntryNode* right;
    int32_t height;
    EntryRecord record;
} EntryNode;

// Negative, zero or positive as key a orders before, equal to or after b.
typedef int (*EntryCompare)(const void* a, size_t a_length, const void* b, size_t b_length);

typedef struct EntryMap {
    EntryNode* root;
    EntryCompare compare;
} EntryMap;

// The one key order: the first min(a_length, b_length) bytes compared as
// strncmp does (unsigned bytes, stopping at a NUL both keys share), then the
// shorter key first. Stored archives are sorted by it. [any thread]
int entry_map_compare_keys(const void* a, size_t a_length, const void* b, size_t b_length);

// A new empty map, or null when memory runs out.
EntryMap* entry_map_new(void);

// Frees the nodes and the map, never the key or value bytes. Null is allowed.
void entry_map_free(EntryMap* map);

// A reader's failure: frees the map (null allowed), sets errno to code and
// returns null. [any thread]
EntryMap* entry_map_fail(EntryMap* map, int code);

// Adds a pair. A key equal to one already present is placed immediately
// before it in key order. Returns 0, or -1 with the map unchanged when memory
// runs out.
int entry_map_insert(EntryMap* map, const void* key, size_t key_length, const void* value,
                     size_t value_length);

// The value of the first pair with an equal key met on the way down from the
// root, with its length stored through value_length (which may be null);
// null when no key is equal. A present pair never yields null, even when it
// was inserted with a null value of length 0.
const void* entry_map_find(const EntryMap* map, const void* key, size_t key_length,
                           size_t* value_length);

// Called for each pair; a non-zero result stops the walk.
typedef int32_t (*EntryVisitor)(const void* key, size_t key_length, const void* value,
                                size_t value_length, void* user);

// Visits the pairs in ascending key order. Returns 0 when every pair was
// visited, else the first non-zero value the visitor returned.
int32_t entry_map_for_each(const EntryMap* map, EntryVisitor visit, void* user);

// Number of pairs in the map.
size_t entry_map_count(const EntryMap* map);
