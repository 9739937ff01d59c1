#include "tests/support/vst3host/vst3host.h"

#include <string.h>

// ---- paths ---------------------------------------------------------------------

std::string vst3host_windows_path(const char* unix_path) {
    std::string out = "Z:";
    for (const char* p = unix_path; *p; ++p)
        out += *p == '/' ? '\\' : *p;
    return out;
}

// ---- generic FUnknown helpers --------------------------------------------------

void* vst3host_query(void* object, const uint8_t* iid) {
    FUnknown* unknown = (FUnknown*)object;
    void* result = (void*)1;
    if (unknown->vtbl->queryInterface(unknown, iid, &result) != kResultOk)
        return nullptr;
    return result;
}

uint32_t vst3host_release(void* object) {
    return ((FUnknown*)object)->vtbl->release((FUnknown*)object);
}

uint32_t vst3host_add_ref(void* object) {
    return ((FUnknown*)object)->vtbl->addRef((FUnknown*)object);
}

std::string vst3host_utf8(const char16_t* text) {
    std::string out;
    for (; text != nullptr && *text; ++text) {
        uint32_t c = *text;
        if (c < 0x80) {
            out += (char)c;
        } else if (c < 0x800) {
            out += (char)(0xC0 | (c >> 6));
            out += (char)(0x80 | (c & 0x3F));
        } else {
            out += (char)(0xE0 | (c >> 12));
            out += (char)(0x80 | ((c >> 6) & 0x3F));
            out += (char)(0x80 | (c & 0x3F));
        }
    }
    return out;
}

// Host objects live on the test's stack: counting is kept for checks, never
// frees.
static tresult no_interface(const uint8_t*, void** obj) {
    if (obj)
        *obj = nullptr;
    return kNoInterface;
}

// ---- memory stream -------------------------------------------------------------

static MemoryStream* as_stream(void* s) {
    return (MemoryStream*)s;
}

static tresult stream_qi(FUnknown* self, const uint8_t* iid, void** obj) {
    if (vst3_iid_equal(iid, kIidFUnknown) || vst3_iid_equal(iid, kIidIBStream)) {
        *obj = self;
        ++as_stream(self)->ref_count;
        return kResultOk;
    }
    return no_interface(iid, obj);
}
static uint32_t stream_add_ref(FUnknown* self) {
    return (uint32_t)++as_stream(self)->ref_count;
}
static uint32_t stream_release(FUnknown* self) {
    return (uint32_t)--as_stream(self)->ref_count;
}

static tresult stream_read(IBStream* self, void* buffer, int32_t n, int32_t* done) {
    MemoryStream* s = as_stream(self);
    if (n < 0)
        return kInvalidArgument;
    int64_t left = (int64_t)s->bytes.size() - s->position;
    if (left < 0)
        left = 0;
    int64_t count = n < left ? n : left;
    if (s->read_limit > 0 && count > s->read_limit)
        count = s->read_limit;
    if (count > 0)
        memcpy(buffer, s->bytes.data() + s->position, (size_t)count);
    s->position += count;
    if (done)
        *done = (int32_t)count;
    return kResultOk;
}

static tresult stream_write(IBStream* self, void* buffer, int32_t n, int32_t* done) {
    MemoryStream* s = as_stream(self);
    if (n < 0)
        return kInvalidArgument;
    int32_t count = s->write_limit > 0 && n > s->write_limit ? s->write_limit : n;
    if ((size_t)(s->position + count) > s->bytes.size())
        s->bytes.resize((size_t)(s->position + count));
    if (count > 0)
        memcpy(s->bytes.data() + s->position, buffer, (size_t)count);
    s->position += count;
    if (done)
        *done = count;
    return kResultOk;
}

