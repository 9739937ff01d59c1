#include "vst3/vst3_unknown.h"

tresult vst3_query_facets(const Vst3Facet* facets, size_t count, RefCount* ref_count,
                          const uint8_t* iid, void** obj) {
    if (obj == nullptr)
        return kInvalidArgument;
    *obj = nullptr;
    for (size_t i = 0; i < count; ++i) {
        if (vst3_iid_equal(iid, facets[i].iid)) {
            *obj = facets[i].iface;
            ref_count_add(ref_count);
            return kResultOk;
        }
    }
    return kNoInterface;
}

tresult vst3_connection_connect(IConnectionPoint*, IConnectionPoint* other) {
    return other == nullptr ? kInvalidArgument : kResultOk;
}

tresult vst3_connection_disconnect(IConnectionPoint*, IConnectionPoint*) {
    return kResultOk;
}

tresult vst3_connection_notify(IConnectionPoint*, FUnknown*) {
    return kResultOk;
}
