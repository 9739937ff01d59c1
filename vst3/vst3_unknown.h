// The FUnknown part the module's objects share. An object offering several
// interfaces keeps one vtable pointer per interface (a facet) in one heap
// block; every facet answers queryInterface, addRef and release for the
// whole object, through the object's own three functions.
#pragma once
#include <stddef.h>
#include <stdint.h>

#include "platform/ref_count.h"
#include "vst3/vst3_interfaces.h"

// The object of type `Type` whose member `member` lies at `ptr`.
#define VST3_OBJECT_FROM(Type, ptr, member) ((Type*)((char*)(ptr)-offsetof(Type, member)))

// One interface id an object answers to, and the facet it hands out for it.
typedef struct Vst3Facet {
    const uint8_t* iid;
    void* iface;
} Vst3Facet;

// queryInterface over an object's facets: the first whose id matches, with
// one more reference on `ref_count`. kInvalidArgument when `obj` is null,
// else kNoInterface with *obj null when no id matches. [any thread]
tresult vst3_query_facets(const Vst3Facet* facets, size_t count, RefCount* ref_count,
                          const uint8_t* iid, void** obj);

// The three FUnknown slots of the facet `member` of `Type`, named
// member_query_interface, member_add_ref and member_release, forwarding to
// the object's `query(Type*, iid, obj)`, `add_ref(Type*)` and
// `release(Type*)`.
#define VST3_FACET_SLOTS(Type, member, query, add_ref, release)                                    \
    static tresult member##_query_interface(FUnknown* self, const uint8_t* iid, void** obj) {      \
        return query(VST3_OBJECT_FROM(Type, self, member), iid, obj);                              \
    }                                                                                              \
    static uint32_t member##_add_ref(FUnknown* self) {                                             \
        return add_ref(VST3_OBJECT_FROM(Type, self, member));                                      \
    }                                                                                              \
    static uint32_t member##_release(FUnknown* self) {                                             \
        return release(VST3_OBJECT_FROM(Type, self, member));                                      \
    }

// IConnectionPoint as both halves offer it: hosts connect the component and
// the controller, which exchange nothing directly. Connecting needs a peer;
// messages are accepted and ignored. [host UI thread]
tresult vst3_connection_connect(IConnectionPoint* self, IConnectionPoint* other);
tresult vst3_connection_disconnect(IConnectionPoint* self, IConnectionPoint* other);
tresult vst3_connection_notify(IConnectionPoint* self, FUnknown* message);
