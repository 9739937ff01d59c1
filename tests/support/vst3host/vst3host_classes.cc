// How a host reads the class list of a module's factory.
#include "tests/support/vst3host/vst3host.h"

#include "tests/support/vst3host/preset_file.h"

#include <string.h>

namespace {

std::string field(const char* text, size_t capacity) {
    return std::string(text, strnlen(text, capacity));
}

std::vector<std::string> split(const std::string& text) {
    std::vector<std::string> out;
    for (size_t start = 0; !text.empty() && start <= text.size();) {
        size_t bar = text.find('|', start);
        if (bar == std::string::npos)
            bar = text.size();
        out.push_back(text.substr(start, bar - start));
        start = bar + 1;
    }
    return out;
}

} // namespace

std::vector<HostClassInfo> vst3host_read_classes(IPluginFactory3* factory) {
    std::vector<HostClassInfo> classes;
    PFactoryInfo factory_info = {};
    factory->vtbl->getFactoryInfo(factory, &factory_info);
    std::string factory_vendor = field(factory_info.vendor, sizeof factory_info.vendor);
    auto* unicode = (IPluginFactory3*)vst3host_query(factory, kIidIPluginFactory3);
    auto* second = (IPluginFactory3*)vst3host_query(factory, kIidIPluginFactory2);
    for (int32_t i = 0; i < factory->vtbl->countClasses(factory); ++i) {
        HostClassInfo c = {};
        if (unicode) {
            PClassInfoW w = {};
            unicode->vtbl->getClassInfoUnicode(unicode, i, &w);
            c = {vst3host_class_id_text(w.cid),
                 field(w.category, 32),
                 vst3host_utf8(w.name),
                 vst3host_utf8(w.vendor),
                 vst3host_utf8(w.version),
                 vst3host_utf8(w.sdkVersion),
                 split(field(w.subCategories, 128)),
                 w.classFlags,
                 w.cardinality};
        } else if (second) {
            PClassInfo2 n = {};
            second->vtbl->getClassInfo2(second, i, &n);
            c = {vst3host_class_id_text(n.cid),
                 field(n.category, 32),
                 field(n.name, 64),
                 field(n.vendor, 64),
                 field(n.version, 64),
                 field(n.sdkVersion, 64),
                 split(field(n.subCategories, 128)),
                 n.classFlags,
                 n.cardinality};
        } else {
            PClassInfo p = {};
            factory->vtbl->getClassInfo(factory, i, &p);
            c.cid = vst3host_class_id_text(p.cid);
            c.category = field(p.category, 32);
            c.name = field(p.name, 64);
            c.cardinality = p.cardinality;
        }
        if (c.vendor.empty())
            c.vendor = factory_vendor;
        classes.push_back(c);
    }
    return classes;
}
