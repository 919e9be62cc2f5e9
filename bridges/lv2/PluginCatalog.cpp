#include "PluginCatalog.h"

#include <algorithm>
#include <cctype>

#include "PortInfo.h"

namespace wavelv2 {

namespace {

std::string lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

bool matches(const PluginSummary& plugin, const std::string& filter) {
    if (filter.empty()) return true;
    const std::string wanted = lower(filter);
    for (const std::string* field : {&plugin.uri, &plugin.name, &plugin.className}) {
        if (lower(*field).find(wanted) != std::string::npos) return true;
    }
    return false;
}

std::string pair(const char* what, int inputs, int outputs) {
    return std::string(what) + " " + std::to_string(inputs) + "/" + std::to_string(outputs);
}

}  // namespace

std::string PluginSummary::text() const {
    return uri + "|" + name + "|" + className + "|" + pair("audio", audioInputs, audioOutputs) +
           "|" + pair("control", controlInputs, controlOutputs) + "|" +
           pair("midi", midiInputs, midiOutputs);
}

PluginSummary summarise(const Lv2World& world, const LilvPlugin* plugin) {
    PluginSummary summary;
    summary.uri = lilv_node_as_uri(lilv_plugin_get_uri(plugin));
    LilvNode* name = lilv_plugin_get_name(plugin);
    summary.name = name != nullptr ? lilv_node_as_string(name) : "";
    lilv_node_free(name);
    const LilvPluginClass* pluginClass = lilv_plugin_get_class(plugin);
    if (pluginClass != nullptr) {
        summary.className = lilv_node_as_string(lilv_plugin_class_get_label(pluginClass));
    }
    for (const PortInfo& port : readPorts(world, plugin)) {
        int* counts[2] = {nullptr, nullptr};
        if (port.type == PortInfo::kAudio) {
            counts[0] = &summary.audioInputs, counts[1] = &summary.audioOutputs;
        } else if (port.type == PortInfo::kControl) {
            counts[0] = &summary.controlInputs, counts[1] = &summary.controlOutputs;
        } else if (port.type == PortInfo::kMidi) {
            counts[0] = &summary.midiInputs, counts[1] = &summary.midiOutputs;
        }
        int* count = counts[port.input ? 0 : 1];
        if (count != nullptr) ++*count;
    }
    return summary;
}

std::vector<PluginSummary> listPlugins(Lv2World& world, const std::string& filter) {
    std::vector<PluginSummary> found;
    const LilvPlugins* plugins = world.plugins();
    LILV_FOREACH(plugins, i, plugins) {
        PluginSummary summary = summarise(world, lilv_plugins_get(plugins, i));
        if (matches(summary, filter)) found.push_back(std::move(summary));
    }
    return found;
}

}  // namespace wavelv2
