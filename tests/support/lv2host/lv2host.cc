#include "tests/support/lv2host/lv2host.h"

#include <lv2/time/time.h>
#include <stdarg.h>
#include <stdio.h>
#include <string.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

static LV2_URID map_cb(LV2_URID_Map_Handle h, const char* uri) {
    return ((Lv2HostUrids*)h)->map(uri);
}
static const char* unmap_cb(LV2_URID_Unmap_Handle h, LV2_URID u) {
    return ((Lv2HostUrids*)h)->unmap(u);
}

Lv2HostUrids::Lv2HostUrids() {
    map_feature = {this, map_cb};
    unmap_feature = {this, unmap_cb};
}

LV2_URID Lv2HostUrids::map(const char* uri) {
    std::lock_guard<std::mutex> lock(mutex);
    for (size_t i = 0; i < uris.size(); ++i) {
        if (uris[i] == uri)
            return (LV2_URID)(i + 1);
    }
    uris.push_back(uri);
    return (LV2_URID)uris.size();
}

const char* Lv2HostUrids::unmap(LV2_URID urid) {
    std::lock_guard<std::mutex> lock(mutex);
    return urid >= 1 && urid <= uris.size() ? uris[urid - 1].c_str() : nullptr;
}

static int log_vprintf(LV2_Log_Handle h, LV2_URID type, const char* fmt, va_list ap) {
    Lv2HostLog* log = (Lv2HostLog*)h;
    char buf[2048];
    int n = vsnprintf(buf, sizeof buf, fmt, ap);
    std::lock_guard<std::mutex> lock(log->mutex);
    log->messages += buf;
    log->message_types.push_back(type);
    return n;
}

static int log_printf(LV2_Log_Handle h, LV2_URID type, const char* fmt, ...) {
    va_list ap;
    va_start(ap, fmt);
    int n = log_vprintf(h, type, fmt, ap);
    va_end(ap);
    return n;
}

Lv2HostLog::Lv2HostLog(Lv2HostUrids* u) : urids(u) {
    log_feature = {this, log_printf, log_vprintf};
}

std::string Lv2HostLog::text() {
    std::lock_guard<std::mutex> lock(mutex);
    return messages;
}

std::vector<LV2_URID> Lv2HostLog::types() {
    std::lock_guard<std::mutex> lock(mutex);
    return message_types;
}

Lv2HostFeatures::Lv2HostFeatures(Lv2HostUrids* urids, Lv2HostLog* log) {
    int n = 0;
    map_f = {LV2_URID__map, urids ? &urids->map_feature : nullptr};
    log_f = {LV2_LOG__log, log ? &log->log_feature : nullptr};
    if (urids)
        pointers[n++] = &map_f;
    if (log)
        pointers[n++] = &log_f;
    pointers[n] = nullptr;
}

bool Lv2HostModule::open(const char* path) {
#ifdef _WIN32
    std::wstring w;
    if (path[0] == '/')
        w = L"Z:";
    for (const char* c = path; *c; ++c)
        w += (wchar_t)(*c == '/' ? '\\' : *c);
    handle = (void*)LoadLibraryW(w.c_str());
#else
    handle = dlopen(path, RTLD_NOW | RTLD_LOCAL);
#endif
    return handle != nullptr;
}

void Lv2HostModule::close() {
    if (!handle)
        return;
#ifdef _WIN32
    FreeLibrary((HMODULE)handle);
#else
    dlclose(handle);
#endif
    handle = nullptr;
}

void* Lv2HostModule::symbol(const char* name) const {
#ifdef _WIN32
    return (void*)GetProcAddress((HMODULE)handle, name);
#else
    return dlsym(handle, name);
#endif
}

const LV2_Descriptor* Lv2HostModule::descriptor(uint32_t index) const {
    typedef const LV2_Descriptor* (*Fn)(uint32_t);
    Fn fn = (Fn)symbol("lv2_descriptor");
    return fn ? fn(index) : nullptr;
}

Lv2HostSequence::Lv2HostSequence(Lv2HostUrids* u, uint32_t capacity)
    : urids(u), storage(capacity / 8) {
    clear();
}