static tresult stream_seek(IBStream* self, int64_t pos, int32_t mode, int64_t* result) {
    MemoryStream* s = as_stream(self);
    int64_t base = mode == kIBSeekSet   ? 0
                   : mode == kIBSeekCur ? s->position
                                        : (int64_t)s->bytes.size();
    if (mode < kIBSeekSet || mode > kIBSeekEnd || base + pos < 0)
        return kInvalidArgument;
    s->position = base + pos;
    if (result)
        *result = s->position;
    return kResultOk;
}

static tresult stream_tell(IBStream* self, int64_t* pos) {
    if (pos == nullptr)
        return kInvalidArgument;
    *pos = as_stream(self)->position;
    return kResultOk;
}

static const IBStreamVtbl kStreamVtbl = {stream_qi,    stream_add_ref, stream_release, stream_read,
                                         stream_write, stream_seek,    stream_tell};

void memory_stream_init(MemoryStream* s) {
    s->iface.vtbl = &kStreamVtbl;
    s->bytes.clear();
    s->position = 0;
    s->write_limit = 0;
    s->read_limit = 0;
    s->ref_count = 1;
}

void memory_stream_rewind(MemoryStream* s) {
    s->position = 0;
}

// ---- parameter changes -----------------------------------------------------------

static tresult queue_qi(FUnknown* self, const uint8_t* iid, void** obj) {
    if (vst3_iid_equal(iid, kIidFUnknown) || vst3_iid_equal(iid, kIidIParamValueQueue)) {
        *obj = self;
        return kResultOk;
    }
    return no_interface(iid, obj);
}
static uint32_t queue_ref(FUnknown*) {
    return 1;
}
static ParamID queue_id(IParamValueQueue* self) {
    return ((HostQueue*)self)->id;
}
static int32_t queue_count(IParamValueQueue* self) {
    return ((HostQueue*)self)->count;
}

static tresult queue_get(IParamValueQueue* self, int32_t index, int32_t* offset, double* value) {
    HostQueue* q = (HostQueue*)self;
    if (index < 0 || index >= q->count)
        return kInvalidArgument;
    *offset = q->offsets[index];
    *value = q->values[index];
    return kResultOk;
}

static tresult queue_add(IParamValueQueue* self, int32_t offset, double value, int32_t* index) {
    HostQueue* q = (HostQueue*)self;
    if (q->count >= kHostMaxPoints)
        return kResultFalse;
    q->offsets[q->count] = offset;
    q->values[q->count] = value;
    if (index)
        *index = q->count;
    ++q->count;
    return kResultOk;
}

static const IParamValueQueueVtbl kQueueVtbl = {queue_qi,    queue_ref, queue_ref, queue_id,
                                                queue_count, queue_get, queue_add};

static tresult changes_qi(FUnknown* self, const uint8_t* iid, void** obj) {
    if (vst3_iid_equal(iid, kIidFUnknown) || vst3_iid_equal(iid, kIidIParameterChanges)) {
        *obj = self;
        return kResultOk;
    }
    return no_interface(iid, obj);
}
static uint32_t changes_ref(FUnknown*) {
    return 1;
}

static int32_t changes_count(IParameterChanges* self) {
    HostChanges* c = (HostChanges*)self;
    if (c->on_enumerate)
        c->on_enumerate(c->user);
    return c->count;
}

static IParamValueQueue* changes_get(IParameterChanges* self, int32_t index) {
    HostChanges* c = (HostChanges*)self;
    return index >= 0 && index < c->count ? &c->queues[index].iface : nullptr;
}

static HostQueue* find_or_add(HostChanges* c, ParamID id, int32_t* index) {
    for (int32_t i = 0; i < c->count; ++i) {
        if (c->queues[i].id == id) {
            if (index)
                *index = i;
            return &c->queues[i];
        }
    }
    if (c->count >= kHostMaxQueues)
        return nullptr;
    HostQueue* q = &c->queues[c->count];
    q->iface.vtbl = &kQueueVtbl;
    q->id = id;
    q->count = 0;
    if (index)
        *index = c->count;
    ++c->count;
    return q;
}

static IParamValueQueue* changes_add(IParameterChanges* self, const ParamID* id, int32_t* index) {
    if (id == nullptr)
        return nullptr;
    HostQueue* q = find_or_add((HostChanges*)self, *id, index);
    return q ? &q->iface : nullptr;
}

static const IParameterChangesVtbl kChangesVtbl = {changes_qi,    changes_ref, changes_ref,
                                                   changes_count, changes_get, changes_add};

void host_changes_init(HostChanges* changes) {
    changes->iface.vtbl = &kChangesVtbl;
    changes->count = 0;
    changes->on_enumerate = nullptr;
    changes->user = nullptr;
}

void host_changes_add(HostChanges* changes, ParamID id, int32_t offset, double value) {
    HostQueue* q = find_or_add(changes, id, nullptr);
    if (q != nullptr)
        queue_add(&q->iface, offset, value, nullptr);
}

const HostQueue* host_changes_find(const HostChanges* changes, ParamID id) {
    for (int32_t i = 0; i < changes->count; ++i) {
        if (changes->queues[i].id == id)
            return &changes->queues[i];
    }
    return nullptr;
}

// ---- component handler -----------------------------------------------------------

static RecordingHandler* as_handler(void* h) {
    return (RecordingHandler*)h;
}

static tresult handler_qi(FUnknown* self, const uint8_t* iid, void** obj) {
    if (vst3_iid_equal(iid, kIidFUnknown) || vst3_iid_equal(iid, kIidIComponentHandler)) {
        *obj = self;
        ++as_handler(self)->ref_count;
        return kResultOk;
    }
    return no_interface(iid, obj);
}
static uint32_t handler_add_ref(FUnknown* self) {
    return (uint32_t)++as_handler(self)->ref_count;
}
static uint32_t handler_release(FUnknown* self) {
    return (uint32_t)--as_handler(self)->ref_count;
}
static tresult handler_record(IComponentHandler* self, HostEdit edit) {
    RecordingHandler* h = as_handler(self);
    h->edits.push_back(edit);
    if (h->on_edit)
        h->on_edit(edit);
    return kResultOk;
}
static tresult handler_begin(IComponentHandler* self, ParamID id) {
    return handler_record(self, {'b', id, 0.0});
}
static tresult handler_perform(IComponentHandler* self, ParamID id, double value) {
    return handler_record(self, {'p', id, value});
}
static tresult handler_end(IComponentHandler* self, ParamID id) {
    return handler_record(self, {'e', id, 0.0});
}
static tresult handler_restart(IComponentHandler*, int32_t) {
    return kResultOk;
}

static const IComponentHandlerVtbl kHandlerVtbl = {handler_qi,     handler_add_ref, handler_release,
                                                   handler_begin,  handler_perform, handler_end,
                                                   handler_restart};

void recording_handler_init(RecordingHandler* handler) {
    handler->iface.vtbl = &kHandlerVtbl;
    handler->ref_count = 1;
    handler->edits.clear();
    handler->on_edit = nullptr;
}

// ---- host context ------------------------------------------------------------------

static tresult context_qi(FUnknown* self, const uint8_t* iid, void** obj) {
    if (vst3_iid_equal(iid, kIidFUnknown) || vst3_iid_equal(iid, kIidIHostApplication)) {
        *obj = self;
        ++((HostContext*)self)->ref_count;
        return kResultOk;
    }
    return no_interface(iid, obj);
}
static uint32_t context_add_ref(FUnknown* self) {
    return (uint32_t)++((HostContext*)self)->ref_count;
}
static uint32_t context_release(FUnknown* self) {
    return (uint32_t)--((HostContext*)self)->ref_count;
}

static const FUnknownVtbl kContextVtbl = {context_qi, context_add_ref, context_release};

void host_context_init(HostContext* context) {
    context->iface.vtbl = &kContextVtbl;
    context->ref_count = 1;
}