void Lv2HostSequence::clear() {
    LV2_Atom_Sequence* s = sequence();
    s->atom.type = urids->map(LV2_ATOM__Sequence);
    s->atom.size = sizeof(LV2_Atom_Sequence_Body);
    s->body.unit = 0;
    s->body.pad = 0;
}

static uint8_t* bytes_at(Lv2HostSequence* s, uint32_t offset) {
    return (uint8_t*)s->storage.data() + offset;
}

// Appends raw bytes to the sequence body, growing the open event's size.
static void append(Lv2HostSequence* s, const void* data, uint32_t size) {
    LV2_Atom_Sequence* seq = s->sequence();
    uint32_t end = (uint32_t)sizeof(LV2_Atom) + seq->atom.size;
    memcpy(bytes_at(s, end), data, size);
    seq->atom.size += size;
    ((LV2_Atom*)bytes_at(s, s->event_start))->size += size;
}

void Lv2HostSequence::begin_position(int64_t frames, LV2_URID object_type, bool blank) {
    LV2_Atom_Sequence* seq = sequence();
    uint32_t end = (uint32_t)sizeof(LV2_Atom) + seq->atom.size;
    LV2_Atom_Event ev;
    ev.time.frames = frames;
    ev.body.size = 0;
    ev.body.type = urids->map(blank ? LV2_ATOM__Blank : LV2_ATOM__Object);
    memcpy(bytes_at(this, end), &ev, sizeof ev);
    seq->atom.size += sizeof ev;
    event_start = end + 8;
    LV2_Atom_Object_Body ob = {0, object_type ? object_type : urids->map(LV2_TIME__Position)};
    append(this, &ob, sizeof ob);
}

void Lv2HostSequence::add_raw(const char* key, LV2_URID type, uint32_t size, const void* bytes) {
    LV2_Atom_Property_Body prop = {urids->map(key), 0, {size, type}};
    append(this, &prop, sizeof prop);
    uint8_t body[64] = {};
    memcpy(body, bytes, size < sizeof body ? size : sizeof body);
    uint32_t padded = (size + 7u) & ~7u;
    append(this, body, padded);
    // The property's value size stays the unpadded one; the padding belongs
    // to the object's body.
}

void Lv2HostSequence::add_float(const char* key, float v) {
    add_raw(key, urids->map(LV2_ATOM__Float), 4, &v);
}
void Lv2HostSequence::add_double(const char* key, double v) {
    add_raw(key, urids->map(LV2_ATOM__Double), 8, &v);
}
void Lv2HostSequence::add_int(const char* key, int32_t v) {
    add_raw(key, urids->map(LV2_ATOM__Int), 4, &v);
}
void Lv2HostSequence::add_long(const char* key, int64_t v) {
    add_raw(key, urids->map(LV2_ATOM__Long), 8, &v);
}

void Lv2HostSequence::end_event() {
    // Events start 8-byte aligned: pad the sequence after the object.
    LV2_Atom_Sequence* seq = sequence();
    seq->atom.size = (seq->atom.size + 7u) & ~7u;
}

LV2_State_Status Lv2HostState::store(LV2_State_Handle h, uint32_t key, const void* value,
                                     size_t size, uint32_t type, uint32_t flags) {
    Lv2HostState* s = (Lv2HostState*)h;
    if (s->store_result != LV2_STATE_SUCCESS)
        return s->store_result;
    const uint8_t* b = (const uint8_t*)value;
    s->items[key] = Item{type, flags, std::vector<uint8_t>(b, b + size)};
    return LV2_STATE_SUCCESS;
}

const void* Lv2HostState::retrieve(LV2_State_Handle h, uint32_t key, size_t* size, uint32_t* type,
                                   uint32_t* flags) {
    Lv2HostState* s = (Lv2HostState*)h;
    auto it = s->items.find(key);
    if (it == s->items.end())
        return nullptr;
    *size = it->second.bytes.size();
    *type = it->second.type;
    *flags = it->second.flags;
    return it->second.bytes.data();
}
